// Runs a command and reports how long it took until a window covering the
// screen was mapped: how the capture benchmark times another capture program
// (flameshot) from its command to its overlay, on the same display.
//
//   quobel_map_timer COMMAND [ARGUMENT...]
//
// Prints "mapped <ms>" and exits 0, or exits 1 when no such window comes
// within 30 s. Leaves the command running, its output sent to /dev/null so
// that whoever reads ours is not kept waiting for it.

#include <xcb/xcb.h>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration elapsed) {
    return std::chrono::duration<double, std::milli>(elapsed).count();
}

bool CoversScreen(xcb_connection_t* connection, xcb_window_t window, const xcb_screen_t& screen) {
    std::unique_ptr<xcb_get_geometry_reply_t, decltype(&std::free)> geometry(
        xcb_get_geometry_reply(connection, xcb_get_geometry(connection, window), nullptr),
        &std::free);
    return geometry && geometry->width * 10 >= screen.width_in_pixels * 9 &&
           geometry->height * 10 >= screen.height_in_pixels * 9;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quobel_map_timer COMMAND [ARGUMENT...]\n");
        return 2;
    }
    int number = 0;
    xcb_connection_t* connection = xcb_connect(nullptr, &number);
    if (xcb_connection_has_error(connection)) {
        std::fprintf(stderr, "quobel_map_timer: no X display\n");
        return 2;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < number; ++i)
        xcb_screen_next(&screens);
    const xcb_screen_t screen = *screens.data;
    // Every window the command maps at the top level, overlays included.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(connection, screen.root, XCB_CW_EVENT_MASK, &mask);
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));

    const Clock::time_point start = Clock::now();
    pid_t child = 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&child, argv[1], &actions, nullptr, argv + 1, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        std::perror("quobel_map_timer");
        return 2;
    }
    const Clock::time_point deadline = start + std::chrono::seconds(30);
    pollfd socket{xcb_get_file_descriptor(connection), POLLIN, 0};
    while (Clock::now() < deadline) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
            const bool mapped = (event->response_type & 0x7f) == XCB_MAP_NOTIFY;
            const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t*>(event)->window;
            std::free(event);
            if (mapped && CoversScreen(connection, window, screen)) {
                std::printf("mapped %.1f\n", Ms(Clock::now() - start));
                return 0;
            }
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        poll(&socket, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
        if (xcb_connection_has_error(connection))
            return 1;
    }
    std::fprintf(stderr, "quobel_map_timer: no window covering the screen within 30 s\n");
    return 1;
}

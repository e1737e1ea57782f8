// Starts a program and measures how long it takes until a top-level window
// with a given name is mapped on the X display, then reads the program's peak
// resident memory and stops it.
//
//   quobel_startup_probe WINDOW_NAME TIMEOUT_MS PROGRAM [ARGS...]
//   prints: <milliseconds> <VmHWM in KiB>
//
// Plain xcb rather than Qt, so the probe itself adds nothing Qt-sized to the
// display server's work while the program starts. Run it on a display without
// a window manager: the program's own map request then shows up directly as
// a MapNotify on the root window.

#include <xcb/xcb.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
    const XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string WindowName(xcb_connection_t* c, xcb_window_t window, xcb_atom_t netWmName,
                       xcb_atom_t utf8) {
    for (const auto& [property, type] :
         {std::pair{netWmName, utf8},
          std::pair{xcb_atom_t{XCB_ATOM_WM_NAME}, xcb_atom_t{XCB_ATOM_STRING}}}) {
        const XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            c, xcb_get_property(c, 0, window, property, type, 0, 1024), nullptr));
        if (reply && xcb_get_property_value_length(reply.get()) > 0)
            return {static_cast<const char*>(xcb_get_property_value(reply.get())),
                    static_cast<std::size_t>(xcb_get_property_value_length(reply.get()))};
    }
    return {};
}

std::optional<long> PeakMemoryKib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return std::nullopt;
}

void Stop(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s WINDOW_NAME TIMEOUT_MS PROGRAM [ARGS...]\n", argv[0]);
        return 2;
    }
    const std::string wanted = argv[1];
    const auto timeout = std::chrono::milliseconds(std::atol(argv[2]));

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "cannot connect to the X display\n");
        return 2;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &mask);
    const xcb_atom_t netWmName = Atom(c, "_NET_WM_NAME");
    const xcb_atom_t utf8 = Atom(c, "UTF8_STRING");
    xcb_flush(c);

    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[3], argv + 3);
        std::perror("exec");
        _exit(127);
    }

    std::optional<Clock::time_point> mapped;
    pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
    while (!mapped) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(start + timeout - Clock::now());
        if (left.count() <= 0 || waitpid(pid, nullptr, WNOHANG) == pid)
            break;
        if (poll(&fd, 1, static_cast<int>(left.count())) < 0 && errno != EINTR)
            break;
        while (xcb_generic_event_t* raw = xcb_poll_for_event(c)) {
            const XcbReply<xcb_generic_event_t> event(raw);
            if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY)
                continue;
            const auto* map = reinterpret_cast<const xcb_map_notify_event_t*>(event.get());
            if (WindowName(c, map->window, netWmName, utf8) == wanted) {
                mapped = Clock::now();
                break;
            }
        }
    }
    if (!mapped) {
        std::fprintf(stderr, "no window named \"%s\" appeared\n", wanted.c_str());
        Stop(pid);
        return 1;
    }
    // Give the box a moment to finish painting before the peak is read.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::optional<long> peak = PeakMemoryKib(pid);
    Stop(pid);
    xcb_disconnect(c);
    const double ms = std::chrono::duration<double, std::milli>(*mapped - start).count();
    std::printf("%.2f %ld\n", ms, peak.value_or(-1));
    return peak ? 0 : 1;
}

// Input for a headless KWin, which has no input devices, through its
// org_kde_kwin_fake_input protocol. KWin offers that protocol only to a
// program whose desktop entry lists it in X-KDE-Wayland-Interfaces (the test
// writes one). Reads one command a line from standard input and answers "ok"
// once the compositor has handled it:
//   move X Y            the pointer to X,Y of the layout (logical pixels)
//   press | release     the left button
//   key CODE            an evdev key code pressed and released
//   keydown CODE | keyup CODE
// Prints "ready" once the device exists; ends with its input.

#include "fake-input-client-protocol.h"

#include <wayland-client.h>

#include <linux/input-event-codes.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

namespace {

org_kde_kwin_fake_input* g_input = nullptr;
uint32_t g_version = 0;

void Global(void*, wl_registry* registry, uint32_t name, const char* interface, uint32_t version) {
    if (std::strcmp(interface, org_kde_kwin_fake_input_interface.name) == 0) {
        g_version = std::min(version, 4u);
        g_input = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, g_version));
    }
}

void GlobalRemoved(void*, wl_registry*, uint32_t) {}

} // namespace

int main() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "fake_input: no Wayland display\n");
        return 2;
    }
    const wl_registry_listener listener = {&Global, &GlobalRemoved};
    wl_registry_add_listener(wl_display_get_registry(display), &listener, nullptr);
    wl_display_roundtrip(display);
    if (!g_input || g_version < 4) {
        std::fprintf(stderr,
                     "fake_input: no org_kde_kwin_fake_input version 4 offered (%u); "
                     "is this program's desktop entry in place?\n",
                     g_version);
        return 2;
    }
    org_kde_kwin_fake_input_authenticate(g_input, "quobel tests", "driving the program in tests");
    wl_display_roundtrip(display);
    std::cout << "ready" << std::endl;
    for (std::string line; std::getline(std::cin, line);) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "move") {
            double x = 0, y = 0;
            words >> x >> y;
            org_kde_kwin_fake_input_pointer_motion_absolute(g_input, wl_fixed_from_double(x),
                                                            wl_fixed_from_double(y));
        } else if (command == "press" || command == "release") {
            org_kde_kwin_fake_input_button(g_input, BTN_LEFT,
                                           command == "press" ? WL_POINTER_BUTTON_STATE_PRESSED
                                                              : WL_POINTER_BUTTON_STATE_RELEASED);
        } else if (command == "key" || command == "keydown" || command == "keyup") {
            uint32_t code = 0;
            words >> code;
            if (command != "keyup")
                org_kde_kwin_fake_input_keyboard_key(g_input, code, WL_KEYBOARD_KEY_STATE_PRESSED);
            if (command != "keydown")
                org_kde_kwin_fake_input_keyboard_key(g_input, code, WL_KEYBOARD_KEY_STATE_RELEASED);
        } else {
            std::cout << "unknown command: " << line << std::endl;
            continue;
        }
        if (wl_display_roundtrip(display) < 0)
            return 1;
        std::cout << "ok" << std::endl;
    }
    org_kde_kwin_fake_input_destroy(g_input);
    wl_display_roundtrip(display);
    return 0;
}

#pragma once

#include "layouts/layout_types.h"

#include <array>

namespace quobel::layouts {

using enum ControlKind;

inline constexpr std::array<ControlLayout, 4> kForm1Controls{{
    {u"Command4", CommandButton, 960, 4680, 3015, 975, u"Command4", 3},
    {u"Command3", CommandButton, 960, 3240, 3015, 975, u"Command3", 2},
    {u"Command2", CommandButton, 960, 1680, 3015, 1095, u"Command2", 1},
    {u"Command1", CommandButton, 960, 240, 3015, 975, u"Command1", 0},
}};

inline constexpr std::array<ControlLayout, 19> kForm2Controls{{
    {u"Inet1", TransferControl, 360, 1800, 0, 0, {}, std::nullopt},
    {u"Command11", CommandButton, 1920, 7320, 1335, 375, u"Command11", 17},
    {u"Command10", CommandButton, 1920, 6840, 1335, 375, u"Command10", 16},
    {u"Command9", CommandButton, 3000, 8760, 1215, 375, u"Command9", 14},
    {u"Command6", CommandButton, 1920, 5880, 1335, 375, u"Command6", 13},
    {u"Command5", CommandButton, 1800, 3120, 1935, 495, u"Command5", 12},
    {u"Command4", CommandButton, 2160, 2400, 1215, 495, u"Command4", 10},
    {u"Text1", TextBox, 1560, 1680, 2535, 615, u"Text1", 9},
    {u"Command8", CommandButton, 1320, 8760, 1095, 375, u"Command8", 8},
    {u"Command7", CommandButton, 1920, 5280, 1335, 375, u"Command7", 3},
    {u"Command1", CommandButton, 1920, 4560, 1335, 495, u"Command1", 2},
    {u"Command3", CommandButton, 480, 5040, 1335, 375, u"Command3", 1},
    {u"Command2", CommandButton, 3720, 5040, 1335, 375, u"Command2", 0},
    {u"Label6", Label, 2400, 6360, 1575, 375, u"Label6", 15},
    {u"Label1", Label, 720, 120, 3735, 615, u"Label1", 11},
    {u"Label5", Label, 960, 8160, 4095, 375, u"Label5", 7},
    {u"Label4", Label, 2400, 7920, 1695, 375, u"Label4", 6},
    {u"Label3", Label, 2280, 840, 1815, 615, u"Label3", 5},
    {u"Label2", Label, 2400, 3840, 1695, 495, u"Label2", 4},
}};

inline constexpr std::array<ControlLayout, 15> kForm5Controls{{
    {u"Inet1", TransferControl, 120, 1560, 0, 0, {}, std::nullopt},
    {u"Command11", CommandButton, 1920, 7560, 1335, 375, u"Command11", 13},
    {u"Command5", CommandButton, 2040, 3000, 1455, 615, u"Command5", 12},
    {u"Command10", CommandButton, 1920, 7080, 1335, 375, u"Command10", 10},
    {u"Command6", CommandButton, 1920, 5880, 1335, 375, u"Command6", 9},
    {u"Command4", CommandButton, 2160, 2400, 1215, 495, u"Command4", 7},
    {u"Text1", TextBox, 1560, 1680, 2535, 615, u"Text1", 6},
    {u"Command7", CommandButton, 1920, 5280, 1335, 375, u"Command7", 3},
    {u"Command1", CommandButton, 1920, 4560, 1335, 495, u"Command1", 2},
    {u"Command3", CommandButton, 480, 5040, 1335, 375, u"Command3", 1},
    {u"Command2", CommandButton, 3720, 5040, 1335, 375, u"Command2", 0},
    {u"Label4", Label, 2520, 6360, 1695, 375, u"Label4", 11},
    {u"Label1", Label, 720, 120, 3735, 615, u"Label1", 8},
    {u"Label3", Label, 2280, 840, 1815, 615, u"Label3", 5},
    {u"Label2", Label, 2400, 3840, 1695, 495, u"Label2", 4},
}};

inline constexpr std::array<ControlLayout, 3> kForm3Controls{{
    {u"Command2", CommandButton, 2880, 1200, 1455, 495, u"Command2", 2},
    {u"Command1", CommandButton, 720, 1200, 1575, 495, u"Command1", 1},
    {u"Label1", Label, 600, 120, 3615, 615, u"Label1", 0},
}};

inline constexpr std::array<MenuLayout, 1> kChatMenuItems{{
    {u"qory", u"截图", QKeyCombination(Qt::CTRL, Qt::Key_D), {}},
}};

// Both chat windows carry the same menu.
inline constexpr MenuLayout kChatMenu{u"qor", u"截图", std::nullopt, kChatMenuItems};

inline constexpr WindowLayout kForm1{u"Form1", 4680, 5730, nullptr, kForm1Controls};
inline constexpr WindowLayout kForm2{u"Form2", 5160, 9270, &kChatMenu, kForm2Controls};
// Designed as a copy of Form2, whose caption it kept.
inline constexpr WindowLayout kForm5{u"Form2", 5160, 7920, &kChatMenu, kForm5Controls};
inline constexpr WindowLayout kForm3{u"Form3", 4680, 2055, nullptr, kForm3Controls};

// Tab indices number every button, label and text box of a window from 0
// without gaps or repeats; the transfer control has none.
constexpr bool TabIndicesAreComplete(const WindowLayout& layout) {
    int numbered = 0;
    for (const ControlLayout& control : layout.controls) {
        if (control.tabIndex.has_value() == (control.kind == ControlKind::TransferControl))
            return false;
        numbered += control.tabIndex ? 1 : 0;
    }
    for (int index = 0; index < numbered; ++index) {
        int holders = 0;
        for (const ControlLayout& control : layout.controls)
            holders += control.tabIndex == index ? 1 : 0;
        if (holders != 1)
            return false;
    }
    return true;
}

static_assert(TabIndicesAreComplete(kForm1));
static_assert(TabIndicesAreComplete(kForm2));
static_assert(TabIndicesAreComplete(kForm3));
static_assert(TabIndicesAreComplete(kForm5));

} // namespace quobel::layouts

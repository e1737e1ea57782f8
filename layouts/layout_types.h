#pragma once

#include <QKeyCombination>
#include <QStringView>

#include <cstdint>
#include <optional>
#include <span>

namespace quobel {

enum class ControlKind { CommandButton, Label, TextBox, TransferControl };

// One control of a window. Geometry is in twips relative to the client area.
// The transfer control is invisible: it has a place but no size and no tab
// index.
struct ControlLayout {
    QStringView name;
    ControlKind kind;
    std::int16_t left;
    std::int16_t top;
    std::int16_t width;
    std::int16_t height;
    QStringView text;
    std::optional<std::int16_t> tabIndex;
};

struct MenuLayout {
    QStringView name;
    QStringView caption;
    std::optional<QKeyCombination> shortcut;
    std::span<const MenuLayout> items;
};

// Every window leaves its first placement to the window system.
struct WindowLayout {
    QStringView caption;
    std::int32_t clientWidth;
    std::int32_t clientHeight;
    const MenuLayout* menu;
    // In layout order, which is the order the window creates them in; the
    // tab order is a separate numbering.
    std::span<const ControlLayout> controls;
};

} // namespace quobel

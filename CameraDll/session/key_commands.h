#pragma once

#include <QPoint>
#include <Qt>

namespace camera {

// What a key does on the capture overlay.
struct KeyCommand {
    enum Kind {
        None,
        Move,
        Resize,
        Finish,
        Save,
        Undo,
        Redo,
        Cancel,
        CopyColour,
        EarlierSelection,
        LaterSelection,
        WholeScreen,
    };
    Kind kind = None;
    QPoint step; // for Move and Resize, in logical pixels

    bool operator==(const KeyCommand&) const = default;
};

KeyCommand CommandForKey(int key, Qt::KeyboardModifiers modifiers);

} // namespace camera

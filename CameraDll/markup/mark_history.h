#pragma once

#include "CameraDll/markup/mark.h"

#include <QRect>

#include <optional>
#include <vector>

namespace camera {

// The marks on the picture and the steps that undo and redo them. Once the
// picture holds a mark, moving or resizing the selection is a step too, so
// undo brings back the area the marks were made for.
class MarkHistory {
public:
    // What an undo or redo changed.
    struct Change {
        bool marks = false;
        std::optional<QRect> selection; // the selection to show now
    };

    const std::vector<Mark>& marks() const { return marks_; }
    bool canUndo() const { return !done_.empty(); }
    bool canRedo() const { return !undone_.empty(); }

    void add(Mark mark);
    // Returns whether the change became a step: only while a mark is on the
    // picture, and only when the selection really changed.
    bool recordSelection(const QRect& before, const QRect& after);

    Change undo();
    Change redo();

private:
    struct Step {
        std::optional<Mark> mark; // a mark added, or else a selection change
        QRect before;
        QRect after;
    };

    std::vector<Mark> marks_;
    std::vector<Step> done_;
    std::vector<Step> undone_;
};

} // namespace camera

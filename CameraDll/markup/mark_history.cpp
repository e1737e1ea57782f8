#include "CameraDll/markup/mark_history.h"

namespace camera {

void MarkHistory::add(Mark mark) {
    marks_.push_back(mark);
    done_.push_back({std::move(mark), {}, {}});
    undone_.clear();
}

bool MarkHistory::recordSelection(const QRect& before, const QRect& after) {
    if (marks_.empty() || before == after)
        return false;
    done_.push_back({std::nullopt, before, after});
    undone_.clear();
    return true;
}

MarkHistory::Change MarkHistory::undo() {
    if (done_.empty())
        return {};
    Step step = std::move(done_.back());
    done_.pop_back();
    Change change;
    if (step.mark) {
        // Marks are added and taken back in step order, so the step's mark
        // is always the last one.
        marks_.pop_back();
        change.marks = true;
    } else {
        change.selection = step.before;
    }
    undone_.push_back(std::move(step));
    return change;
}

MarkHistory::Change MarkHistory::redo() {
    if (undone_.empty())
        return {};
    Step step = std::move(undone_.back());
    undone_.pop_back();
    Change change;
    if (step.mark) {
        marks_.push_back(*step.mark);
        change.marks = true;
    } else {
        change.selection = step.after;
    }
    done_.push_back(std::move(step));
    return change;
}

} // namespace camera

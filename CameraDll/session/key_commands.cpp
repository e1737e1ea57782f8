#include "CameraDll/session/key_commands.h"

namespace camera {

namespace {

QPoint ArrowStep(int key) {
    switch (key) {
    case Qt::Key_Left:
        return {-1, 0};
    case Qt::Key_Right:
        return {1, 0};
    case Qt::Key_Up:
        return {0, -1};
    case Qt::Key_Down:
        return {0, 1};
    default:
        return {};
    }
}

} // namespace

KeyCommand CommandForKey(int key, Qt::KeyboardModifiers modifiers) {
    // The Enter of the number block carries the keypad flag; it means the same.
    modifiers &= ~Qt::KeypadModifier;
    const QPoint step = ArrowStep(key);
    if (!step.isNull()) {
        if (modifiers == Qt::NoModifier)
            return {KeyCommand::Move, step};
        if (modifiers == Qt::ShiftModifier)
            return {KeyCommand::Resize, step};
        return {};
    }
    if (modifiers == Qt::NoModifier) {
        switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return {KeyCommand::Finish, {}};
        case Qt::Key_Escape:
            return {KeyCommand::Cancel, {}};
        case Qt::Key_C:
            return {KeyCommand::CopyColour, {}};
        // As in Snipaste: the selections of earlier captures.
        case Qt::Key_Comma:
            return {KeyCommand::EarlierSelection, {}};
        case Qt::Key_Period:
            return {KeyCommand::LaterSelection, {}};
        default:
            return {};
        }
    }
    if (modifiers == Qt::ControlModifier) {
        switch (key) {
        case Qt::Key_C:
            return {KeyCommand::Finish, {}};
        case Qt::Key_S:
            return {KeyCommand::Save, {}};
        case Qt::Key_Z:
            return {KeyCommand::Undo, {}};
        case Qt::Key_Y:
            return {KeyCommand::Redo, {}};
        case Qt::Key_A:
            return {KeyCommand::WholeScreen, {}};
        default:
            return {};
        }
    }
    if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier) && key == Qt::Key_Z)
        return {KeyCommand::Redo, {}};
    return {};
}

} // namespace camera

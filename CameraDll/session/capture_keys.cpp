// The keys of a capture, and the text typed through an input method.

#include "CameraDll/session/capture_model.h"

#include "CameraDll/session/key_commands.h"

#include <QKeyEvent>

namespace camera {

bool CaptureModel::keyPressed(const QKeyEvent& event) {
    if (!takesInput())
        return false;
    if (TextEntry* text = markup_.text()) {
        const QRectF before = text->bounds();
        switch (text->key(event)) {
        case TextEntry::KeyResult::Edited:
            emit areaChanged(before | text->bounds());
            return true;
        case TextEntry::KeyResult::Ended:
            endText();
            return true;
        case TextEntry::KeyResult::Ignored:
            return true;
        case TextEntry::KeyResult::NotMine:
            // A shortcut ends the text first, then does what it does.
            endText();
            break;
        }
    }
    const KeyCommand command = CommandForKey(event.key(), event.modifiers());
    const bool gesture = editor_.isDragging() || markup_.isDrawing();
    const QRect before = editor_.selection();
    switch (command.kind) {
    case KeyCommand::None:
        return false;
    case KeyCommand::Move:
        if (!gesture && editor_.moveBy(command.step))
            afterSelectionChange(before);
        break;
    case KeyCommand::Resize:
        if (!gesture && editor_.resizeBy(command.step))
            afterSelectionChange(before);
        break;
    case KeyCommand::Finish:
        finish();
        break;
    case KeyCommand::Save:
        if (editor_.hasSelection())
            emit saveRequested();
        break;
    case KeyCommand::Undo:
        if (!gesture)
            undo();
        break;
    case KeyCommand::Redo:
        if (!gesture)
            redo();
        break;
    case KeyCommand::Cancel:
        cancel();
        break;
    case KeyCommand::CopyColour:
        if (!showsLoupe())
            return false;
        copyColour();
        break;
    case KeyCommand::EarlierSelection:
    case KeyCommand::LaterSelection:
        if (!gesture)
            recallSelection(command.kind == KeyCommand::EarlierSelection ? -1 : 1);
        break;
    case KeyCommand::WholeScreen:
        if (!gesture)
            selectScreen();
        break;
    }
    return true;
}

void CaptureModel::inputMethod(const QInputMethodEvent& event) {
    TextEntry* text = markup_.text();
    if (ended_ || !text)
        return;
    const QRectF before = text->bounds();
    text->inputMethod(event);
    emit areaChanged(before | text->bounds());
}

} // namespace camera

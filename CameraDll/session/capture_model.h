#pragma once

#include "CameraDll/geometry/selection_editor.h"
#include "CameraDll/geometry/window_pick.h"
#include "CameraDll/grab/screen_shot.h"
#include "CameraDll/markup/markup.h"
#include "CameraDll/session/selection_recall.h"

#include <QObject>
#include <QPointF>

#include <vector>

class QClipboard;
class QInputMethodEvent;
class QKeyEvent;

namespace camera {

enum class CaptureResult {
    Saved,
    Finished,
    Cancelled,
    Failed,
    Pinned,   // the selection goes on showing, pinned above the other windows
    ReadText, // the text in the selection is to be recognised
};

// One capture, with no window of its own: the frozen screens, the selection,
// the marks, the pointer, and how the capture ends. Input arrives in global
// logical pixels; signals say what changed, for whatever shows it.
class CaptureModel : public QObject {
    Q_OBJECT
public:
    // windows: the window manager's list, read while the windows are where
    // the frozen picture shows them; empty where windows cannot be picked.
    // earlier: the selections of earlier captures, the latest last, for ","
    // and "." to bring back.
    CaptureModel(std::vector<ScreenShot> shots, std::vector<StackedWindow> windows,
                 QClipboard& clipboard, std::vector<QRect> earlier = {});

    bool hasEnded() const { return ended_; }
    CaptureResult result() const { return result_; }
    // What the capture ended with, to pin or to read the text of: the
    // selected pixels with their marks, and where they were.
    const QImage& keptImage() const { return kept_; }
    // The selection a finished capture leaves for the next one to bring
    // back; null when it ended without using one.
    QRect selectionToRemember() const;

    const std::vector<ScreenShot>& shots() const { return shots_; }
    const SelectionEditor& editor() const { return editor_; }
    const Markup& markup() const { return markup_; }
    // The picture with its marks of the screen with that index.
    const MarkedPicture& picture(std::size_t screen) const { return markup_.pictures()[screen]; }
    // The selected pixels with their marks; null while nothing is selected.
    QImage selectedImage() const;
    QSize selectedDeviceSize() const;

    // The window a click would select, while there is no selection yet.
    QRect pickedWindow() const { return picked_; }
    bool picksWindows() const { return !windows_.empty(); }
    // Whether the magnifier shows, and where the pointer is.
    bool showsLoupe() const;
    QPointF pointer() const { return pointer_; }
    // What the pointer would take hold of; None inside the selection while a
    // tool draws there.
    Handle handleAt(const QPoint& global) const;
    // The screen the toolbar belongs on; -1 while there is none to show.
    int toolbarScreen() const;
    // The screen the text being typed starts on; -1 while none is typed.
    int typingScreen() const;
    // While the person chooses where to save, the capture takes no input.
    bool isSaving() const { return saving_; }

    // Where the pointer is as the capture opens, before it first moves: the
    // screen Ctrl+A takes.
    void pointerIsAt(const QPointF& global);
    void pointerPressed(const QPointF& global, Qt::MouseButton button);
    void pointerMoved(const QPointF& global);
    void pointerReleased(const QPointF& global, Qt::MouseButton button);
    void pointerDoubleClicked(const QPointF& global);
    // Returns whether the key did something.
    bool keyPressed(const QKeyEvent& event);
    void inputMethod(const QInputMethodEvent& event);

    void chooseTool(Tool tool);
    void chooseColour(const QColor& colour);
    void chooseWidth(qreal width);
    void undo();
    void redo();
    void finish();
    void cancel();
    void pin();
    void readText();
    // Brings back the selection of an earlier (-1) or a later (+1) capture;
    // one that is now off every screen is passed over.
    void recallSelection(int direction);
    // Selects the whole screen the pointer is on.
    void selectScreen();
    // Saving is two steps, the person choosing the file between them. The
    // first gives the picture to save, null when there is nothing to save.
    QImage startSaving();
    // The file written, the capture ends; otherwise it goes on as it was.
    void stopSaving(bool saved);
    // Ends the capture from outside: the host left its event loop, or
    // something failed.
    void end(CaptureResult result);

signals:
    // The pixels of a global logical area changed: a mark, the text typed.
    void areaChanged(const QRectF& area);
    // The selection is being dragged, or took a key step; before is where it
    // was.
    void selectionMoved(const QRect& before);
    // Anything else: tool, colour, width, history, the selection settled,
    // the window under the pointer. Everything is shown anew.
    void stateChanged();
    // The pointer moved while the magnifier shows, or it stopped showing.
    void loupeMoved();
    // A text began or ended.
    void typingChanged();
    // The person asked to save: whatever shows the capture asks for a file.
    void saveRequested();
    void ended();

private:
    void endText();
    void endWithSelection(CaptureResult result);
    void replaceSelection(const QRect& selection);
    void afterSelectionChange(const QRect& before);
    void apply(const MarkHistory::Change& change);
    void copyColour();
    int screenAt(const QPointF& global) const;
    QRect windowAt(const QPointF& global) const;
    bool takesInput() const { return !ended_ && !saving_; }

    std::vector<ScreenShot> shots_;
    QClipboard& clipboard_;
    SelectionEditor editor_;
    Markup markup_;
    std::vector<StackedWindow> windows_;
    SelectionRecall recall_;
    QImage kept_;
    QRect picked_;
    QPointF pointer_;
    bool pointerKnown_ = false;
    QRect selectionBefore_; // when the gesture in progress began
    bool ended_ = false;
    bool saving_ = false;
    CaptureResult result_ = CaptureResult::Cancelled;
};

} // namespace camera

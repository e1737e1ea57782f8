#pragma once

#include "CameraDll/markup/markup.h"

#include <QWidget>

#include <vector>

class QToolButton;
class QVBoxLayout;

namespace camera {

// The buttons beside the selection: the marking tools, colours and widths,
// undo and redo, "文字识别" and "贴图", "取消", "保存" and the check mark. It only shows the state
// it is given and reports clicks; the session decides what they do.
class CaptureToolbar : public QWidget {
    Q_OBJECT
public:
    struct Choice {
        const char* name; // the button's text and accessible name
        QColor colour;
    };
    static const std::vector<Choice>& colours();

    explicit CaptureToolbar(QWidget* parent);

    QToolButton* saveButton() const { return save_; }
    QToolButton* finishButton() const { return finish_; }

    void showState(Tool tool, const QColor& colour, qreal width, bool canUndo, bool canRedo);
    // "文字识别" works only where an engine and its languages are installed;
    // otherwise the tip says what to install.
    void showRecognition(bool ready, const QString& missing);
    // Lays the button groups out in as few rows as fit the width.
    void fitWidth(int width);

signals:
    // Tool::None when the active tool is clicked again.
    void toolChosen(camera::Tool tool);
    void colourChosen(const QColor& colour);
    void widthChosen(qreal width);
    void undoRequested();
    void redoRequested();
    void readTextRequested();
    void pinRequested();
    void cancelRequested();
    void saveRequested();
    void finishRequested();

private:
    QToolButton* addButton(QWidget* group, const QString& text, const QString& tip);
    QWidget* addGroup();

    QVBoxLayout* rows_ = nullptr;
    std::vector<QWidget*> groups_;
    std::vector<std::pair<QToolButton*, Tool>> tools_;
    std::vector<std::pair<QToolButton*, QColor>> swatches_;
    std::vector<std::pair<QToolButton*, qreal>> widths_;
    QToolButton* undo_ = nullptr;
    QToolButton* redo_ = nullptr;
    QToolButton* readText_ = nullptr;
    QToolButton* pin_ = nullptr;
    QToolButton* cancel_ = nullptr;
    QToolButton* save_ = nullptr;
    QToolButton* finish_ = nullptr;
    int fittedWidth_ = -1;
};

} // namespace camera

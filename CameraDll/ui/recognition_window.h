#pragma once

#include <QImage>
#include <QMainWindow>

#include <memory>

class QClipboard;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

namespace camera {

class RecognitionJob;
class TextRecognizer;

// "文字识别": the text of a selection, read on another thread while the
// window shows that it is busy, then shown in an editable box with "复制",
// which copies all of it as plain text. A main window, so that screen
// readers announce it as a window of its own.
class RecognitionWindow : public QMainWindow {
    Q_OBJECT
public:
    // place: where the selection was, in global logical pixels; the window
    // opens beside it.
    RecognitionWindow(std::shared_ptr<TextRecognizer> recognizer, QImage picture,
                      const QRect& place, QClipboard& clipboard);
    ~RecognitionWindow() override;

    bool isBusy() const;
    QPlainTextEdit* textBox() const { return text_; }
    QPushButton* copyButton() const { return copy_; }

    void copy();

signals:
    // The text is shown: the recognition is over.
    void textShown();

private:
    void showText(const QString& text);

    QClipboard& clipboard_;
    QLabel* status_ = nullptr;
    QProgressBar* busy_ = nullptr;
    QPlainTextEdit* text_ = nullptr;
    QPushButton* copy_ = nullptr;
    bool working_ = true;
    std::unique_ptr<RecognitionJob> job_;
};

} // namespace camera

#include "CameraDll/ui/recognition_window.h"

#include "CameraDll/recognition/recognition_job.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace camera {

namespace {

const QSize kSize(460, 340);
constexpr int kGap = 12;

// Beside the selection where there is room, else over it, always on the
// screen that held it.
QPoint PlaceBeside(const QRect& selection, const QSize& size) {
    const QScreen* screen = QGuiApplication::screenAt(selection.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect room = screen ? screen->availableGeometry() : QRect(QPoint(), size);
    QPoint at(selection.right() + kGap, selection.top());
    if (at.x() + size.width() > room.right())
        at.setX(selection.left() - kGap - size.width());
    if (at.x() < room.left())
        at.setX(selection.center().x() - size.width() / 2);
    return {std::clamp(at.x(), room.left(), std::max(room.left(), room.right() - size.width())),
            std::clamp(at.y(), room.top(), std::max(room.top(), room.bottom() - size.height()))};
}

} // namespace

RecognitionWindow::RecognitionWindow(std::shared_ptr<TextRecognizer> recognizer, QImage picture,
                                     const QRect& place, QClipboard& clipboard)
    : QMainWindow(nullptr), clipboard_(clipboard) {
    setObjectName(QStringLiteral("recognitionWindow"));
    setWindowTitle(QStringLiteral("文字识别"));

    auto* content = new QWidget(this);
    setCentralWidget(content);
    status_ = new QLabel(QStringLiteral("正在识别文字……"), content);
    busy_ = new QProgressBar(content);
    busy_->setRange(0, 0); // no end known: it just shows that work goes on
    busy_->setTextVisible(false);
    busy_->setAccessibleName(QStringLiteral("正在识别"));
    text_ = new QPlainTextEdit(content);
    text_->setAccessibleName(QStringLiteral("识别结果"));
    text_->setReadOnly(true);
    copy_ = new QPushButton(QStringLiteral("复制"), content);
    copy_->setToolTip(QStringLiteral("把全部文字复制到剪贴板"));
    copy_->setEnabled(false);
    connect(copy_, &QPushButton::clicked, this, &RecognitionWindow::copy);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(status_, 1);
    buttons->addWidget(copy_);
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(busy_);
    layout->addWidget(text_, 1);
    layout->addLayout(buttons);

    resize(kSize);
    move(PlaceBeside(place, kSize));

    job_ = std::make_unique<RecognitionJob>(std::move(recognizer), std::move(picture));
    connect(job_.get(), &RecognitionJob::finished, this, &RecognitionWindow::showText);
    job_->start();
}

// The job stops its thread and waits for it before the window's parts go.
RecognitionWindow::~RecognitionWindow() = default;

bool RecognitionWindow::isBusy() const {
    return working_;
}

void RecognitionWindow::showText(const QString& text) {
    working_ = false;
    busy_->hide();
    text_->setPlainText(text);
    text_->setReadOnly(false);
    status_->setText(text.isEmpty() ? QStringLiteral("没有识别到文字")
                                    : QStringLiteral("识别完成，可以修改后复制"));
    copy_->setEnabled(true);
    text_->setFocus();
    emit textShown();
}

void RecognitionWindow::copy() {
    clipboard_.setText(text_->toPlainText());
}

} // namespace camera

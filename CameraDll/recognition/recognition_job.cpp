#include "CameraDll/recognition/recognition_job.h"

#include "CameraDll/capture_log.h"

#include <QMetaObject>

namespace camera {

RecognitionJob::RecognitionJob(std::shared_ptr<TextRecognizer> recognizer, QImage picture,
                               QObject* parent)
    : QObject(parent), recognizer_(std::move(recognizer)), picture_(std::move(picture)) {}

RecognitionJob::~RecognitionJob() {
    stop_ = true;
    // The report the thread may have posted meanwhile goes with this object.
    if (thread_.joinable())
        thread_.join();
}

void RecognitionJob::start() {
    if (thread_.joinable())
        return;
    thread_ = std::thread([this] {
        QString text;
        // Nothing may be thrown out of a thread: it would end the host.
        try {
            text = recognizer_->recognize(picture_, stop_);
        } catch (...) {
            qCWarning(lcCapture, "the text recognition failed");
        }
        // The thread is done with the picture: let it go, it may be a screen.
        QMetaObject::invokeMethod(
            this,
            [this, text] {
                picture_ = QImage();
                emit finished(text);
            },
            Qt::QueuedConnection);
    });
}

} // namespace camera

#pragma once

#include "CameraDll/recognition/text_recognizer.h"

#include <QObject>

#include <atomic>
#include <memory>
#include <thread>

namespace camera {

// One recognition on a thread of its own, reported back on the thread that
// made the job. Going away stops the recognition and waits for the thread,
// so nothing runs on once its window is closed or the host has quit.
class RecognitionJob : public QObject {
    Q_OBJECT
public:
    RecognitionJob(std::shared_ptr<TextRecognizer> recognizer, QImage picture,
                   QObject* parent = nullptr);
    ~RecognitionJob() override;

    void start();

signals:
    void finished(const QString& text);

private:
    std::shared_ptr<TextRecognizer> recognizer_;
    QImage picture_;
    std::atomic<bool> stop_ = false;
    std::thread thread_;
};

} // namespace camera

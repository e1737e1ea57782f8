#pragma once

#include "platform/platform.h"

#include <QObject>
#include <QString>

namespace quobel {

// A chat window's internet transfer control (Inet1): fetches a page when
// asked and keeps the answer's text for reading back. Invisible.
class TransferControl : public QObject {
    Q_OBJECT
public:
    explicit TransferControl(QObject* parent = nullptr);

    // Returns when the answer is complete or the fetch has failed (a failure
    // unwinds the calling handler).
    void FetchPage(const QString& url);
    QString ReadResponseText() const { return responseText_; }

    FetchSettings& settings() { return settings_; }

private:
    FetchSettings settings_;
    QString responseText_;
};

} // namespace quobel

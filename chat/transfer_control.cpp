#include "chat/transfer_control.h"

#include "platform/page_fetcher.h"

namespace quobel {

TransferControl::TransferControl(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("Inet1"));
}

void TransferControl::FetchPage(const QString& url) {
    // A failed fetch leaves no stale answer behind to be read by mistake.
    responseText_.clear();
    responseText_ = HttpGet(url, settings_);
}

} // namespace quobel

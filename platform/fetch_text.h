#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace quobel {

// The pieces of the text that a transfer control reads back after a fetch:
// status line, headers, a blank line, then the body.

// Qt hands over the status code and reason phrase but not the raw line (nor
// the protocol version of HTTP/1.x), so the line is rebuilt from them.
QString StatusLine(int status, const QString& reason, bool http2);

// Decodes a body by the charset its Content-Type names, when that is one Qt
// can decode, else by a byte-order mark, else as UTF-8. Bytes that do not
// decode become U+FFFD one by one, so ASCII text among them (a "404" in a
// GBK page, say) always comes through.
QString DecodeBody(const QByteArray& body, const QByteArray& contentType);

QString AnswerText(const QString& statusLine, const QList<QPair<QByteArray, QByteArray>>& headers,
                   const QString& body);

} // namespace quobel

#include "platform/fetch_text.h"

#include <QStringDecoder>

#include <optional>

namespace quobel {

namespace {

std::optional<QStringConverter::Encoding> DeclaredEncoding(const QByteArray& contentType) {
    for (const QByteArray& rawParameter : contentType.split(';')) {
        const QByteArray parameter = rawParameter.trimmed();
        const qsizetype equals = parameter.indexOf('=');
        if (equals < 0 || parameter.left(equals).trimmed().toLower() != "charset")
            continue;
        QByteArray name = parameter.mid(equals + 1).trimmed();
        if (name.size() >= 2 && name.startsWith('"') && name.endsWith('"'))
            name = name.mid(1, name.size() - 2);
        const auto encoding = QStringConverter::encodingForName(name.constData());
        // "Locale" would decode by this machine's settings, which the server
        // knows nothing about.
        if (encoding && *encoding != QStringConverter::System)
            return encoding;
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

QString StatusLine(int status, const QString& reason, bool http2) {
    QString line =
        (http2 ? QStringLiteral("HTTP/2 ") : QStringLiteral("HTTP/1.1 ")) + QString::number(status);
    const QString trimmed = reason.trimmed();
    if (!trimmed.isEmpty())
        line += QLatin1Char(' ') + trimmed;
    return line;
}

QString DecodeBody(const QByteArray& body, const QByteArray& contentType) {
    auto encoding = DeclaredEncoding(contentType);
    if (!encoding)
        encoding = QStringConverter::encodingForData(body);
    QStringDecoder decoder(encoding.value_or(QStringConverter::Utf8));
    return decoder.decode(body);
}

QString AnswerText(const QString& statusLine, const QList<QPair<QByteArray, QByteArray>>& headers,
                   const QString& body) {
    QString text = statusLine + QStringLiteral("\r\n");
    // Header bytes outside ASCII are Latin-1 by the HTTP rules.
    for (const auto& [name, value] : headers)
        text += QString::fromLatin1(name) + QStringLiteral(": ") + QString::fromLatin1(value) +
                QStringLiteral("\r\n");
    return text + QStringLiteral("\r\n") + body;
}

} // namespace quobel

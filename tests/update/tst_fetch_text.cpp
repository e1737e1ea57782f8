#include "platform/fetch_text.h"
#include "platform/page_fetcher.h"

#include <QTest>

using namespace quobel;

Q_DECLARE_METATYPE(quobel::FetchFailure)

class FetchTextTest : public QObject {
    Q_OBJECT
private slots:
    void decodeBody_data();
    void decodeBody();
    void statusLine_data();
    void statusLine();
    void answerTextLayout();
    void classify_data();
    void classify();
    void reportNamesAddressAndReason_data();
    void reportNamesAddressAndReason();
};

void FetchTextTest::decodeBody_data() {
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("contentType");
    QTest::addColumn<QString>("text");

    QTest::newRow("plain ascii") << QByteArray("abc14045") << QByteArray() << "abc14045";
    QTest::newRow("empty") << QByteArray() << QByteArray("text/html") << "";
    QTest::newRow("utf-8 without charset")
        << QStringLiteral("小q 404").toUtf8() << QByteArray("text/html") << "小q 404";
    // A lead byte with no continuation must not swallow the digit after it.
    QTest::newRow("broken utf-8 before the digits") << QByteArray("\xe4"
                                                                  "404\xff")
                                                    << QByteArray() << "\uFFFD404\uFFFD";
    QTest::newRow("truncated sequence at the end")
        << QByteArray("404\xe4\xb8") << QByteArray() << "404";
    QTest::newRow("gbk bytes keep the ascii")
        << QByteArray("\xb8\xfc\xd0\xc2"
                      "404")
        << QByteArray("text/html; charset=GBK") << "\uFFFD\uFFFD\uFFFD\uFFFD404";
    QTest::newRow("charset latin-1")
        << QByteArray("caf\xe9 404") << QByteArray("text/plain; charset=ISO-8859-1") << "café 404";
    QTest::newRow("quoted charset, odd spacing")
        << QByteArray("4\0"
                      "0\0"
                      "4\0",
                      6)
        << QByteArray("text/plain ;  CharSet = \"utf-16le\" ") << "404";
    QTest::newRow("utf-16 by its byte-order mark") << QByteArray("\xff\xfe"
                                                                 "4\0"
                                                                 "0\0"
                                                                 "4\0",
                                                                 8)
                                                   << QByteArray("text/plain") << "404";
    QTest::newRow("utf-8 byte-order mark dropped") << QByteArray("\xef\xbb\xbf"
                                                                 "404")
                                                   << QByteArray() << "404";
    // The machine's own locale means nothing to a server.
    QTest::newRow("charset naming the locale")
        << QByteArray("404") << QByteArray("text/plain; charset=locale") << "404";
    QTest::newRow("charset parameter without value")
        << QByteArray("404") << QByteArray("text/plain; charset=") << "404";
}

void FetchTextTest::decodeBody() {
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, contentType);
    QFETCH(QString, text);
    QCOMPARE(DecodeBody(body, contentType), text);
}

void FetchTextTest::statusLine_data() {
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<bool>("http2");
    QTest::addColumn<QString>("line");

    QTest::newRow("not found") << 404 << "Not Found" << false << "HTTP/1.1 404 Not Found";
    QTest::newRow("no reason") << 404 << "" << false << "HTTP/1.1 404";
    QTest::newRow("blank reason") << 200 << "  " << false << "HTTP/1.1 200";
    QTest::newRow("http/2") << 404 << "" << true << "HTTP/2 404";
}

void FetchTextTest::statusLine() {
    QFETCH(int, status);
    QFETCH(QString, reason);
    QFETCH(bool, http2);
    QFETCH(QString, line);
    QCOMPARE(StatusLine(status, reason, http2), line);
}

void FetchTextTest::answerTextLayout() {
    const QList<QPair<QByteArray, QByteArray>> headers{{"Content-Length", "3"},
                                                       {"X-Name", "caf\xe9"}};
    QCOMPARE(AnswerText(QStringLiteral("HTTP/1.1 200 OK"), headers, QStringLiteral("abc")),
             QStringLiteral("HTTP/1.1 200 OK\r\nContent-Length: 3\r\nX-Name: café\r\n\r\nabc"));
    QCOMPARE(AnswerText(QStringLiteral("HTTP/1.1 404"), {}, {}),
             QStringLiteral("HTTP/1.1 404\r\n\r\n"));
}

void FetchTextTest::classify_data() {
    QTest::addColumn<QNetworkReply::NetworkError>("error");
    QTest::addColumn<bool>("gotStatus");
    QTest::addColumn<FetchFailure>("failure");

    QTest::newRow("closed mid-answer")
        << QNetworkReply::RemoteHostClosedError << true << FetchFailure::CutShort;
    QTest::newRow("closed before any status")
        << QNetworkReply::RemoteHostClosedError << false << FetchFailure::NotHttp;
    QTest::newRow("refused, no status either")
        << QNetworkReply::ConnectionRefusedError << false << FetchFailure::Refused;
    // Qt's own connect time-out, not the fetch's deadline.
    QTest::newRow("socket time-out")
        << QNetworkReply::TimeoutError << false << FetchFailure::TimedOut;
    // Never a time-out by itself: Qt gives this for abort() as well.
    QTest::newRow("cancelled") << QNetworkReply::OperationCanceledError << true
                               << FetchFailure::Other;
}

void FetchTextTest::classify() {
    QFETCH(QNetworkReply::NetworkError, error);
    QFETCH(bool, gotStatus);
    QFETCH(FetchFailure, failure);
    QCOMPARE(ClassifyNetworkError(error, gotStatus), failure);
}

void FetchTextTest::reportNamesAddressAndReason_data() {
    QTest::addColumn<FetchFailure>("failure");
    QTest::addColumn<QString>("detail");
    QTest::addColumn<QString>("report");

    const QString head = QStringLiteral("读取网页“http://example.com/123.htm”失败：");
    QTest::newRow("time-out, detail left out")
        << FetchFailure::TimedOut << "Operation canceled" << head + "等待应答超时。";
    QTest::newRow("refused") << FetchFailure::Refused << "" << head + "服务器拒绝连接。";
    QTest::newRow("unreadable, with detail") << FetchFailure::Unreadable << "bad chunk size"
                                             << head + "服务器的应答无法识别。（bad chunk size）";
    QTest::newRow("unrequested coding")
        << FetchFailure::UnrequestedCoding << "br"
        << head + "服务器的应答用了没有约定的内容编码，无法读取。（br）";
    QTest::newRow("not http, detail left out") << FetchFailure::NotHttp << "Connection closed"
                                               << head + "服务器没有给出有效的 HTTP 应答。";
    QTest::newRow("other without detail") << FetchFailure::Other << "" << head + "网络错误。";
}

void FetchTextTest::reportNamesAddressAndReason() {
    QFETCH(FetchFailure, failure);
    QFETCH(QString, detail);
    QFETCH(QString, report);
    QCOMPARE(FailureReport(QUrl(QStringLiteral("http://example.com/123.htm")), failure, detail),
             report);
}

QTEST_APPLESS_MAIN(FetchTextTest)
#include "tst_fetch_text.moc"

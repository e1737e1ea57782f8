#include "chat/chat_window.h"
#include "chat/transfer_control.h"
#include "chat/update_check.h"
#include "http_test_server.h"
#include "layouts/form_builder.h"
#include "platform/links.h"
#include "platform/run_handler.h"
#include "real_fetch_platform.h"

#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace quobel;
using quobel::testing::HttpTestServer;
using quobel::testing::RealFetchPlatform;
using Behaviour = HttpTestServer::Behaviour;
using namespace std::chrono_literals;

Q_DECLARE_METATYPE(HttpTestServer::Behaviour)
Q_DECLARE_METATYPE(quobel::FormId)

namespace {

const QString kFetch = QStringLiteral("FetchPage(%1)").arg(UpdateProbeLink);
const QString kUpdate = RealFetchPlatform::Message(
    QStringLiteral("啊哈，发现更新了哦，请马上更新！！！"), QStringLiteral("提示"));
const QString kNoUpdate = RealFetchPlatform::Message(
    QStringLiteral("啊，还没更新哦，小q更新的速度比蜗牛还慢。。。"), QStringLiteral("提示"));
const QStringList kFound{kFetch, kUpdate, QStringLiteral("OpenLink(%1)").arg(BlogLinkA),
                         QStringLiteral("OpenLink(%1)").arg(UpdateForumLink)};
const QStringList kNotFound{kFetch, kNoUpdate};

// The one error report of a failed check, checked by its reason.
void VerifyFailedOnce(const QStringList& log, const QString& reason) {
    QCOMPARE(log.size(), 2);
    QCOMPARE(log.at(0), kFetch);
    QVERIFY2(log.at(1).startsWith(QStringLiteral("ErrorReport(\"读取网页“")),
             qPrintable(log.at(1)));
    QVERIFY2(log.at(1).contains(reason), qPrintable(log.at(1)));
}

QPushButton* Command7(ChatWindow& window) {
    return qobject_cast<QPushButton*>(FindControl(window, u"Command7"));
}

} // namespace

class UpdateCheckTest : public QObject {
    Q_OBJECT
private slots:
    void outcome_data();
    void outcome();
    void failedFetchReportsAndStops_data();
    void failedFetchReportsAndStops();
    void refusedConnectionReportsAndStops();
    void everyClickFetchesAfresh();
    void laterClickWorksAfterAFailure();
    void controlSettingsReachTheFetch();
    void bothEditionsCheckThroughTheirButton_data();
    void bothEditionsCheckThroughTheirButton();
    void clickDuringTheWaitStartsNoSecondCheck();
};

void UpdateCheckTest::outcome_data() {
    QTest::addColumn<Behaviour>("behaviour");
    QTest::addColumn<QStringList>("log");

    QTest::newRow("probe not found")
        << HttpTestServer::Answer(404, "Not Found", "<h1>gone</h1>") << kFound;
    QTest::newRow("not found without a reason phrase")
        << HttpTestServer::Raw("HTTP/1.1 404\r\nContent-Length: 0\r\nConnection: close\r\n\r\n")
        << kFound;
    QTest::newRow("page without the marker")
        << HttpTestServer::Answer(200, "OK", "version 3.25 is the latest") << kNotFound;
    QTest::newRow("marker inside longer digits")
        << HttpTestServer::Answer(200, "OK", "abc14045") << kFound;
    QTest::newRow("marker split by a line break")
        << HttpTestServer::Answer(200, "OK", "40\n4") << kNotFound;
    QTest::newRow("empty page") << HttpTestServer::Answer(200, "OK", "") << kNotFound;
    QTest::newRow("server error without the marker")
        << HttpTestServer::Answer(503, "Service Unavailable", "busy") << kNotFound;
    QTest::newRow("marker in a page that is not utf-8")
        << HttpTestServer::Answer(200, "OK", "\xb8\xfc\xd0\xc2 404",
                                  {"Content-Type: text/html; charset=gb2312"})
        << kFound;
    QTest::newRow("endless page without the marker")
        << HttpTestServer::EndlessBody(QByteArray(4096, 'q')) << kNotFound;
}

void UpdateCheckTest::outcome() {
    QFETCH(Behaviour, behaviour);
    QFETCH(QStringList, log);

    HttpTestServer server;
    server.setDefault(behaviour);
    RealFetchPlatform platform(server.url(QStringLiteral("/")));
    PlatformScope scope(platform);
    TransferControl inet;
    inet.settings().timeout = 10s;

    RunHandler([&] { RunUpdateCheck(inet); });

    QCOMPARE(platform.log, log);
    QCOMPARE(platform.lastTarget.path(), QUrl(UpdateProbeLink).path());
    QVERIFY(inet.ReadResponseText().size() <= (1 << 20) + 4096);
}

void UpdateCheckTest::failedFetchReportsAndStops_data() {
    QTest::addColumn<Behaviour>("behaviour");
    QTest::addColumn<QString>("reason");

    QTest::newRow("no answer in time") << HttpTestServer::Silence() << "等待应答超时。";
    QTest::newRow("closed mid-body")
        << HttpTestServer::CutShort("404 is in the part that came", 500, false)
        << "应答还没有收完，连接就断开了。";
    QTest::newRow("redirect loop")
        << HttpTestServer::Redirect("/quobel/123.htm") << "网页重定向次数过多。";
    QTest::newRow("garbage") << HttpTestServer::Raw("404 404 404\r\n\r\n")
                             << "服务器没有给出有效的 HTTP 应答。";
    QTest::newRow("compressed against our wish")
        << HttpTestServer::Answer(404, "Not Found", "\x1f\x8b\x08 broken",
                                  {"Content-Encoding: gzip"})
        << "没有约定的内容编码";
}

void UpdateCheckTest::failedFetchReportsAndStops() {
    QFETCH(Behaviour, behaviour);
    QFETCH(QString, reason);

    HttpTestServer server;
    server.setDefault(behaviour);
    RealFetchPlatform platform(server.url(QStringLiteral("/")));
    PlatformScope scope(platform);
    TransferControl inet;
    // Short only where the time-out is the failure: ten redirects take more
    // than 300 ms on a loaded machine, and under Wine.
    inet.settings().timeout =
        behaviour.kind == HttpTestServer::Behaviour::Kind::Silence ? 300ms : 10s;

    RunHandler([&] { RunUpdateCheck(inet); });

    VerifyFailedOnce(platform.log, reason);
    QVERIFY(inet.ReadResponseText().isEmpty());
}

void UpdateCheckTest::refusedConnectionReportsAndStops() {
    RealFetchPlatform platform(
        QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(HttpTestServer::RefusedPort())));
    PlatformScope scope(platform);
    TransferControl inet;

    RunHandler([&] { RunUpdateCheck(inet); });

    VerifyFailedOnce(platform.log, QStringLiteral("服务器拒绝连接。"));
}

void UpdateCheckTest::everyClickFetchesAfresh() {
    HttpTestServer server;
    server.setDefault(HttpTestServer::Answer(200, "OK", "nothing new"));
    RealFetchPlatform platform(server.url(QStringLiteral("/")));
    PlatformScope scope(platform);
    TransferControl inet;

    RunHandler([&] { RunUpdateCheck(inet); });
    server.setDefault(HttpTestServer::Answer(404, "Not Found", ""));
    RunHandler([&] { RunUpdateCheck(inet); });

    QCOMPARE(server.requestCount(), 2);
    QCOMPARE(platform.log, kNotFound + kFound);
}

void UpdateCheckTest::laterClickWorksAfterAFailure() {
    HttpTestServer server;
    server.setDefault(HttpTestServer::Silence());
    RealFetchPlatform platform(server.url(QStringLiteral("/")));
    PlatformScope scope(platform);
    TransferControl inet;
    inet.settings().timeout = 200ms;

    RunHandler([&] { RunUpdateCheck(inet); });
    server.setDefault(HttpTestServer::Answer(404, "Not Found", ""));
    RunHandler([&] { RunUpdateCheck(inet); });

    QCOMPARE(platform.log.size(), 2 + kFound.size());
    QCOMPARE(platform.log.mid(2), kFound);
}

void UpdateCheckTest::controlSettingsReachTheFetch() {
    HttpTestServer server;
    RealFetchPlatform platform(server.url(QStringLiteral("/")));
    PlatformScope scope(platform);
    TransferControl inet;
    QCOMPARE(inet.settings().timeout, std::chrono::milliseconds(60s));

    RunHandler([&] { RunUpdateCheck(inet); });
    QCOMPARE(platform.lastFetchSettings.timeout, std::chrono::milliseconds(60s));
    inet.settings().timeout = 1500ms;
    RunHandler([&] { RunUpdateCheck(inet); });
    QCOMPARE(platform.lastFetchSettings.timeout, std::chrono::milliseconds(1500ms));
}

void UpdateCheckTest::bothEditionsCheckThroughTheirButton_data() {
    QTest::addColumn<FormId>("form");
    QTest::newRow("Form2") << FormId::Form2;
    QTest::newRow("Form5") << FormId::Form5;
}

void UpdateCheckTest::bothEditionsCheckThroughTheirButton() {
    QFETCH(FormId, form);

    HttpTestServer server;
    server.setDefault(HttpTestServer::Answer(404, "Not Found", ""));
    RealFetchPlatform platform(server.url(QStringLiteral("/")));
    PlatformScope scope(platform);
    ChatWindow window(form);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QPushButton* button = Command7(window);
    QVERIFY(button);

    QTest::mouseClick(button, Qt::LeftButton);
    server.setDefault(HttpTestServer::Answer(200, "OK", "latest"));
    QTest::mouseClick(button, Qt::LeftButton);

    QCOMPARE(platform.log, kFound + kNotFound);
    QCOMPARE(server.requestCount(), 2);
}

void UpdateCheckTest::clickDuringTheWaitStartsNoSecondCheck() {
    HttpTestServer server;
    server.setDefault(HttpTestServer::Silence());
    RealFetchPlatform platform(server.url(QStringLiteral("/")));
    PlatformScope scope(platform);
    ChatWindow window(FormId::Form5);
    window.Inet1->settings().timeout = 400ms;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QPushButton* button = Command7(window);
    QTimer::singleShot(150ms, &window, [button] { QTest::mouseClick(button, Qt::LeftButton); });

    QTest::mouseClick(button, Qt::LeftButton);
    QCoreApplication::processEvents();

    VerifyFailedOnce(platform.log, QStringLiteral("等待应答超时。"));
    QCOMPARE(server.requestCount(), 1);
}

QTEST_MAIN(UpdateCheckTest)
#include "tst_update_check.moc"

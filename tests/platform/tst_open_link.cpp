#include "platform/link_opener.h"
#include "platform/qt_platform.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace quobel;

// xdg-open is how the program opens links on Linux only; on Windows it hands
// them to the system, checked by systemHandlerGetsTheAddressItself.
#ifdef Q_OS_WIN
#define SKIP_WITHOUT_XDG_OPEN() QSKIP("xdg-open opens links on Linux only")
#else
#define SKIP_WITHOUT_XDG_OPEN()
#endif

// OpenLink is checked against a stand-in xdg-open placed first on PATH. The
// stand-in logs its arguments, then holds on until the test releases it: if
// OpenLink waited for the browser, the stand-in would time out and say so.
class OpenLinkTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void twoLinksInOrderNotAwaited();
    void addressArrivesAsOneArgument_data();
    void addressArrivesAsOneArgument();
    void missingHelperIsReported();
    void systemHandlerGetsTheAddressItself();
    void reportNamesTheLauncherThatFailed_data();
    void reportNamesTheLauncherThatFailed();

private:
    struct Call {
        qint64 pid;
        QStringList arguments;
        QString ending;
    };
    // QTest's checks return early, hence the out parameter.
    void waitForCalls(int count, QList<Call>& calls);

    QTemporaryDir dir_;
    QByteArray savedPath_;
};

void OpenLinkTest::initTestCase() {
    QVERIFY(dir_.isValid());
    const QString script = dir_.filePath(QStringLiteral("xdg-open"));
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // Each call writes its own log file, named by its pid, so two stand-ins
    // running at once never mix their lines.
    file.write(R"(#!/bin/sh
log="$QUOBEL_LINK_LOG/$$"
{ echo "argc=$#"; for a in "$@"; do echo "arg=$a"; done; } > "$log.part"
i=0
while [ ! -e "$QUOBEL_LINK_LOG/release" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i+1)); done
if [ -e "$QUOBEL_LINK_LOG/release" ]; then echo released >> "$log.part"; else echo timeout >> "$log.part"; fi
mv "$log.part" "$log"
)");
    file.close();
    QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
    savedPath_ = qgetenv("PATH");
    qputenv("PATH", dir_.path().toLocal8Bit() + ':' + savedPath_);
}

void OpenLinkTest::cleanupTestCase() {
    qputenv("PATH", savedPath_);
}

void OpenLinkTest::waitForCalls(int count, QList<Call>& calls) {
    QDir logs(qEnvironmentVariable("QUOBEL_LINK_LOG"));
    // A stand-in renames its log from .part once it has finished.
    const auto finished = [&logs] {
        QStringList names = logs.entryList({QStringLiteral("[0-9]*")}, QDir::Files);
        names.removeIf([](const QString& name) { return name.endsWith(QLatin1String(".part")); });
        return names;
    };
    QTRY_COMPARE_WITH_TIMEOUT(finished().size(), count, 15000);
    const QStringList done = finished();
    calls.clear();
    for (const QString& name : done) {
        QFile log(logs.filePath(name));
        if (!log.open(QIODevice::ReadOnly))
            continue;
        Call call{name.toLongLong(), {}, {}};
        for (const QString& line : QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'))) {
            if (line.startsWith(QLatin1String("arg=")))
                call.arguments << line.mid(4);
            else if (!line.isEmpty() && !line.startsWith(QLatin1String("argc=")))
                call.ending = line;
        }
        calls << call;
    }
    // startDetached returns only once the helper has been executed, so pids
    // follow the order of the calls.
    std::sort(calls.begin(), calls.end(),
              [](const Call& a, const Call& b) { return a.pid < b.pid; });
}

void OpenLinkTest::twoLinksInOrderNotAwaited() {
    SKIP_WITHOUT_XDG_OPEN();
    QTemporaryDir logs;
    qputenv("QUOBEL_LINK_LOG", logs.path().toLocal8Bit());
    QtPlatform platform;
    platform.openLink(QStringLiteral("http://a.example/first"));
    platform.openLink(QStringLiteral("http://b.example/second"));
    // Both calls have returned while both stand-ins are still waiting.
    QFile release(logs.filePath(QStringLiteral("release")));
    QVERIFY(release.open(QIODevice::WriteOnly));
    release.close();
    QList<Call> calls;
    waitForCalls(2, calls);
    QCOMPARE(calls.size(), 2);
    QCOMPARE(calls[0].arguments, QStringList{QStringLiteral("http://a.example/first")});
    QCOMPARE(calls[1].arguments, QStringList{QStringLiteral("http://b.example/second")});
    QCOMPARE(calls[0].ending, QStringLiteral("released"));
    QCOMPARE(calls[1].ending, QStringLiteral("released"));
}

void OpenLinkTest::addressArrivesAsOneArgument_data() {
    QTest::addColumn<QString>("url");
    QTest::newRow("semicolon") << QStringLiteral("http://x.example/a;touch${IFS}/tmp/pwned");
    QTest::newRow("command substitution") << QStringLiteral("http://x.example/$(id)`id`");
    QTest::newRow("spaces and quotes") << QStringLiteral("http://x.example/a b'c\"d");
    QTest::newRow("ampersand and pipe") << QStringLiteral("http://x.example/?a=1&b=2|cat");
}

void OpenLinkTest::addressArrivesAsOneArgument() {
    SKIP_WITHOUT_XDG_OPEN();
    QFETCH(QString, url);
    QTemporaryDir logs;
    qputenv("QUOBEL_LINK_LOG", logs.path().toLocal8Bit());
    QFile release(logs.filePath(QStringLiteral("release")));
    QVERIFY(release.open(QIODevice::WriteOnly));
    release.close();
    QtPlatform platform;
    platform.openLink(url);
    QList<Call> calls;
    waitForCalls(1, calls);
    QCOMPARE(calls.size(), 1);
    QCOMPARE(calls[0].arguments, QStringList{url});
}

void OpenLinkTest::missingHelperIsReported() {
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    QtPlatform platform;
    QVERIFY_THROWS_EXCEPTION(PlatformError, platform.openLink(QStringLiteral("http://x.example/")));
    qputenv("PATH", path);
}

namespace {
// Stands in for the desktop's handler of web addresses.
class UrlHandler : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};
} // namespace

// The launcher Windows uses hands the address to the system's handler for
// web addresses as it is: no interpreter, no command line.
void OpenLinkTest::systemHandlerGetsTheAddressItself() {
    UrlHandler handler;
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &handler, "open");
    OpenInBrowser(QStringLiteral("http://x.example/forumdisplay.php?fid=4"), kSystemUrlHandler);
    QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
    QCOMPARE(handler.opened,
             QList<QUrl>{QUrl(QStringLiteral("http://x.example/forumdisplay.php?fid=4"))});
}

void OpenLinkTest::reportNamesTheLauncherThatFailed_data() {
    QTest::addColumn<bool>("systemHandler");
    QTest::addColumn<QString>("named");
    QTest::addColumn<QString>("notNamed");
    QTest::newRow("xdg-open") << false << "xdg-open"
                              << "系统默认";
    // Under offscreen the system has no handler to give the address to.
    QTest::newRow("system handler") << true << "系统默认的网页打开方式"
                                    << "xdg-open";
}

void OpenLinkTest::reportNamesTheLauncherThatFailed() {
    QFETCH(bool, systemHandler);
    QFETCH(QString, named);
    QFETCH(QString, notNamed);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", "/nonexistent");
    QString report;
    try {
        OpenInBrowser(QStringLiteral("http://x.example/"),
                      systemHandler ? kSystemUrlHandler : kXdgOpen);
    } catch (const PlatformError& error) {
        QCOMPARE(error.severity(), PlatformError::Severity::EndsProgram);
        report = error.report();
    }
    qputenv("PATH", path);
    QVERIFY2(report.contains(named), qPrintable(report));
    QVERIFY2(!report.contains(notNamed), qPrintable(report));
}

QTEST_MAIN(OpenLinkTest)
#include "tst_open_link.moc"

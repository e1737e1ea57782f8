// Update check: time from the click (RunUpdateCheck) to the outcome box,
// beside the bare round trip of the same request with a plain
// QNetworkAccessManager, both against one loopback server in this process and
// interleaved so that both see the same machine. Then the memory the process
// reaches while an endless body is fetched.
//
// Goal: median click-to-box within 1.5 times the median bare round trip.
// Exits 1 when it is missed.

#include "chat/transfer_control.h"
#include "chat/update_check.h"
#include "http_test_server.h"
#include "platform/run_handler.h"
#include "real_fetch_platform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>
#include <vector>

using namespace quobel;
using quobel::testing::HttpTestServer;
using quobel::testing::RealFetchPlatform;

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double Percentile90(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() * 9 / 10];
}

// A field of /proc/self/status in KiB, or -1.
long StatusKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpression line(QStringLiteral("^%1:\\s+(\\d+) kB").arg(QLatin1String(field)),
                                  QRegularExpression::MultilineOption);
    const auto match = line.match(QString::fromLatin1(status.readAll()));
    return match.hasMatch() ? match.captured(1).toLong() : -1;
}

double BareRoundTripMs(QNetworkAccessManager& network, const QUrl& url) {
    QElapsedTimer clock;
    clock.start();
    QNetworkReply* reply = network.get(QNetworkRequest(url));
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    reply->readAll();
    const double ms = clock.nsecsElapsed() / 1e6;
    delete reply;
    return ms;
}

double ClickToBoxMs(RealFetchPlatform& platform, TransferControl& inet) {
    QElapsedTimer clock;
    double ms = -1;
    platform.onShowMessage = [&](const QString&) { ms = clock.nsecsElapsed() / 1e6; };
    clock.start();
    RunHandler([&] { RunUpdateCheck(inet); });
    platform.log.clear();
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int iterations = argc > 1 ? std::max(11, atoi(argv[1])) : 301;

    HttpTestServer server;
    server.setDefault(HttpTestServer::Answer(404, "Not Found", "<h1>404 Not Found</h1>"));
    RealFetchPlatform platform(server.url(QStringLiteral("/")));
    PlatformScope scope(platform);
    TransferControl inet;
    QNetworkAccessManager network;
    const QUrl probe = server.url(QStringLiteral("/quobel/123.htm"));

    for (int i = 0; i < 10; ++i) {
        BareRoundTripMs(network, probe);
        ClickToBoxMs(platform, inet);
    }
    std::vector<double> bare;
    std::vector<double> check;
    for (int i = 0; i < iterations; ++i) {
        bare.push_back(BareRoundTripMs(network, probe));
        check.push_back(ClickToBoxMs(platform, inet));
    }
    const double ratio = Median(check) / Median(bare);
    std::printf("iterations             %d\n", iterations);
    std::printf("bare round trip        median %.3f ms, p90 %.3f ms\n", Median(bare),
                Percentile90(bare));
    std::printf("click to outcome box   median %.3f ms, p90 %.3f ms\n", Median(check),
                Percentile90(check));
    std::printf("ratio of medians       %.2f (goal <= 1.50)\n", ratio);

    const long rssBefore = StatusKiB("VmRSS");
    const long peakBefore = StatusKiB("VmHWM");
    server.setDefault(HttpTestServer::EndlessBody(QByteArray(16 * 1024, 'q')));
    long rssDuring = 0;
    for (int i = 0; i < 5; ++i) {
        RunHandler([&] { RunUpdateCheck(inet); });
        rssDuring = std::max(rssDuring, StatusKiB("VmRSS"));
    }
    std::printf("endless body, 5 checks: %lld body bytes sent by the server\n",
                static_cast<long long>(server.endlessBytesSent()));
    std::printf("memory before          VmRSS %ld KiB, VmHWM %ld KiB\n", rssBefore, peakBefore);
    std::printf("memory after           VmRSS %ld KiB (max seen %ld KiB), VmHWM %ld KiB "
                "(+%ld KiB)\n",
                StatusKiB("VmRSS"), rssDuring, StatusKiB("VmHWM"), StatusKiB("VmHWM") - peakBefore);
    std::printf("outcome of the last check: %s\n",
                qPrintable(platform.log.value(1, QStringLiteral("(none)"))));
    return ratio <= 1.5 ? 0 : 1;
}

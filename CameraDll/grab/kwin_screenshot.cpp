#include "CameraDll/grab/kwin_screenshot.h"

#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QEventLoop>
#include <QSocketNotifier>
#include <QTimer>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <memory>

namespace camera {

namespace {

const QString kService = QStringLiteral("org.kde.KWin");
const QString kPath = QStringLiteral("/org/kde/KWin/ScreenShot2");
const QString kInterface = QStringLiteral("org.kde.KWin.ScreenShot2");

KWinScreen::Result ResultOf(const QDBusError& error) {
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::NoServer:
    case QDBusError::Disconnected:
    case QDBusError::UnknownObject:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
        return KWinScreen::Result::NoService;
    case QDBusError::NoReply:
    case QDBusError::Timeout:
    case QDBusError::TimedOut:
        return KWinScreen::Result::TimedOut;
    default:
        break;
    }
    // KWin's own name for a caller whose desktop entry does not list the
    // interface ("NoAuthorized" in KWin 5.27).
    if (error.name().startsWith(kInterface + QStringLiteral(".Error.No")) ||
        error.type() == QDBusError::AccessDenied)
        return KWinScreen::Result::NotAllowed;
    return KWinScreen::Result::Failed;
}

// The bytes of a format whose pixels are 32 bits wide, the only kind KWin
// hands out; 0 for any other.
int BytesPerPixel(uint format) {
    if (format == 0 || format >= QImage::NImageFormats)
        return 0;
    const auto qtFormat = static_cast<QImage::Format>(format);
    return QImage::toPixelFormat(qtFormat).bitsPerPixel() == 32 ? 4 : 0;
}

// One output's call and pipe.
class ScreenCall : public QObject {
    Q_OBJECT
public:
    ScreenCall(QDBusConnection& bus, const QString& output, qint64 timeoutMs) {
        screen_.output = output;
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) {
            fail(KWinScreen::Result::Failed, QStringLiteral("pipe: %1").arg(errno));
            return;
        }
        readEnd_ = fds[0];
        // Only this end waits for nobody; the writer may block as it likes.
        fcntl(readEnd_, F_SETFL, fcntl(readEnd_, F_GETFL) | O_NONBLOCK);
        {
            // Every copy of the writing end but KWin's must be gone by the
            // time it has written, or the end of the data never shows.
            QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                               QStringLiteral("CaptureScreen"));
            call << output
                 << QVariantMap{{QStringLiteral("include-cursor"), false},
                                {QStringLiteral("native-resolution"), true}}
                 << QVariant::fromValue(QDBusUnixFileDescriptor(fds[1]));
            ::close(fds[1]);
            watcher_ =
                new QDBusPendingCallWatcher(bus.asyncCall(call, static_cast<int>(timeoutMs)), this);
        }
        connect(watcher_, &QDBusPendingCallWatcher::finished, this, &ScreenCall::replied);
        notifier_ = new QSocketNotifier(readEnd_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &ScreenCall::readable);
    }
    ~ScreenCall() override {
        if (readEnd_ >= 0)
            ::close(readEnd_);
    }

    bool done() const { return done_; }
    KWinScreen take() { return std::move(screen_); }

signals:
    void finished();

private:
    void replied(QDBusPendingCallWatcher* call) {
        const QDBusPendingReply<QVariantMap> reply = *call;
        call->deleteLater();
        watcher_ = nullptr;
        if (reply.isError()) {
            fail(ResultOf(reply.error()),
                 reply.error().name() + QStringLiteral(": ") + reply.error().message());
            return;
        }
        answer_ = reply.value();
        const qint64 stride = answer_.value(QStringLiteral("stride")).toLongLong();
        const qint64 height = answer_.value(QStringLiteral("height")).toLongLong();
        expected_ = stride > 0 && height > 0 ? stride * height : 0;
        if (expected_ <= 0 || expected_ > std::numeric_limits<int>::max()) {
            fail(KWinScreen::Result::Failed,
                 QStringLiteral("a picture of %1 × %2 bytes").arg(stride).arg(height));
            return;
        }
        data_.reserve(static_cast<qsizetype>(expected_));
        complete();
    }

    void readable() {
        char chunk[1 << 16];
        for (;;) {
            const ssize_t got = ::read(readEnd_, chunk, sizeof chunk);
            if (got > 0) {
                data_.append(chunk, got);
                if (expected_ > 0 && data_.size() > expected_)
                    break;
                continue;
            }
            if (got == 0) {
                closed_ = true;
                notifier_->setEnabled(false);
            } else if (errno == EINTR) {
                continue;
            } else if (errno != EAGAIN) {
                fail(KWinScreen::Result::Failed, QStringLiteral("reading the pipe: %1").arg(errno));
                return;
            }
            break;
        }
        complete();
    }

    // Done once the answer is in and the pipe has given all it promised, or
    // has ended short of it.
    void complete() {
        if (done_ || answer_.isEmpty())
            return;
        if (data_.size() < expected_ && !closed_)
            return;
        QString error;
        screen_.image = RawScreenImage(answer_, std::move(data_), &error);
        if (screen_.image.isNull()) {
            fail(KWinScreen::Result::Failed, error);
            return;
        }
        screen_.result = KWinScreen::Result::Picture;
        finish();
    }

    void fail(KWinScreen::Result result, QString detail) {
        if (done_)
            return;
        screen_.result = result;
        screen_.detail = std::move(detail);
        finish();
    }

    void finish() {
        done_ = true;
        if (notifier_)
            notifier_->setEnabled(false);
        emit finished();
    }

    KWinScreen screen_;
    int readEnd_ = -1;
    QDBusPendingCallWatcher* watcher_ = nullptr;
    QSocketNotifier* notifier_ = nullptr;
    QVariantMap answer_;
    QByteArray data_;
    qint64 expected_ = 0;
    bool closed_ = false;
    bool done_ = false;
};

} // namespace

QImage RawScreenImage(const QVariantMap& answer, QByteArray data, QString* error) {
    const auto number = [&answer](const char* key) {
        return answer.value(QLatin1String(key)).toLongLong();
    };
    const qint64 width = number("width"), height = number("height"), stride = number("stride");
    const uint format = answer.value(QStringLiteral("format")).toUInt();
    const QString type = answer.value(QStringLiteral("type"), QStringLiteral("raw")).toString();
    const int bytes = BytesPerPixel(format);
    const auto refuse = [error](QString why) {
        if (error)
            *error = std::move(why);
        return QImage();
    };
    if (type != QLatin1String("raw"))
        return refuse(QStringLiteral("a picture of type %1").arg(type));
    if (bytes == 0)
        return refuse(QStringLiteral("a picture in format %1").arg(format));
    if (width <= 0 || height <= 0 || width > std::numeric_limits<int>::max() / bytes)
        return refuse(QStringLiteral("a picture of %1×%2").arg(width).arg(height));
    if (stride < width * bytes || stride % 4 != 0)
        return refuse(QStringLiteral("stride %1 for %2 pixels").arg(stride).arg(width));
    if (stride * height > std::numeric_limits<int>::max())
        return refuse(QStringLiteral("a picture of %1 bytes").arg(stride * height));
    if (data.size() < stride * height)
        return refuse(
            QStringLiteral("%1 of %2 bytes in the pipe").arg(data.size()).arg(stride * height));

    // The rows stay where they were read; the picture keeps them alive.
    auto* rows = new QByteArray(std::move(data));
    QImage image(
        reinterpret_cast<const uchar*>(rows->constData()), int(width), int(height),
        qsizetype(stride), static_cast<QImage::Format>(format),
        [](void* held) { delete static_cast<QByteArray*>(held); }, rows);
    // A screen is opaque: premultiplied and straight alpha read alike, and
    // RGB32 draws fastest. A converted picture is a copy of its own.
    if (image.format() == QImage::Format_ARGB32 ||
        image.format() == QImage::Format_ARGB32_Premultiplied)
        image.reinterpretAsFormat(QImage::Format_RGB32);
    else
        image.convertTo(QImage::Format_RGB32);
    return image;
}

std::vector<KWinScreen> CaptureKWinScreens(QDBusConnection bus, const QStringList& outputs,
                                           std::chrono::milliseconds timeout) {
    std::vector<KWinScreen> screens;
    if (!bus.isConnected()) {
        for (const QString& output : outputs)
            screens.push_back(
                {output, KWinScreen::Result::NoService, {}, QStringLiteral("no bus")});
        return screens;
    }
    QEventLoop loop;
    std::vector<std::unique_ptr<ScreenCall>> calls;
    const auto allDone = [&calls] {
        for (const auto& call : calls)
            if (!call->done())
                return false;
        return true;
    };
    for (const QString& output : outputs) {
        calls.push_back(std::make_unique<ScreenCall>(bus, output, timeout.count()));
        QObject::connect(calls.back().get(), &ScreenCall::finished, &loop, [&] {
            if (allDone())
                loop.quit();
        });
    }
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
    timer.start(timeout);
    if (!allDone())
        loop.exec();
    for (auto& call : calls) {
        if (call->done()) {
            screens.push_back(call->take());
            continue;
        }
        KWinScreen late = call->take();
        late.result = KWinScreen::Result::TimedOut;
        late.detail = QStringLiteral("no picture in time");
        screens.push_back(std::move(late));
    }
    return screens;
}

} // namespace camera

#include "kwin_screenshot.moc"

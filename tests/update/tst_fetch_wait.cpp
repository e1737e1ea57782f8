#include "http_test_server.h"
#include "real_fetch_platform.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpontaneKeyEvent>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <functional>

using namespace quobel;
using quobel::testing::Fetch;
using quobel::testing::FetchOutcome;
using quobel::testing::HttpTestServer;
using namespace std::chrono_literals;

namespace {

// A window with a button and a Ctrl+D action that count what reaches them.
class CountingWindow : public QWidget {
public:
    CountingWindow() {
        button = new QPushButton(QStringLiteral("检查更新"), this);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(button);
        QObject::connect(button, &QPushButton::clicked, [this] { ++clicks; });
        auto* action = new QAction(this);
        action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
        addAction(action);
        QObject::connect(action, &QAction::triggered, [this] { ++shortcuts; });
        resize(200, 100);
    }

    QPushButton* button = nullptr;
    int clicks = 0;
    int shortcuts = 0;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        QWidget::paintEvent(event);
    }
};

void PostClick(QWidget* target) {
    const QPointF at = QRectF(target->rect()).center();
    const QPointF global = target->mapToGlobal(at);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(
            target,
            new QMouseEvent(type, at, global, Qt::LeftButton,
                            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                            Qt::NoModifier));
}

using Input = std::function<void(CountingWindow&)>;

FetchSettings WithTimeout(std::chrono::milliseconds timeout) {
    FetchSettings settings;
    settings.timeout = timeout;
    return settings;
}

} // namespace

Q_DECLARE_METATYPE(Input)

class FetchWaitTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void screenStaysAliveDuringTheWait();
    void inputDuringTheWaitIsDropped_data();
    void inputDuringTheWaitIsDropped();
    void inputQueuedAsTheAnswerArrivesIsDropped();
    void closingTheWindowWaitsForTheAnswer();

private:
    std::unique_ptr<CountingWindow> window_;
};

void FetchWaitTest::init() {
    window_ = std::make_unique<CountingWindow>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    window_->button->setFocus();
}

void FetchWaitTest::cleanup() {
    window_.reset();
}

void FetchWaitTest::screenStaysAliveDuringTheWait() {
    HttpTestServer server;
    server.setDefault(HttpTestServer::Silence());
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        ++ticks;
        window_->update();
    });
    ticker.start(20);
    const int paintsBefore = window_->paints;

    PageFetcher fetcher;
    QVERIFY(!Fetch(fetcher, server.url(), WithTimeout(400ms)).completed);

    QVERIFY2(ticks >= 5, qPrintable(QString::number(ticks)));
    QVERIFY2(window_->paints - paintsBefore >= 3,
             qPrintable(QString::number(window_->paints - paintsBefore)));
}

void FetchWaitTest::inputDuringTheWaitIsDropped_data() {
    QTest::addColumn<Input>("input");

    QTest::newRow("click posted to the button")
        << Input([](CountingWindow& w) { PostClick(w.button); });
    QTest::newRow("click sent to the button")
        << Input([](CountingWindow& w) { QTest::mouseClick(w.button, Qt::LeftButton); });
    QTest::newRow("click through the window system") << Input([](CountingWindow& w) {
        const QPoint at = w.button->mapTo(&w, w.button->rect().center());
        QTest::mouseClick(w.windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
    });
    QTest::newRow("space on the focused button")
        << Input([](CountingWindow& w) { QTest::keyClick(w.button, Qt::Key_Space); });
    QTest::newRow("shortcut") << Input([](CountingWindow& w) {
        QTest::keyClick(w.windowHandle(), Qt::Key_D, Qt::ControlModifier);
    });
}

void FetchWaitTest::inputDuringTheWaitIsDropped() {
    QFETCH(Input, input);

    HttpTestServer server;
    server.setDefault(HttpTestServer::Silence());
    QTimer::singleShot(100ms, window_.get(), [&] { input(*window_); });
    PageFetcher fetcher;
    QVERIFY(!Fetch(fetcher, server.url(), WithTimeout(300ms)).completed);
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(window_->clicks + window_->shortcuts, 0);

    // The same input outside the wait does arrive: the drop above was the
    // fetch's doing, not a dud input.
    input(*window_);
    QCoreApplication::processEvents();
    QCOMPARE(window_->clicks + window_->shortcuts, 1);
}

void FetchWaitTest::inputQueuedAsTheAnswerArrivesIsDropped() {
    HttpTestServer server;
    server.setDefault(HttpTestServer::Answer(200, "OK", "fine"));
    server.onRequest = [&] { PostClick(window_->button); };
    PageFetcher fetcher;
    QVERIFY(Fetch(fetcher, server.url(), WithTimeout(3s)).completed);
    QCoreApplication::processEvents();
    QCOMPARE(window_->clicks, 0);
}

void FetchWaitTest::closingTheWindowWaitsForTheAnswer() {
    auto closeAsTheUser = [this] {
        QCloseEvent close;
        QSpontaneKeyEvent::setSpontaneous(&close);
        QApplication::sendEvent(window_->windowHandle(), &close);
    };
    HttpTestServer server;
    server.setDefault(HttpTestServer::Silence());
    QTimer::singleShot(100ms, window_.get(), closeAsTheUser);
    PageFetcher fetcher;
    QVERIFY(!Fetch(fetcher, server.url(), WithTimeout(300ms)).completed);
    QVERIFY(window_->isVisible());

    closeAsTheUser();
    QVERIFY(!window_->isVisible());
}

QTEST_MAIN(FetchWaitTest)
#include "tst_fetch_wait.moc"

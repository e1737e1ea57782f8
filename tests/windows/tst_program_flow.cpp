// The window flow on the real platform: real message boxes (dismissed by a
// timer as a user would), the real window registry and single-instance lock,
// links through a stand-in xdg-open (on Windows, through the system's handler
// of web addresses, which the test takes the place of). Runs from a folder
// that holds qor.ico.

#include "app/confirmation_window.h"
#include "app/form_factories.h"
#include "app/start_window.h"
#include "chat/chat_window.h"
#include "platform/links.h"
#include "platform/qt_platform.h"
#include "platform/run_handler.h"
#include "window_fixtures.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QLockFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace quobel;
using quobel::testing::VisibleForms;

namespace {

struct SeenBox {
    QString title;
    QString text;
    QStringList visibleForms;
};

// Where Windows would hand a web address to the browser.
class SystemLinkHandler : public QObject {
    Q_OBJECT
public:
    QStringList opened;
public slots:
    void open(const QUrl& url) { opened << url.toString(); }
};

} // namespace

class ProgramFlowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void advertisedEditionThenCloseTheWindow();
    void plainEditionBackAndForthThenExitButton();
    void secondInstanceSaysSoAndEnds();

private:
    void Start();
    template <typename Window> Window* Loaded(FormId id) {
        return qobject_cast<Window*>(platform_->forms().loaded(id));
    }
    QStringList OpenedLinks(int expected);

    QTemporaryDir dir_;
    QString linkLog_;
    SystemLinkHandler systemHandler_;
    QTimer dismisser_;
    QList<SeenBox> boxes_;
    std::unique_ptr<QtPlatform> platform_;
    std::unique_ptr<PlatformScope> scope_;
};

void ProgramFlowTest::initTestCase() {
    QVERIFY(dir_.isValid());
    QVERIFY2(QFile::exists(QCoreApplication::applicationDirPath() + QStringLiteral("/qor.ico")),
             "the test runs beside a copy of the program icon");
    // A private runtime folder: the instance lock of a program running on
    // this machine at the same time must not count.
    qputenv("XDG_RUNTIME_DIR", dir_.path().toLocal8Bit());

    linkLog_ = dir_.filePath(QStringLiteral("links"));
    QDesktopServices::setUrlHandler(QStringLiteral("http"), &systemHandler_, "open");
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &systemHandler_, "open");
    const QString script = dir_.filePath(QStringLiteral("xdg-open"));
    QFile file(script);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\necho \"$1\" >> \"$QUOBEL_LINK_LOG\"\n");
    file.close();
    QVERIFY(file.setPermissions(file.permissions() | QFileDevice::ExeOwner));
    qputenv("PATH", dir_.path().toLocal8Bit() + ':' + qgetenv("PATH"));
    qputenv("QUOBEL_LINK_LOG", linkLog_.toLocal8Bit());

    // The user: reads each box, then presses its OK.
    dismisser_.setInterval(10);
    connect(&dismisser_, &QTimer::timeout, this, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        boxes_ << SeenBox{box->windowTitle(), box->text(), VisibleForms()};
        box->button(QMessageBox::Ok)->click();
    });
}

void ProgramFlowTest::init() {
    QFile::remove(linkLog_);
    systemHandler_.opened.clear();
    boxes_.clear();
    platform_ = std::make_unique<QtPlatform>();
    scope_ = std::make_unique<PlatformScope>(*platform_);
    RegisterForms(platform_->forms());
    dismisser_.start();
}

void ProgramFlowTest::cleanup() {
    dismisser_.stop();
    platform_->forms().unloadAll();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    scope_.reset();
    platform_.reset();
    // Ending the program leaves every later event loop returning at once; a
    // run of the application's own loop clears that for the next test.
    QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
}

void ProgramFlowTest::Start() {
    RunHandler([] {
        LoadForm(FormId::Form1);
        ShowForm(FormId::Form1);
    });
}

QStringList ProgramFlowTest::OpenedLinks(int expected) {
    QStringList lines;
    // The stand-in runs detached; give it a moment to write.
    for (int i = 0; i < 200 && lines.size() < expected; ++i) {
        QTest::qWait(10);
        QFile file(linkLog_);
        if (file.open(QIODevice::ReadOnly))
            lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        lines += systemHandler_.opened;
    }
    lines.sort();
    return lines;
}

// Inside the application's own event loop, as in the program: a hand-over
// with no window on screen must not end it, closing the last window must.
void ProgramFlowTest::advertisedEditionThenCloseTheWindow() {
    QTimer::singleShot(0, this, [this] {
        Start();
        if (auto* start = Loaded<StartWindow>(FormId::Form1))
            start->Command1->click();
        QTimer::singleShot(50, qApp, [] { QCoreApplication::exit(42); });
    });
    QCOMPARE(QCoreApplication::exec(), 42);
    QVERIFY(!platform_->ended());
    QCOMPARE(VisibleForms(), QStringList{"Form2"});
    QCOMPARE(boxes_.size(), 2);
    QCOMPARE(boxes_[0].title, QStringLiteral("使用须知"));
    QCOMPARE(boxes_[0].visibleForms, QStringList{});
    // Greeted while no window of the program was on screen.
    QCOMPARE(boxes_[1].title, QStringLiteral("QuobelV3.2.5"));
    QCOMPARE(boxes_[1].text, QStringLiteral("欢迎使用Quobel！！！"));
    QCOMPARE(boxes_[1].visibleForms, QStringList{});
    QCOMPARE(Loaded<ChatWindow>(FormId::Form2)->windowTitle(),
             QStringLiteral("QuobelV3.2.5跟进版"));
    QStringList blogs{BlogLinkA, BlogLinkB};
    blogs.sort();
    QCOMPARE(OpenedLinks(2), blogs);

    Form* chat = Loaded<Form>(FormId::Form2);
    QVERIFY(QTest::qWaitForWindowExposed(chat));
    QTimer::singleShot(0, this, [chat] {
        QCloseEvent close;
        QCoreApplication::sendEvent(chat->windowHandle(), &close);
    });
    QTimer stuck;
    stuck.setSingleShot(true);
    connect(&stuck, &QTimer::timeout, qApp, [] { QCoreApplication::exit(42); });
    stuck.start(5000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(platform_->ended());
    QCOMPARE(platform_->exitCode(), 0);
    QCOMPARE(VisibleForms(), QStringList{});
    QCOMPARE(OpenedLinks(2), blogs);
}

void ProgramFlowTest::plainEditionBackAndForthThenExitButton() {
    Start();
    Loaded<StartWindow>(FormId::Form1)->Command2->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(VisibleForms(), QStringList{"Form3"});

    Loaded<ConfirmationWindow>(FormId::Form3)->Command2->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(VisibleForms(), QStringList{"Form1"});
    QCOMPARE(Loaded<StartWindow>(FormId::Form1)->Command2->text(),
             QStringLiteral("免费版（无广告）"));

    Loaded<StartWindow>(FormId::Form1)->Command2->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Loaded<ConfirmationWindow>(FormId::Form3)->Command1->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(VisibleForms(), QStringList{"Form5"});
    QVERIFY(!platform_->ended());

    QStringList seen;
    for (const SeenBox& box : boxes_)
        seen << box.title + QLatin1Char('|') + box.visibleForms.join(u',');
    QCOMPARE(seen, (QStringList{"使用须知|", "使用须知|Form3", "QuobelV3.2.5|Form3"}));

    Loaded<ChatWindow>(FormId::Form5)->findChild<QPushButton*>("Command3")->click();
    QVERIFY(platform_->ended());
    QCOMPARE(platform_->exitCode(), 0);
    QCOMPARE(VisibleForms(), QStringList{});
    QCOMPARE(OpenedLinks(0), QStringList{});
}

void ProgramFlowTest::secondInstanceSaysSoAndEnds() {
    // An earlier instance, as far as the lock can tell.
    QLockFile earlier(InstanceLock::defaultLockPath());
    QVERIFY(earlier.tryLock(0));
    Start();
    QVERIFY(platform_->ended());
    QCOMPARE(boxes_.size(), 1);
    QCOMPARE(boxes_[0].title, QStringLiteral("QuobelV3.2.5"));
    QCOMPARE(boxes_[0].text, QStringLiteral("本程序已运行！！！"));
    QCOMPARE(VisibleForms(), QStringList{});
}

QTEST_MAIN(ProgramFlowTest)
#include "tst_program_flow.moc"

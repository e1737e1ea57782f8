// The hand-overs between the windows with the real window registry: which
// window is loaded and visible at each step, and when the program ends.

#include "app/confirmation_window.h"
#include "app/form_factories.h"
#include "app/start_window.h"
#include "log_lines.h"
#include "platform/forms.h"
#include "platform/run_handler.h"
#include "window_fixtures.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

using namespace quobel;
using namespace quobel::testing;

namespace {

void FlushUnloaded() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class WindowFlowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startShowsTheStartWindow();
    void secondInstanceShowsNothing();
    void advertisedEditionReplacesTheStartWindow();
    void backAndForthThroughTheConfirmation();
    void failedLoadInAHandOverKeepsTheOldWindow();
    void userClosingTheLastWindowEndsTheProgram_data();
    void userClosingTheLastWindowEndsTheProgram();
    void programsOwnUnloadIsNotAUserClose();
    void unregisteredWindowFailsClearly();

private:
    template <typename Window> Window* Loaded(FormId id) {
        return qobject_cast<Window*>(registry_->loaded(id));
    }
    void Start();
    void GoTo(const QString& step);

    std::unique_ptr<RecordingPlatform> recorder_;
    std::unique_ptr<PlatformScope> scope_;
    std::unique_ptr<FormRegistry> registry_;
    std::unique_ptr<QSignalSpy> lastClosed_;
};

void WindowFlowTest::init() {
    recorder_ = std::make_unique<RecordingPlatform>();
    scope_ = std::make_unique<PlatformScope>(*recorder_);
    registry_ = std::make_unique<FormRegistry>();
    RegisterForms(*registry_);
    recorder_->onLoadForm = [this](FormId id) { registry_->load(id); };
    recorder_->onShowForm = [this](FormId id) { registry_->show(id); };
    recorder_->onUnloadForm = [this](FormId id) { registry_->unload(id); };
    lastClosed_ =
        std::make_unique<QSignalSpy>(registry_.get(), &FormRegistry::lastWindowClosedByUser);
    // As the real platform does.
    connect(registry_.get(), &FormRegistry::lastWindowClosedByUser, this,
            [this] { recorder_->endProgram(0); });
}

void WindowFlowTest::cleanup() {
    registry_->unloadAll();
    FlushUnloaded();
    lastClosed_.reset();
    registry_.reset();
    scope_.reset();
    recorder_.reset();
}

void WindowFlowTest::Start() {
    RunHandler([] {
        LoadForm(FormId::Form1);
        ShowForm(FormId::Form1);
    });
}

// Walks the window flow by clicking, from the start window.
void WindowFlowTest::GoTo(const QString& step) {
    if (step == QLatin1String("Form1")) {
        Start();
    } else if (step == QLatin1String("Form2")) {
        Start();
        Loaded<StartWindow>(FormId::Form1)->Command1->click();
    } else if (step == QLatin1String("Form3")) {
        Start();
        Loaded<StartWindow>(FormId::Form1)->Command2->click();
    } else if (step == QLatin1String("Form5")) {
        GoTo(QStringLiteral("Form3"));
        Loaded<ConfirmationWindow>(FormId::Form3)->Command1->click();
    }
    FlushUnloaded();
    QCOMPARE(VisibleForms(), QStringList{step});
}

void WindowFlowTest::startShowsTheStartWindow() {
    Start();
    QCOMPARE(recorder_->log,
             (QStringList{"LoadForm(Form1)"} + Form1Load() + QStringList{"ShowForm(Form1)"}));
}

void WindowFlowTest::secondInstanceShowsNothing() {
    recorder_->anotherInstance = true;
    Start();
    QCOMPARE(recorder_->log,
             (QStringList{"LoadForm(Form1)", "PreviousInstanceRunning()",
                          Box(QStringLiteral("本程序已运行！！！")), "EndProgram(0)"}));
    QCOMPARE(VisibleForms(), QStringList{});
}

void WindowFlowTest::advertisedEditionReplacesTheStartWindow() {
    GoTo(QStringLiteral("Form1"));
    recorder_->log.clear();
    QPointer<Form> start = registry_->loaded(FormId::Form1);
    QStringList visibleDuringWelcome{"not shown"};
    recorder_->onShowMessage = [&](const QString&) {
        visibleDuringWelcome = VisibleForms();
        QVERIFY(!registry_->loaded(FormId::Form1));
    };
    Loaded<StartWindow>(FormId::Form1)->Command1->click();

    QCOMPARE(visibleDuringWelcome, QStringList{});
    QCOMPARE(recorder_->log,
             QStringList{"LoadForm(Form2)"} + Form2Load() + QStringList{"ShowForm(Form2)"});
    QCOMPARE(VisibleForms(), QStringList{"Form2"});
    // The start window outlives the click that unloaded it, and goes after.
    QVERIFY(start);
    FlushUnloaded();
    QVERIFY(!start);
    QCOMPARE(lastClosed_->count(), 0);
}

void WindowFlowTest::backAndForthThroughTheConfirmation() {
    GoTo(QStringLiteral("Form1"));
    recorder_->log.clear();

    Loaded<StartWindow>(FormId::Form1)->Command2->click();
    FlushUnloaded();
    QCOMPARE(recorder_->log,
             QStringList{"LoadForm(Form3)"} + Form3Load() + QStringList{"ShowForm(Form3)"});
    QCOMPARE(VisibleForms(), QStringList{"Form3"});
    QVERIFY(!registry_->loaded(FormId::Form1));

    // Back: the notice comes on top of the confirmation window, and the
    // start window is built afresh with its captions.
    recorder_->log.clear();
    QStringList visibleDuringNotice;
    recorder_->onShowMessage = [&](const QString&) { visibleDuringNotice = VisibleForms(); };
    Loaded<ConfirmationWindow>(FormId::Form3)->Command2->click();
    FlushUnloaded();
    QCOMPARE(visibleDuringNotice, QStringList{"Form3"});
    QCOMPARE(recorder_->log, (QStringList{"LoadForm(Form1)"} + Form1Load() +
                              QStringList{"ShowForm(Form1)", "UnloadForm(Form3)"}));
    QCOMPARE(VisibleForms(), QStringList{"Form1"});
    auto* start = Loaded<StartWindow>(FormId::Form1);
    QCOMPARE(start->Command1->text(), QStringLiteral("免费版（有广告，点我支持小q）"));
    QCOMPARE(start->Command4->text(), QStringLiteral("BUG反馈"));
    QCOMPARE(start->windowTitle(), kCaption);

    // Again to the confirmation window, which loads afresh.
    recorder_->log.clear();
    start->Command2->click();
    FlushUnloaded();
    QCOMPARE(recorder_->log,
             QStringList{"LoadForm(Form3)"} + Form3Load() + QStringList{"ShowForm(Form3)"});

    // Confirm: the welcome box comes while the confirmation window is up.
    recorder_->log.clear();
    Loaded<ConfirmationWindow>(FormId::Form3)->Command1->click();
    FlushUnloaded();
    QCOMPARE(visibleDuringNotice, QStringList{"Form3"});
    QCOMPARE(recorder_->log, (QStringList{"LoadForm(Form5)"} + Form5Load() +
                              QStringList{"ShowForm(Form5)", "UnloadForm(Form3)"}));
    QCOMPARE(VisibleForms(), QStringList{"Form5"});
    QVERIFY(!registry_->loaded(FormId::Form1));
    QVERIFY(!registry_->loaded(FormId::Form3));
    QCOMPARE(lastClosed_->count(), 0);
}

void WindowFlowTest::failedLoadInAHandOverKeepsTheOldWindow() {
    GoTo(QStringLiteral("Form3"));
    recorder_->log.clear();
    recorder_->iconFails = true;
    Loaded<ConfirmationWindow>(FormId::Form3)->Command1->click();
    QCOMPARE(recorder_->log, (QStringList{"LoadForm(Form5)", Op("LoadProgramIcon", "Form5"),
                                          "ErrorReport(\"no icon\")", "EndProgram(1)"}));
    QVERIFY(registry_->loaded(FormId::Form3));
}

void WindowFlowTest::userClosingTheLastWindowEndsTheProgram_data() {
    QTest::addColumn<QString>("form");
    QTest::newRow("start window") << "Form1";
    QTest::newRow("confirmation window") << "Form3";
    QTest::newRow("chat window with advertisements") << "Form2";
    QTest::newRow("chat window without advertisements") << "Form5";
}

// Closing through the window system opens nothing and ends the program.
void WindowFlowTest::userClosingTheLastWindowEndsTheProgram() {
    QFETCH(QString, form);
    GoTo(form);
    recorder_->log.clear();
    Form* window = registry_->loaded(FormIdFromName(form));
    QVERIFY(QTest::qWaitForWindowExposed(window));
    // What the platform plugin delivers when the window manager asks the
    // window to close (frame's close button, Alt+F4). QWindow::close() would
    // count as the program closing its own window.
    QCloseEvent close;
    QCoreApplication::sendEvent(window->windowHandle(), &close);
    QVERIFY(close.isAccepted());
    QCOMPARE(lastClosed_->count(), 1);
    QCOMPARE(recorder_->log, QStringList{"EndProgram(0)"});
    QVERIFY(!registry_->anyLoaded());
}

void WindowFlowTest::programsOwnUnloadIsNotAUserClose() {
    GoTo(QStringLiteral("Form5"));
    QCOMPARE(lastClosed_->count(), 0);
    QVERIFY(!recorder_->log.contains("EndProgram(0)"));
    // Closing from the program's side is not the user leaving either.
    registry_->loaded(FormId::Form5)->close();
    QCOMPARE(lastClosed_->count(), 0);
}

// A window the registry cannot make is the program's own fault: reported and
// the program ends, in every kind of build.
void WindowFlowTest::unregisteredWindowFailsClearly() {
    FormRegistry empty;
    RunHandler([&] { empty.load(FormId::Form5); });
    QCOMPARE(recorder_->log.size(), 2);
    QVERIFY2(recorder_->log[0].startsWith(QStringLiteral("ErrorReport(\"程序内部错误：")) &&
                 recorder_->log[0].contains(QLatin1String("Form5")),
             qPrintable(recorder_->log[0]));
    QCOMPARE(recorder_->log[1], QStringLiteral("EndProgram(1)"));
    QVERIFY(!empty.anyLoaded());
}

QTEST_MAIN(WindowFlowTest)
#include "tst_window_flow.moc"

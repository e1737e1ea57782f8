// The windows as built from their layouts: places and sizes at 96 dots per
// inch, client areas, tab order, focus, keys that must do nothing, and the
// chat windows' menu shortcut.

#include "layouts/form_builder.h"
#include "layouts/twips.h"
#include "layouts/window_layouts.h"
#include "layouts/wrapping_button.h"
#include "recording_platform.h"
#include "window_fixtures.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTest>

using namespace quobel;
using quobel::testing::FormIdFromName;
using quobel::testing::MakeWindow;
using quobel::testing::RecordingPlatform;

namespace {

class BareForm : public Form {
public:
    explicit BareForm(FormId id) : Form(id) {}
    void Form_Load() override {}
};

const QStringList kCapture{QStringLiteral("Minimise(%1)"), QStringLiteral("CameraSubArea(0)")};

QStringList CaptureAfterMinimising(const QString& form) {
    return {kCapture[0].arg(form), kCapture[1]};
}

void ShowAndActivate(QWidget& window) {
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
}

} // namespace

class WindowLayoutsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void controlGeometry_data();
    void controlGeometry();
    void everyControlIsCheckedAndNoneIsExtra_data();
    void everyControlIsCheckedAndNoneIsExtra();
    void clientArea_data();
    void clientArea();
    void designedTexts_data();
    void designedTexts();
    void scalesWithTheScreen();
    void twipsRoundToTheNearestPixel_data();
    void twipsRoundToTheNearestPixel();

    void tabOrder_data();
    void tabOrder();
    void labelsNeverTakeTheFocus();
    void labelsWrapAtTheTopLeft();
    void noButtonIsDefault_data();
    void noButtonIsDefault();
    void spaceOnTheInitialFocusClicksIt();
    void longCaptionsWrapInsideTheButton_data();
    void longCaptionsWrapInsideTheButton();
    void captionsStayWholeInTallerFonts_data();
    void captionsStayWholeInTallerFonts();

    void menu_data();
    void menu();
    void ctrlDCaptures_data();
    void ctrlDCaptures();
    void ctrlDDoesNothingOutsideChatWindows_data();
    void ctrlDDoesNothingOutsideChatWindows();
    void textBoxStillTakesOtherKeys();

private:
    RecordingPlatform recorder_;
    std::unique_ptr<PlatformScope> scope_;
};

void WindowLayoutsTest::initTestCase() {
    scope_ = std::make_unique<PlatformScope>(recorder_);
    const QScreen* screen = QGuiApplication::primaryScreen();
    QVERIFY(screen);
    QCOMPARE(screen->logicalDotsPerInchX(), 96.0);
    QCOMPARE(screen->logicalDotsPerInchY(), 96.0);
}

void WindowLayoutsTest::controlGeometry_data() {
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QRect>("pixels");
    const auto Row = [](const char* form, const char* control, QRect rect) {
        QTest::addRow("%s.%s", form, control)
            << QString::fromLatin1(form) << QString::fromLatin1(control) << rect;
    };
    Row("Form1", "Command4", {64, 312, 201, 65});
    Row("Form1", "Command3", {64, 216, 201, 65});
    Row("Form1", "Command2", {64, 112, 201, 73});
    Row("Form1", "Command1", {64, 16, 201, 65});
    Row("Form2", "Command11", {128, 488, 89, 25});
    Row("Form2", "Command10", {128, 456, 89, 25});
    Row("Form2", "Command9", {200, 584, 81, 25});
    Row("Form2", "Command6", {128, 392, 89, 25});
    Row("Form2", "Command5", {120, 208, 129, 33});
    Row("Form2", "Command4", {144, 160, 81, 33});
    Row("Form2", "Text1", {104, 112, 169, 41});
    Row("Form2", "Command8", {88, 584, 73, 25});
    Row("Form2", "Command7", {128, 352, 89, 25});
    Row("Form2", "Command1", {128, 304, 89, 33});
    Row("Form2", "Command3", {32, 336, 89, 25});
    Row("Form2", "Command2", {248, 336, 89, 25});
    Row("Form2", "Label6", {160, 424, 105, 25});
    Row("Form2", "Label1", {48, 8, 249, 41});
    Row("Form2", "Label5", {64, 544, 273, 25});
    Row("Form2", "Label4", {160, 528, 113, 25});
    Row("Form2", "Label3", {152, 56, 121, 41});
    Row("Form2", "Label2", {160, 256, 113, 33});
    Row("Form5", "Command11", {128, 504, 89, 25});
    Row("Form5", "Command5", {136, 200, 97, 41});
    Row("Form5", "Command10", {128, 472, 89, 25});
    Row("Form5", "Command6", {128, 392, 89, 25});
    Row("Form5", "Command4", {144, 160, 81, 33});
    Row("Form5", "Text1", {104, 112, 169, 41});
    Row("Form5", "Command7", {128, 352, 89, 25});
    Row("Form5", "Command1", {128, 304, 89, 33});
    Row("Form5", "Command3", {32, 336, 89, 25});
    Row("Form5", "Command2", {248, 336, 89, 25});
    Row("Form5", "Label4", {168, 424, 113, 25});
    Row("Form5", "Label1", {48, 8, 249, 41});
    Row("Form5", "Label3", {152, 56, 121, 41});
    Row("Form5", "Label2", {160, 256, 113, 33});
    Row("Form3", "Command2", {192, 80, 97, 33});
    Row("Form3", "Command1", {48, 80, 105, 33});
    Row("Form3", "Label1", {40, 8, 241, 41});
}

void WindowLayoutsTest::controlGeometry() {
    QFETCH(QString, form);
    QFETCH(QString, control);
    QFETCH(QRect, pixels);
    const auto window = MakeWindow(FormIdFromName(form));
    QWidget* widget = FindControl(*window, control);
    QVERIFY(widget);
    QCOMPARE(widget->parentWidget(), window->centralWidget());
    QCOMPARE(widget->geometry(), pixels);
}

void WindowLayoutsTest::everyControlIsCheckedAndNoneIsExtra_data() {
    QTest::addColumn<QString>("form");
    QTest::addColumn<QStringList>("controls");
    QTest::newRow("Form1") << "Form1"
                           << QStringList{"Command4", "Command3", "Command2", "Command1"};
    QTest::newRow("Form2") << "Form2"
                           << QStringList{"Command11", "Command10", "Command9", "Command6",
                                          "Command5",  "Command4",  "Text1",    "Command8",
                                          "Command7",  "Command1",  "Command3", "Command2",
                                          "Label6",    "Label1",    "Label5",   "Label4",
                                          "Label3",    "Label2"};
    QTest::newRow("Form5") << "Form5"
                           << QStringList{"Command11", "Command5", "Command10", "Command6",
                                          "Command4",  "Text1",    "Command7",  "Command1",
                                          "Command3",  "Command2", "Label4",    "Label1",
                                          "Label3",    "Label2"};
    QTest::newRow("Form3") << "Form3" << QStringList{"Command2", "Command1", "Label1"};
}

// The visible controls in creation order, which is the layout order.
void WindowLayoutsTest::everyControlIsCheckedAndNoneIsExtra() {
    QFETCH(QString, form);
    QFETCH(QStringList, controls);
    const auto window = MakeWindow(FormIdFromName(form));
    QStringList created;
    for (const QObject* child : window->centralWidget()->children())
        created << child->objectName();
    QCOMPARE(created, controls);
}

void WindowLayoutsTest::clientArea_data() {
    QTest::addColumn<QString>("form");
    QTest::addColumn<QSize>("client");
    QTest::addColumn<bool>("menuBar");
    QTest::newRow("Form1") << "Form1" << QSize(312, 382) << false;
    QTest::newRow("Form2") << "Form2" << QSize(344, 618) << true;
    QTest::newRow("Form5") << "Form5" << QSize(344, 528) << true;
    QTest::newRow("Form3") << "Form3" << QSize(312, 137) << false;
}

void WindowLayoutsTest::clientArea() {
    QFETCH(QString, form);
    QFETCH(QSize, client);
    QFETCH(bool, menuBar);
    const auto window = MakeWindow(FormIdFromName(form));
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QCOMPARE(window->centralWidget()->size(), client);
    QCOMPARE(window->menuWidget() != nullptr, menuBar);
    if (menuBar) {
        // The menu bar sits above the client area, not inside it.
        QCOMPARE(window->centralWidget()->y(), window->menuWidget()->height());
        QVERIFY(window->menuWidget()->height() > 0);
    }
}

void WindowLayoutsTest::designedTexts_data() {
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("caption");
    QTest::newRow("Form1") << "Form1"
                           << "Form1";
    QTest::newRow("Form2") << "Form2"
                           << "Form2";
    QTest::newRow("Form5 keeps the caption it was copied with") << "Form5"
                                                                << "Form2";
    QTest::newRow("Form3") << "Form3"
                           << "Form3";
}

// Before the load handler runs every button and label shows its own name and
// the text box its designed text.
void WindowLayoutsTest::designedTexts() {
    QFETCH(QString, form);
    QFETCH(QString, caption);
    const auto window = MakeWindow(FormIdFromName(form));
    QCOMPARE(window->windowTitle(), caption);
    QCOMPARE(window->objectName(), form);
    for (const auto* button : window->findChildren<QPushButton*>())
        QCOMPARE(button->text(), button->objectName());
    for (const auto* label : window->findChildren<QLabel*>())
        QCOMPARE(label->text(), label->objectName());
    for (auto* edit : window->findChildren<QLineEdit*>()) {
        QCOMPARE(edit->text(), QStringLiteral("Text1"));
        // A long sentence arrives whole, past QLineEdit's usual limit.
        const QString longText(100000, QLatin1Char('x'));
        edit->setText(longText + QStringLiteral("截图"));
        QCOMPARE(edit->text().size(), longText.size() + 2);
    }
    QVERIFY(recorder_.log.isEmpty());
}

void WindowLayoutsTest::scalesWithTheScreen() {
    // At 144 dots per inch a pixel is 10 twips; sideways and upright scale
    // independently.
    BareForm form(FormId::Form3);
    BuildForm(form, layouts::kForm3, {.makeTransferControl = {}, .dotsPerInch = QPointF(144, 72)});
    QCOMPARE(FindControl(form, u"Command1")->geometry(), QRect(72, 60, 158, 25));
    QCOMPARE(FindControl(form, u"Label1")->geometry(), QRect(60, 6, 362, 31));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.centralWidget()->size(), QSize(468, 103));
}

void WindowLayoutsTest::twipsRoundToTheNearestPixel_data() {
    QTest::addColumn<int>("twips");
    QTest::addColumn<double>("dpi");
    QTest::addColumn<int>("pixels");
    QTest::newRow("one pixel at 96") << 15 << 96.0 << 1;
    QTest::newRow("just under half a pixel") << 7 << 96.0 << 0;
    QTest::newRow("half a pixel rounds up") << 15 << 48.0 << 1;
    QTest::newRow("zero") << 0 << 120.0 << 0;
    QTest::newRow("largest client height at 120") << 9270 << 120.0 << 773;
    QTest::newRow("negative rounds away from zero") << -15 << 48.0 << -1;
}

void WindowLayoutsTest::twipsRoundToTheNearestPixel() {
    QFETCH(int, twips);
    QFETCH(double, dpi);
    QFETCH(int, pixels);
    QCOMPARE(TwipsToPixels(twips, dpi), pixels);
}

void WindowLayoutsTest::tabOrder_data() {
    QTest::addColumn<QString>("form");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("Form1") << "Form1"
                           << QStringList{"Command1", "Command2", "Command3", "Command4"};
    QTest::newRow("Form2") << "Form2"
                           << QStringList{"Command2", "Command3", "Command1",  "Command7",
                                          "Command8", "Text1",    "Command4",  "Command5",
                                          "Command6", "Command9", "Command10", "Command11"};
    QTest::newRow("Form5") << "Form5"
                           << QStringList{"Command2", "Command3", "Command1", "Command7",
                                          "Text1",    "Command4", "Command6", "Command10",
                                          "Command5", "Command11"};
    QTest::newRow("Form3") << "Form3" << QStringList{"Command1", "Command2"};
}

// The focus starts on the first control of the order and Tab walks the rest,
// passing over the labels, and comes round to the start again.
void WindowLayoutsTest::tabOrder() {
    QFETCH(QString, form);
    QFETCH(QStringList, order);
    const auto window = MakeWindow(FormIdFromName(form));
    ShowAndActivate(*window);
    QStringList visited;
    for (qsizetype i = 0; i <= order.size(); ++i) {
        QWidget* focus = QApplication::focusWidget();
        QVERIFY(focus);
        visited << focus->objectName();
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    QCOMPARE(visited, order + QStringList{order.first()});
    QVERIFY(recorder_.log.isEmpty());
}

void WindowLayoutsTest::labelsNeverTakeTheFocus() {
    for (FormId id : {FormId::Form1, FormId::Form2, FormId::Form3, FormId::Form5}) {
        const auto window = MakeWindow(id);
        for (const auto* label : window->findChildren<QLabel*>())
            QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    }
}

void WindowLayoutsTest::labelsWrapAtTheTopLeft() {
    const auto window = MakeWindow(FormId::Form2);
    const auto labels = window->findChildren<QLabel*>();
    QCOMPARE(labels.size(), 6);
    for (const auto* label : labels) {
        QVERIFY(label->wordWrap());
        QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
        // A label that pulled in markup would show a different text.
        QCOMPARE(label->textFormat(), Qt::PlainText);
    }
}

void WindowLayoutsTest::noButtonIsDefault_data() {
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    for (const char* key : {"Enter", "Return", "Escape"}) {
        const int code = QByteArray(key) == "Enter"    ? Qt::Key_Enter
                         : QByteArray(key) == "Return" ? Qt::Key_Return
                                                       : Qt::Key_Escape;
        QTest::addRow("%s in Form2 Text1", key) << "Form2"
                                                << "Text1" << code;
        QTest::addRow("%s in Form5 Text1", key) << "Form5"
                                                << "Text1" << code;
        QTest::addRow("%s on Form2 Command4", key) << "Form2"
                                                   << "Command4" << code;
        QTest::addRow("%s on Form5 Command2", key) << "Form5"
                                                   << "Command2" << code;
        QTest::addRow("%s on Form1 Command1", key) << "Form1"
                                                   << "Command1" << code;
        QTest::addRow("%s on Form3 Command2", key) << "Form3"
                                                   << "Command2" << code;
    }
}

void WindowLayoutsTest::noButtonIsDefault() {
    QFETCH(QString, form);
    QFETCH(QString, focus);
    QFETCH(int, key);
    const auto window = MakeWindow(FormIdFromName(form));
    ShowAndActivate(*window);
    QWidget* control = FindControl(*window, focus);
    control->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), control);
    recorder_.log.clear();
    QTest::keyClick(control, Qt::Key(key));
    QCOMPARE(recorder_.log, QStringList{});
    QVERIFY(window->isVisible());
    for (const auto* button : window->findChildren<QPushButton*>()) {
        QVERIFY(!button->isDefault());
        QVERIFY(!button->autoDefault());
    }
}

void WindowLayoutsTest::spaceOnTheInitialFocusClicksIt() {
    const auto window = MakeWindow(FormId::Form2);
    ShowAndActivate(*window);
    recorder_.log.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(recorder_.log,
             QStringList{RecordingPlatform::Message(QStringLiteral("别想退出！！！"))});
}

void WindowLayoutsTest::longCaptionsWrapInsideTheButton_data() {
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("lines");
    QTest::newRow("short caption, one line") << QStringLiteral("确定") << 1;
    QTest::newRow("phrase-list button, two lines") << QStringLiteral("下载Quobel支持用语") << 2;
}

// Rendered, the ink of the caption spans one line or two, and stays inside
// the button's frame.
void WindowLayoutsTest::longCaptionsWrapInsideTheButton() {
    QFETCH(QString, caption);
    QFETCH(int, lines);
    const auto window = MakeWindow(FormId::Form5);
    auto* button = qobject_cast<QPushButton*>(FindControl(*window, u"Command5"));
    button->setText(caption);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const QImage image = button->grab().toImage();
    const QRect inside = button->rect().adjusted(3, 3, -3, -3);
    int top = -1;
    int bottom = -1;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x) {
            if (QColor(image.pixel(x, y)).lightness() < 110) {
                if (top < 0)
                    top = y;
                bottom = y;
                break;
            }
        }
    }
    QVERIFY2(top >= 0, "no caption drawn");
    const int lineHeight = button->fontMetrics().height();
    const int ink = bottom - top + 1;
    if (lines == 1)
        QVERIFY2(ink <= lineHeight, qPrintable(QString::number(ink)));
    else
        QVERIFY2(ink > lineHeight * 1.2, qPrintable(QString::number(ink)));
    QCOMPARE(button->text(), caption);
}

void WindowLayoutsTest::captionsStayWholeInTallerFonts_data() {
    QTest::addColumn<int>("form");
    QTest::addColumn<int>("pixelSize");
    for (const FormId form : {FormId::Form1, FormId::Form2, FormId::Form3, FormId::Form5}) {
        // 12 px is the designer's font; 15 px has the taller lines of Wine's
        // fallback fonts, where "截图（不最小化窗口）" lost its top and bottom.
        for (const int size : {12, 15})
            QTest::addRow("%s, %d px", qPrintable(FormName(form)), size) << int(form) << size;
    }
}

// Every wrapping caption, in any font, is drawn whole inside its button's
// frame, and in the designed font it is never made smaller.
void WindowLayoutsTest::captionsStayWholeInTallerFonts() {
    QFETCH(int, form);
    QFETCH(int, pixelSize);
    const auto window = MakeWindow(FormId(form));
    QFont font = window->font();
    font.setPixelSize(pixelSize);
    window->setFont(font);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    const auto buttons = window->findChildren<WrappingButton*>();
    QVERIFY(!buttons.isEmpty());
    for (const WrappingButton* button : buttons) {
        const CaptionFit fit = button->captionFit();
        const QRectF drawn = QFontMetricsF(fit.font).boundingRect(
            fit.area, Qt::AlignCenter | Qt::TextWordWrap, button->text());
        QVERIFY2(QRectF(button->rect()).contains(drawn),
                 qPrintable(QStringLiteral("%1: %2 px tall in %3")
                                .arg(button->text())
                                .arg(drawn.height())
                                .arg(button->height())));
        if (pixelSize == 12)
            QCOMPARE(fit.font.pixelSize(), 12);
        QVERIFY(fit.font.pixelSize() >= pixelSize * 7 / 10);
    }
}

void WindowLayoutsTest::menu_data() {
    QTest::addColumn<QString>("form");
    QTest::newRow("Form2") << "Form2";
    QTest::newRow("Form5") << "Form5";
}

void WindowLayoutsTest::menu() {
    QFETCH(QString, form);
    const auto window = MakeWindow(FormIdFromName(form));
    const auto menus = window->menuBar()->findChildren<QMenu*>();
    QCOMPARE(menus.size(), 1);
    QCOMPARE(menus[0]->objectName(), QStringLiteral("qor"));
    QCOMPARE(menus[0]->title(), QStringLiteral("截图"));
    QCOMPARE(menus[0]->actions().size(), 1);
    QAction* item = menus[0]->actions().first();
    QCOMPARE(item->objectName(), QStringLiteral("qory"));
    QCOMPARE(item->text(), QStringLiteral("截图"));
    QCOMPARE(item->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
    QVERIFY(item->isEnabled());
    QVERIFY(item->isVisible());
    QCOMPARE(window->menuBar()->actions().size(), 1);
}

void WindowLayoutsTest::ctrlDCaptures_data() {
    QTest::addColumn<QString>("form");
    QTest::addColumn<QString>("focus");
    for (const char* form : {"Form2", "Form5"}) {
        QTest::addRow("%s, focus where it starts", form) << form << "";
        QTest::addRow("%s, typing in Text1", form) << form << "Text1";
        QTest::addRow("%s, focus on Command4", form) << form << "Command4";
        QTest::addRow("%s, menu item chosen", form) << form << "menu";
    }
}

void WindowLayoutsTest::ctrlDCaptures() {
    QFETCH(QString, form);
    QFETCH(QString, focus);
    const auto window = MakeWindow(FormIdFromName(form));
    ShowAndActivate(*window);
    recorder_.log.clear();
    if (focus == QLatin1String("menu")) {
        FindMenuItem(*window, u"qory")->trigger();
    } else {
        if (!focus.isEmpty()) {
            QWidget* control = FindControl(*window, focus);
            control->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), control);
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);
    }
    QCOMPARE(recorder_.log, CaptureAfterMinimising(form));
    QVERIFY(window->isMinimized());
    if (focus == QLatin1String("Text1"))
        QCOMPARE(qobject_cast<QLineEdit*>(FindControl(*window, u"Text1"))->text(),
                 QStringLiteral("Text1"));
}

void WindowLayoutsTest::ctrlDDoesNothingOutsideChatWindows_data() {
    QTest::addColumn<QString>("form");
    QTest::newRow("Form1") << "Form1";
    QTest::newRow("Form3") << "Form3";
}

void WindowLayoutsTest::ctrlDDoesNothingOutsideChatWindows() {
    QFETCH(QString, form);
    const auto window = MakeWindow(FormIdFromName(form));
    ShowAndActivate(*window);
    recorder_.log.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(recorder_.log, QStringList{});
    QVERIFY(!window->isMinimized());
}

// Letting the menu shortcut through must not take other editing keys away
// from the text box.
void WindowLayoutsTest::textBoxStillTakesOtherKeys() {
    const auto window = MakeWindow(FormId::Form5);
    ShowAndActivate(*window);
    auto* text1 = qobject_cast<QLineEdit*>(FindControl(*window, u"Text1"));
    text1->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), text1);
    QTest::keyClick(text1, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(text1, QStringLiteral("ni"));
    QTest::keyClick(text1, Qt::Key_Backspace);
    QCOMPARE(text1->text(), QStringLiteral("n"));
    QVERIFY(!window->isMinimized());
}

QTEST_MAIN(WindowLayoutsTest)
#include "tst_window_layouts.moc"

// Qt's own texts in the program's windows come out in Chinese, like the
// program's: the message box's single button and the text box's menu.

#include "app/qt_texts.h"
#include "layouts/form_builder.h"
#include "platform/qt_platform.h"
#include "platform/message_box.h"
#include "window_fixtures.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace quobel;
using namespace quobel::testing;

class QtTextsTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void messageBoxButtonReadsConfirm();
    void textBoxMenuIsChinese();
};

void QtTextsTest::initTestCase() {
    QVERIFY2(InstallQtChineseTexts(*qApp), "Qt's Chinese catalogue (qt6-translations-l10n)");
}

void QtTextsTest::messageBoxButtonReadsConfirm() {
    QtPlatform platform;
    PlatformScope scope(platform);
    QStringList buttons;
    std::function<void()> readAndDismiss = [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            QTimer::singleShot(10, readAndDismiss);
            return;
        }
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        box->button(QMessageBox::Ok)->click();
    };
    QTimer::singleShot(0, readAndDismiss);
    ShowMessage(QStringLiteral("你也好啊！！！"), QStringLiteral("对话"));
    QCOMPARE(buttons, QStringList{QStringLiteral("确定")});
}

void QtTextsTest::textBoxMenuIsChinese() {
    const auto window = MakeWindow(FormId::Form5);
    auto* text1 = qobject_cast<QLineEdit*>(FindControl(*window, u"Text1"));
    QVERIFY(text1);
    QCOMPARE(text1->contextMenuPolicy(), Qt::DefaultContextMenu);
    const std::unique_ptr<QMenu> menu(text1->createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator())
            texts << action->text().section(QLatin1Char('\t'), 0, 0); // without the shortcut
    QVERIFY2(texts.filter(QStringLiteral("粘贴")).size() == 1, qPrintable(texts.join('|')));
    // Nothing of Qt's English is left.
    for (const QString& text : texts)
        QVERIFY2(!text.contains(QRegularExpression(QStringLiteral("[a-z]{2}"))), qPrintable(text));
}

QTEST_MAIN(QtTextsTest)
#include "tst_qt_texts.moc"

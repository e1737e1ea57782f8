#include "app/start_window.h"

#include "layouts/form_builder.h"
#include "layouts/window_layouts.h"
#include "platform/end_program.h"
#include "platform/instance_guard.h"
#include "platform/links.h"
#include "platform/open_link.h"
#include "platform/program_icon.h"
#include "platform/run_handler.h"
#include "platform/show_message.h"
#include "platform/window_text.h"

#include <QPushButton>

namespace quobel {

namespace {

QPushButton* Button(QWidget& form, QStringView name) {
    return qobject_cast<QPushButton*>(FindControl(form, name));
}

} // namespace

StartWindow::StartWindow(QWidget* parent) : Form(FormId::Form1, parent) {
    BuildForm(*this, layouts::kForm1);
    Command1 = Button(*this, u"Command1");
    Command2 = Button(*this, u"Command2");
    Command3 = Button(*this, u"Command3");
    Command4 = Button(*this, u"Command4");
    connect(Command1, &QPushButton::clicked, this,
            [this] { RunHandler([this] { Command1_Click(); }); });
    connect(Command2, &QPushButton::clicked, this,
            [this] { RunHandler([this] { Command2_Click(); }); });
    connect(Command3, &QPushButton::clicked, this,
            [this] { RunHandler([this] { Command3_Click(); }); });
    connect(Command4, &QPushButton::clicked, this,
            [this] { RunHandler([this] { Command4_Click(); }); });
}

void StartWindow::Form_Load() {
    if (PreviousInstanceRunning()) {
        ShowMessage(QStringLiteral("本程序已运行！！！"));
        EndProgram();
    }
    ShowMessage(
        QStringLiteral(
            "必须将存放本程序的压缩包的所有文件放在同一目录！！！必须要个图标，否则无法打开!!!"),
        QStringLiteral("使用须知"));
    LoadProgramIcon(*this);
    SetCaption(*this, QStringLiteral("QuobelV3.2.5跟进版"));
    SetText(*Command1, QStringLiteral("免费版（有广告，点我支持小q）"));
    SetText(*Command2, QStringLiteral("免费版（无广告）"));
    SetText(*Command3, QStringLiteral("制作图标"));
    SetText(*Command4, QStringLiteral("BUG反馈"));
}

void StartWindow::Command1_Click() {
    LoadForm(FormId::Form2);
    ShowForm(FormId::Form2);
}

void StartWindow::Command2_Click() {
    LoadForm(FormId::Form3);
    ShowForm(FormId::Form3);
}

void StartWindow::Command3_Click() {
    OpenLink(IconToolLink);
}

void StartWindow::Command4_Click() {
    OpenLink(BugForumLink);
}

} // namespace quobel

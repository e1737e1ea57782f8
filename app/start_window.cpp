#include "app/start_window.h"

#include "layouts/form_builder.h"
#include "layouts/window_layouts.h"
#include "platform/control_text.h"
#include "platform/instance_lock.h"
#include "platform/link_opener.h"
#include "platform/links.h"
#include "platform/message_box.h"
#include "platform/program_icon.h"
#include "platform/run_handler.h"

#include <QPushButton>

#include <array>

namespace quobel {

namespace {

constexpr std::array<EventHandler<StartWindow>, 4> kHandlers{{
    {u"Command1", &StartWindow::Command1_Click},
    {u"Command2", &StartWindow::Command2_Click},
    {u"Command3", &StartWindow::Command3_Click},
    {u"Command4", &StartWindow::Command4_Click},
}};

// Set at load after the caption, in this order.
constexpr std::array<ControlText, 4> kLoadTexts{{
    {u"Command1", u"免费版（有广告，点我支持小q）"},
    {u"Command2", u"免费版（无广告）"},
    {u"Command3", u"制作图标"},
    {u"Command4", u"BUG反馈"},
}};

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
    connectHandlers(handlers());
}

std::span<const EventHandler<StartWindow>> StartWindow::handlers() {
    return kHandlers;
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
    SetCaption(*this, kWindowCaption.toString());
    SetTexts(*this, kLoadTexts);
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

#include "app/confirmation_window.h"

#include "layouts/form_builder.h"
#include "layouts/window_layouts.h"
#include "platform/program_icon.h"
#include "platform/run_handler.h"
#include "platform/window_text.h"

#include <QLabel>
#include <QPushButton>

namespace quobel {

ConfirmationWindow::ConfirmationWindow(QWidget* parent) : Form(FormId::Form3, parent) {
    BuildForm(*this, layouts::kForm3);
    Label1 = qobject_cast<QLabel*>(FindControl(*this, u"Label1"));
    Command1 = qobject_cast<QPushButton*>(FindControl(*this, u"Command1"));
    Command2 = qobject_cast<QPushButton*>(FindControl(*this, u"Command2"));
    connect(Command1, &QPushButton::clicked, this,
            [this] { RunHandler([this] { Command1_Click(); }); });
    connect(Command2, &QPushButton::clicked, this,
            [this] { RunHandler([this] { Command2_Click(); }); });
}

void ConfirmationWindow::Form_Load() {
    LoadProgramIcon(*this);
    SetCaption(*this, QStringLiteral("QuobelV3.2.5跟进版"));
    SetText(*Label1, QStringLiteral("为了感谢小q的努力，希望大家用免费版（有广告）！！"));
    SetText(*Command1, QStringLiteral("确定使用无广告版"));
    SetText(*Command2, QStringLiteral("返回"));
    UnloadForm(FormId::Form1);
}

// Both buttons unload this very window as their last step; the registry
// keeps the object alive until the click has been handled.
void ConfirmationWindow::Command1_Click() {
    LoadForm(FormId::Form5);
    ShowForm(FormId::Form5);
    UnloadForm(FormId::Form3);
}

void ConfirmationWindow::Command2_Click() {
    LoadForm(FormId::Form1);
    ShowForm(FormId::Form1);
    UnloadForm(FormId::Form3);
}

} // namespace quobel

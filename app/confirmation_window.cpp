#include "app/confirmation_window.h"

#include "layouts/form_builder.h"
#include "layouts/window_layouts.h"
#include "platform/control_text.h"
#include "platform/program_icon.h"

#include <QLabel>
#include <QPushButton>

#include <array>

namespace quobel {

namespace {

constexpr std::array<EventHandler<ConfirmationWindow>, 2> kHandlers{{
    {u"Command1", &ConfirmationWindow::Command1_Click},
    {u"Command2", &ConfirmationWindow::Command2_Click},
}};

// Set at load after the caption, in this order.
constexpr std::array<ControlText, 3> kLoadTexts{{
    {u"Label1", u"为了感谢小q的努力，希望大家用免费版（有广告）！！"},
    {u"Command1", u"确定使用无广告版"},
    {u"Command2", u"返回"},
}};

} // namespace

ConfirmationWindow::ConfirmationWindow(QWidget* parent) : Form(FormId::Form3, parent) {
    BuildForm(*this, layouts::kForm3);
    Label1 = qobject_cast<QLabel*>(FindControl(*this, u"Label1"));
    Command1 = qobject_cast<QPushButton*>(FindControl(*this, u"Command1"));
    Command2 = qobject_cast<QPushButton*>(FindControl(*this, u"Command2"));
    connectHandlers(handlers());
}

std::span<const EventHandler<ConfirmationWindow>> ConfirmationWindow::handlers() {
    return kHandlers;
}

void ConfirmationWindow::Form_Load() {
    LoadProgramIcon(*this);
    SetCaption(*this, kWindowCaption.toString());
    SetTexts(*this, kLoadTexts);
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

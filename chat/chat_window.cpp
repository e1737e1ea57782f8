#include "chat/chat_window.h"

#include "chat/chat_turn_adapter.h"
#include "chat/short_name.h"
#include "chat/transfer_control.h"
#include "chat/update_check.h"
#include "layouts/form_builder.h"
#include "platform/capture_binding.h"
#include "platform/control_text.h"
#include "platform/link_opener.h"
#include "platform/links.h"
#include "platform/message_box.h"
#include "platform/program_icon.h"
#include "platform/run_handler.h"

#include <QAction>
#include <QLineEdit>

#include <array>

namespace quobel {

namespace {

constexpr std::array<EventHandler<ChatWindow>, 12> kHandlers{{
    {u"Command1", &ChatWindow::Command1_Click},
    {u"Command2", &ChatWindow::Command2_Click},
    {u"Command3", &ChatWindow::Command3_Click},
    {u"Command4", &ChatWindow::Command4_Click},
    {u"Command5", &ChatWindow::Command5_Click},
    {u"Command6", &ChatWindow::Command6_Click},
    {u"Command7", &ChatWindow::Command7_Click},
    {u"Command8", &ChatWindow::Command8_Click},
    {u"Command9", &ChatWindow::Command9_Click},
    {u"Command10", &ChatWindow::Command10_Click},
    {u"Command11", &ChatWindow::Command11_Click},
    {u"qory", &ChatWindow::qory_Click},
}};

} // namespace

ChatWindow::ChatWindow(FormId id, QWidget* parent) : Form(id, parent), edition_(EditionOf(id)) {
    BuildOptions options;
    options.makeTransferControl = [this](QObject* owner) {
        Inet1 = new TransferControl(owner);
        return Inet1;
    };
    BuildForm(*this, *edition_.layout, options);

    Text1 = qobject_cast<QLineEdit*>(FindControl(*this, u"Text1"));
    qory = FindMenuItem(*this, u"qory");
    connectHandlers(handlers());
}

std::span<const EventHandler<ChatWindow>> ChatWindow::handlers() {
    return kHandlers;
}

void ChatWindow::Form_Load() {
    LoadProgramIcon(*this);
    SetCaption(*this, kWindowCaption.toString());
    SetTexts(*this, edition_.loadTexts);
    if (edition_.loadUnloadsStartAndOpensBlogs)
        UnloadForm(FormId::Form1);
    ShowMessage(kWelcomeText.toString());
    if (edition_.loadUnloadsStartAndOpensBlogs) {
        OpenLink(BlogLinkA);
        OpenLink(BlogLinkB);
    }
}

void ChatWindow::Command1_Click() {
    ShowMessage(edition_.aboutText.toString());
    OpenLink(BlogLinkA);
    OpenLink(BlogLinkB);
}

void ChatWindow::Command2_Click() {
    ShowMessage(kRefuseExitText.toString());
}

void ChatWindow::Command3_Click() {
    if (edition_.exitOpensBlogs) {
        OpenLink(BlogLinkA);
        OpenLink(BlogLinkB);
    }
    EndProgram();
}

void ChatWindow::Command4_Click() {
    RunPlatformChatTurn(Text1->text());
}

void ChatWindow::Command5_Click() {
    OpenLink(PhraseListLink);
}

void ChatWindow::Command6_Click() {
    ShowMessage(kUsageText.toString(), kUsageTitle.toString());
}

void ChatWindow::Command7_Click() {
    RunUpdateCheck(*Inet1);
}

void ChatWindow::Command8_Click() {
    OpenLink(BlogLinkA);
}

void ChatWindow::Command9_Click() {
    OpenLink(BlogLinkB);
}

void ChatWindow::Command10_Click() {
    MinimiseWindow(*this);
    CameraSubArea(0);
}

void ChatWindow::Command11_Click() {
    CameraSubArea(0);
}

void ChatWindow::qory_Click() {
    Command10_Click();
}

QString ChatWindow::ShortName(const QString& longPath) const {
    return ShortPathName(longPath);
}

} // namespace quobel

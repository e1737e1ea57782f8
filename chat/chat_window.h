#pragma once

#include "chat/chat_edition.h"
#include "platform/forms.h"

#include <span>

class QAction;
class QLineEdit;

namespace quobel {

class TransferControl;

// The chat window, in the edition with advertisements (Form2) or without
// (Form5). One class; what differs between the two is data (ChatEdition).
class ChatWindow : public Form {
    Q_OBJECT
public:
    explicit ChatWindow(FormId id, QWidget* parent = nullptr);

    // Which control runs which handler.
    static std::span<const EventHandler<ChatWindow>> handlers();

    void Form_Load() override;
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Command10_Click();
    void Command11_Click();
    void qory_Click();

    // Nothing in the program calls this; it is part of the window's public
    // face only.
    QString ShortName(const QString& longPath) const;

    QLineEdit* Text1 = nullptr;
    TransferControl* Inet1 = nullptr;
    QAction* qory = nullptr;

private:
    const ChatEdition& edition_;
};

} // namespace quobel

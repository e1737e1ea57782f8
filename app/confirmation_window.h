#pragma once

#include "platform/forms.h"

#include <span>

class QLabel;
class QPushButton;

namespace quobel {

// Form3: confirms the choice of the edition without advertisements, or goes
// back to the start window.
class ConfirmationWindow : public Form {
    Q_OBJECT
public:
    explicit ConfirmationWindow(QWidget* parent = nullptr);

    // Which control runs which handler.
    static std::span<const EventHandler<ConfirmationWindow>> handlers();

    void Form_Load() override;
    void Command1_Click();
    void Command2_Click();

    QLabel* Label1 = nullptr;
    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
};

} // namespace quobel

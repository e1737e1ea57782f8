#pragma once

#include "platform/forms.h"

#include <span>

class QPushButton;

namespace quobel {

// Form1: where the program begins and the edition is chosen.
class StartWindow : public Form {
    Q_OBJECT
public:
    explicit StartWindow(QWidget* parent = nullptr);

    // Which control runs which handler.
    static std::span<const EventHandler<StartWindow>> handlers();

    void Form_Load() override;
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();

    QPushButton* Command1 = nullptr;
    QPushButton* Command2 = nullptr;
    QPushButton* Command3 = nullptr;
    QPushButton* Command4 = nullptr;
};

} // namespace quobel

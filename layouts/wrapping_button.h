#pragma once

#include <QPushButton>

namespace quobel {

// A push button whose caption wraps onto more lines when it is wider than the
// button, centred both ways, as the designed buttons expect: some captions
// are laid out on two lines in a button twice as tall as one line.
class WrappingButton : public QPushButton {
    Q_OBJECT
public:
    explicit WrappingButton(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace quobel

#include "CameraDll/ui/capture_toolbar.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace camera {

namespace {

constexpr int kSpacing = 4;

QIcon TickIcon() {
    const int side = 64;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(
        QPen(QColor(30, 150, 60), side / 8.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tick;
    tick.moveTo(side * 0.18, side * 0.52);
    tick.lineTo(side * 0.42, side * 0.76);
    tick.lineTo(side * 0.84, side * 0.26);
    painter.drawPath(tick);
    return QIcon(pixmap);
}

QIcon SwatchIcon(const QColor& colour) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(QPen(QColor(90, 90, 90), 2));
    painter.setBrush(colour);
    painter.drawRect(3, 3, 26, 26);
    return QIcon(pixmap);
}

struct ToolChoice {
    Tool tool;
    const char* name;
    const char* tip;
};

const ToolChoice kTools[] = {
    {Tool::Rectangle, "矩形", "拖动画矩形框"},
    {Tool::Ellipse, "椭圆", "拖动画椭圆"},
    {Tool::Arrow, "箭头", "拖动画箭头，箭头在松开处"},
    {Tool::Pen, "画笔", "按住拖动自由画"},
    {Tool::Highlighter, "荧光笔", "按住拖动，像荧光笔一样标出文字"},
    {Tool::Text, "文字", "单击放置文字，回车结束"},
    {Tool::Number, "序号", "单击放置带序号的圆点：1、2、3……"},
    {Tool::Mosaic, "马赛克", "拖动给区域打马赛克，文字无法还原"},
    {Tool::Blur, "模糊", "拖动模糊区域"},
};

struct WidthChoice {
    const char* name;
    qreal width;
};

const WidthChoice kWidths[] = {
    {"细", Markup::kThin},
    {"中", Markup::kMedium},
    {"粗", Markup::kThick},
};

} // namespace

const std::vector<CaptureToolbar::Choice>& CaptureToolbar::colours() {
    static const std::vector<Choice> choices{
        {"红色", QColor(0xFF, 0x00, 0x00)}, {"黄色", QColor(0xFF, 0xD6, 0x00)},
        {"绿色", QColor(0x00, 0xB0, 0x3C)}, {"蓝色", QColor(0x00, 0x66, 0xFF)},
        {"黑色", QColor(0x00, 0x00, 0x00)}, {"白色", QColor(0xFF, 0xFF, 0xFF)},
    };
    return choices;
}

CaptureToolbar::CaptureToolbar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("captureToolbar"));
    setAutoFillBackground(true);
    setCursor(Qt::ArrowCursor);
    rows_ = new QVBoxLayout(this);
    rows_->setContentsMargins(kSpacing, kSpacing, kSpacing, kSpacing);
    rows_->setSpacing(kSpacing);

    // Two groups of tools, lines and then areas, so a narrow screen can
    // take them on two rows.
    QWidget* group = addGroup();
    for (const ToolChoice& choice : kTools) {
        if (choice.tool == Tool::Text)
            group = addGroup();
        QToolButton* button =
            addButton(group, QString::fromUtf8(choice.name), QString::fromUtf8(choice.tip));
        button->setCheckable(true);
        const Tool tool = choice.tool;
        // toggled, not clicked: a screen reader toggles a checkable button
        // without clicking it.
        connect(button, &QToolButton::toggled, this,
                [this, tool](bool checked) { emit toolChosen(checked ? tool : Tool::None); });
        tools_.emplace_back(button, tool);
    }

    group = addGroup();
    for (const Choice& choice : colours()) {
        const QString name = QString::fromUtf8(choice.name);
        QToolButton* button = addButton(group, name, name);
        button->setCheckable(true);
        button->setIcon(SwatchIcon(choice.colour));
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        const QColor colour = choice.colour;
        // Unchecking the chosen colour chooses it again, which checks it back.
        connect(button, &QToolButton::toggled, this, [this, colour] { emit colourChosen(colour); });
        swatches_.emplace_back(button, colour);
    }

    group = addGroup();
    for (const WidthChoice& choice : kWidths) {
        QToolButton* button = addButton(group, QString::fromUtf8(choice.name),
                                        QStringLiteral("线宽 %1").arg(choice.width));
        button->setCheckable(true);
        const qreal width = choice.width;
        connect(button, &QToolButton::toggled, this, [this, width] { emit widthChosen(width); });
        widths_.emplace_back(button, width);
    }

    group = addGroup();
    undo_ = addButton(group, QStringLiteral("撤销"), QStringLiteral("撤销（Ctrl+Z）"));
    redo_ = addButton(group, QStringLiteral("重做"), QStringLiteral("重做（Ctrl+Y）"));
    connect(undo_, &QToolButton::clicked, this, &CaptureToolbar::undoRequested);
    connect(redo_, &QToolButton::clicked, this, &CaptureToolbar::redoRequested);

    group = addGroup();
    readText_ = addButton(group, QStringLiteral("文字识别"), QString());
    pin_ = addButton(group, QStringLiteral("贴图"),
                     QStringLiteral("把选区钉在屏幕上，留在其他窗口之上"));
    connect(readText_, &QToolButton::clicked, this, &CaptureToolbar::readTextRequested);
    connect(pin_, &QToolButton::clicked, this, &CaptureToolbar::pinRequested);

    group = addGroup();
    cancel_ = addButton(group, QStringLiteral("取消"), QStringLiteral("取消截图（Esc）"));
    connect(cancel_, &QToolButton::clicked, this, &CaptureToolbar::cancelRequested);
    save_ = addButton(group, QStringLiteral("保存"), QStringLiteral("保存为图片文件（Ctrl+S）"));
    save_->setObjectName(QStringLiteral("saveButton"));
    finish_ = addButton(group, QStringLiteral("✔"),
                        QStringLiteral("完成（复制到剪贴板，不保存文件；回车）"));
    finish_->setObjectName(QStringLiteral("finishButton"));
    finish_->setIcon(TickIcon());
    finish_->setIconSize(QSize(20, 20));
    finish_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    connect(save_, &QToolButton::clicked, this, &CaptureToolbar::saveRequested);
    connect(finish_, &QToolButton::clicked, this, &CaptureToolbar::finishRequested);

    fitWidth(QWIDGETSIZE_MAX);
    showState(Tool::None, colours().front().colour, Markup::kMedium, false, false);
    showRecognition(false, QString());
}

void CaptureToolbar::showRecognition(bool ready, const QString& missing) {
    readText_->setEnabled(ready);
    readText_->setToolTip(ready ? QStringLiteral("识别选区里的文字（简体中文和英文）") : missing);
}

QWidget* CaptureToolbar::addGroup() {
    auto* group = new QWidget(this);
    auto* layout = new QHBoxLayout(group);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(kSpacing);
    groups_.push_back(group);
    return group;
}

QToolButton* CaptureToolbar::addButton(QWidget* group, const QString& text, const QString& tip) {
    auto* button = new QToolButton(group);
    button->setText(text);
    button->setAccessibleName(text);
    button->setToolTip(tip);
    // The keys belong to the overlay: arrows move the selection, Enter ends.
    button->setFocusPolicy(Qt::NoFocus);
    button->setMinimumSize(28, 28);
    group->layout()->addWidget(button);
    return button;
}

void CaptureToolbar::showState(Tool tool, const QColor& colour, qreal width, bool canUndo,
                               bool canRedo) {
    // Only showing: the buttons' own signals would choose again.
    const QSignalBlocker blocker(this);
    std::vector<QSignalBlocker> quiet;
    quiet.reserve(tools_.size() + swatches_.size() + widths_.size());
    for (const auto& entry : tools_)
        quiet.emplace_back(entry.first);
    for (const auto& entry : swatches_)
        quiet.emplace_back(entry.first);
    for (const auto& entry : widths_)
        quiet.emplace_back(entry.first);
    for (const auto& [button, choice] : tools_)
        button->setChecked(choice == tool);
    for (const auto& [button, choice] : swatches_)
        button->setChecked(choice == colour);
    for (const auto& [button, choice] : widths_)
        button->setChecked(choice == width);
    undo_->setEnabled(canUndo);
    redo_->setEnabled(canRedo);
}

void CaptureToolbar::fitWidth(int width) {
    if (width == fittedWidth_)
        return;
    fittedWidth_ = width;
    // Sizes are only right once the style has seen the buttons, which it
    // otherwise does when the toolbar is first shown.
    ensurePolished();
    const int room = width - 2 * kSpacing;
    while (QLayoutItem* item = rows_->takeAt(0))
        delete item; // the row layouts; the groups stay children of this
    QHBoxLayout* row = nullptr;
    int used = 0;
    for (QWidget* group : groups_) {
        const int wide = group->sizeHint().width();
        if (!row || used + kSpacing * 3 + wide > room) {
            row = new QHBoxLayout;
            row->setSpacing(kSpacing * 3);
            rows_->addLayout(row);
            used = -kSpacing * 3;
        }
        row->addWidget(group);
        used += kSpacing * 3 + wide;
    }
    for (int i = 0; i < rows_->count(); ++i)
        static_cast<QHBoxLayout*>(rows_->itemAt(i)->layout())->addStretch();
    rows_->activate();
    adjustSize();
}

} // namespace camera

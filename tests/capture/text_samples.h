#pragma once

// Text as desktop programs show it, rendered here in the CJK font, for the
// text recognition's test and bench/recognition alike: the test's threshold
// stands on the figures the bench measures on these very pictures.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QStringList>

#include <vector>

namespace camera::testing {

// What a Chinese desktop program's windows say: menus, buttons, messages,
// some with Latin letters and digits among them.
inline QStringList ChineseUiTexts() {
    return {
        QStringLiteral("文件"),
        QStringLiteral("编辑"),
        QStringLiteral("查看"),
        QStringLiteral("帮助"),
        QStringLiteral("确定"),
        QStringLiteral("取消"),
        QStringLiteral("保存截图"),
        QStringLiteral("请输入您要发送的消息"),
        QStringLiteral("网络连接失败，请检查设置后重试"),
        QStringLiteral("正在检查更新，请稍候"),
        QStringLiteral("发现新版本，是否立即下载？"),
        QStringLiteral("聊天记录已保存到文件夹"),
        QStringLiteral("复制到剪贴板"),
        QStringLiteral("使用说明"),
        QStringLiteral("关于本程序"),
        QStringLiteral("设置快捷键"),
        QStringLiteral("窗口置顶显示"),
        QStringLiteral("选择区域后按回车完成"),
        QStringLiteral("已发送"),
        QStringLiteral("对方正在输入"),
        QStringLiteral("图片太大，无法发送"),
        QStringLiteral("下载Quobel支持用语"),
        QStringLiteral("版本3.25已是最新"),
        QStringLiteral("按Ctrl+D截图"),
    };
}

// English as it appears beside it: the other language the capture reads.
inline QStringList EnglishUiTexts() {
    return {
        QStringLiteral("File"),
        QStringLiteral("Edit"),
        QStringLiteral("View"),
        QStringLiteral("Help"),
        QStringLiteral("Check for updates"),
        QStringLiteral("Save as PNG file"),
        QStringLiteral("Network error, please try again later"),
        QStringLiteral("Copy to clipboard"),
        QStringLiteral("Settings"),
        QStringLiteral("About this program"),
        QStringLiteral("Version 3.25 is up to date"),
        QStringLiteral("Press Ctrl+D to capture"),
    };
}

// A window's worth of labels: in columns the given distance apart, rows the
// given number of text heights apart, on Qt's window grey.
struct TextLayout {
    int columns;
    int columnWidth;
    qreal rowSpacing; // in text heights
};

// Three ways a window lays out its labels; the engine's line finding reacts
// to the gaps, so a figure from one layout alone says little.
inline std::vector<TextLayout> TextLayouts() {
    return {{2, 300, 3}, {2, 280, 2.5}, {1, 560, 2}};
}

inline QImage RenderedTexts(const QStringList& texts, int pixelSize, qreal scale,
                            const TextLayout& layout, QSize size = QSize()) {
    const int rows = int(texts.size() + layout.columns - 1) / layout.columns;
    const int rowHeight = qRound(pixelSize * layout.rowSpacing);
    if (size.isEmpty())
        size = QSize(20 + layout.columns * layout.columnWidth, 20 + rows * rowHeight);
    QImage image(size * scale, QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(QColor(239, 239, 239));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QFont font(QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(pixelSize);
    painter.setFont(font);
    painter.setPen(Qt::black);
    for (int i = 0; i < texts.size(); ++i)
        painter.drawText(20 + (i % layout.columns) * layout.columnWidth,
                         10 + pixelSize + (i / layout.columns) * rowHeight, texts[i]);
    return image;
}

// Edits needed to find needle anywhere in hay, spaces left out of both: a
// label must be read right wherever the engine put it among the rest.
inline int ErrorsWithin(const QString& needleText, const QString& hayText) {
    const auto bare = [](const QString& text) {
        std::u32string chars;
        for (const char32_t c : text.toStdU32String())
            if (!QChar::isSpace(c))
                chars += c;
        return chars;
    };
    const std::u32string needle = bare(needleText), hay = bare(hayText);
    std::vector<int> previous(hay.size() + 1, 0), current(hay.size() + 1);
    for (std::size_t i = 1; i <= needle.size(); ++i) {
        current[0] = int(i);
        for (std::size_t j = 1; j <= hay.size(); ++j)
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1,
                                   previous[j - 1] + (needle[i - 1] != hay[j - 1] ? 1 : 0)});
        std::swap(previous, current);
    }
    return *std::min_element(previous.begin(), previous.end());
}

} // namespace camera::testing

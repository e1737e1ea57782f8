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

inline int EditDistance(const std::u32string& a, const std::u32string& b) {
    std::vector<int> previous(b.size() + 1), current(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        previous[j] = int(j);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = int(i);
        for (std::size_t j = 1; j <= b.size(); ++j)
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1,
                                   previous[j - 1] + (a[i - 1] != b[j - 1] ? 1 : 0)});
        std::swap(previous, current);
    }
    return previous[b.size()];
}

// How well a recognised text holds the expected ones, each a line of its own
// or, wrapped, two or three lines in a row; a line serves one text only, so
// "对话" is not found inside "如果对话中……". The longest are placed first.
struct TextScore {
    int characters = 0;
    int errors = 0;
    int exact = 0; // texts read without a single error
    int texts = 0;
    double accuracy() const { return characters ? 1.0 - double(errors) / characters : 0; }
    TextScore& operator+=(const TextScore& other) {
        characters += other.characters;
        errors += other.errors;
        exact += other.exact;
        texts += other.texts;
        return *this;
    }
};

inline TextScore ScoreTexts(QStringList expected, const QString& read) {
    const auto bare = [](const QString& text) {
        std::u32string chars;
        for (const char32_t c : text.toStdU32String())
            if (!QChar::isSpace(c))
                chars += c;
        return chars;
    };
    std::vector<std::u32string> lines;
    for (const QString& line : read.split(QLatin1Char('\n')))
        if (!bare(line).empty())
            lines.push_back(bare(line));
    std::vector<bool> used(lines.size(), false);
    std::stable_sort(expected.begin(), expected.end(),
                     [](const QString& a, const QString& b) { return a.size() > b.size(); });
    TextScore score;
    for (const QString& text : expected) {
        const std::u32string want = bare(text);
        int best = int(want.size());
        std::size_t from = 0, to = 0;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            std::u32string joined;
            for (std::size_t j = i; j < std::min(lines.size(), i + 3) && !used[j]; ++j) {
                joined += lines[j];
                const int errors = EditDistance(want, joined);
                if (errors < best) {
                    best = errors;
                    from = i;
                    to = j + 1;
                }
            }
        }
        for (std::size_t i = from; i < to; ++i)
            used[i] = true;
        score.characters += int(want.size());
        score.errors += best;
        score.exact += best == 0 ? 1 : 0;
        ++score.texts;
    }
    return score;
}

} // namespace camera::testing

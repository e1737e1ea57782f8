#include "CameraDll/recognition/recognized_text.h"

#include <QStringList>

#include <algorithm>
#include <optional>

namespace camera {

namespace {

bool IsHan(char32_t c) {
    return QChar::script(c) == QChar::Script_Han;
}

// Han characters, and the punctuation and full-width forms that go with them.
bool IsChinese(char32_t c) {
    return IsHan(c) || (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFFEF);
}

// Beside these, punctuation is Chinese too: curly quotes close Chinese
// quotations as well as English ones.
bool IsChineseContext(char32_t c) {
    return IsChinese(c) || c == U'“' || c == U'”';
}

bool IsSpace(char32_t c) {
    return QChar::isSpace(c);
}

std::optional<char32_t> FullWidth(char32_t c) {
    switch (c) {
    case U'!':
        return U'！';
    case U'?':
        return U'？';
    case U',':
        return U'，';
    case U':':
        return U'：';
    case U';':
        return U'；';
    case U'(':
        return U'（';
    case U')':
        return U'）';
    default:
        return std::nullopt;
    }
}

// The nearest character that is not a space, before (step -1) or after (+1).
char32_t Neighbour(const std::u32string& chars, std::size_t at, int step) {
    for (std::ptrdiff_t i = std::ptrdiff_t(at) + step; i >= 0 && i < std::ptrdiff_t(chars.size());
         i += step)
        if (!IsSpace(chars[std::size_t(i)]))
            return chars[std::size_t(i)];
    return 0;
}

void WidenPunctuation(std::u32string& chars) {
    bool openWidened = false;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const char32_t before = Neighbour(chars, i, -1); // already widened, if it was
        const char32_t after = Neighbour(chars, i, +1);
        const bool chinese = IsChineseContext(before) || IsChineseContext(after);
        const char32_t c = chars[i];
        if (c == U'"') {
            if (chinese)
                chars[i] = (before == 0 || IsChineseContext(before)) && after != 0 &&
                                   !IsSpace(chars[std::min(i + 1, chars.size() - 1)])
                               ? U'“'
                               : U'”';
        } else if (const auto wide = FullWidth(c);
                   wide && (chinese || (c == U')' && openWidened))) {
            chars[i] = *wide;
            if (c == U'(' || c == U')')
                openWidened = c == U'(';
        }
    }
}

std::u32string WithoutSpacesBesideChinese(const std::u32string& chars) {
    std::u32string kept;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        if (!IsSpace(chars[i])) {
            kept += chars[i];
            continue;
        }
        std::size_t next = i;
        while (next < chars.size() && IsSpace(chars[next]))
            ++next;
        // A run of spaces between Latin words stays one space.
        const bool chinese = (!kept.empty() && IsChinese(kept.back())) ||
                             (next < chars.size() && IsChinese(chars[next]));
        if (!chinese && !kept.empty() && next < chars.size())
            kept += U' ';
        i = next - 1;
    }
    return kept;
}

bool IsFrame(char32_t c) {
    return c == U'|' || c == U'¦' || IsSpace(c);
}

QString TidyLine(const QString& line) {
    std::u32string chars = line.toStdU32String();
    std::size_t first = 0, last = chars.size();
    while (first < last && IsFrame(chars[first]))
        ++first;
    while (last > first && IsFrame(chars[last - 1]))
        --last;
    chars = chars.substr(first, last - first);
    // A line of lines and dots is a frame, a rule or a scroll bar, not text.
    const bool text = std::any_of(chars.begin(), chars.end(),
                                  [](char32_t c) { return QChar::isLetterOrNumber(c); });
    if (!text)
        return {};
    WidenPunctuation(chars);
    return QString::fromStdU32String(WithoutSpacesBesideChinese(chars));
}

} // namespace

QString TidyRecognizedText(const QString& raw) {
    QStringList lines;
    for (const QString& line : raw.split(QLatin1Char('\n'))) {
        const QString tidy = TidyLine(line);
        if (!tidy.isEmpty())
            lines << tidy;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace camera

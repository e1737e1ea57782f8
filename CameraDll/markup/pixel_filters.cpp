#include "CameraDll/markup/pixel_filters.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace camera {

namespace {

// Colours that differ only in their low four bits per channel count as one:
// the antialiased rim of a glyph then does not split the background's vote,
// nor does the noise of a photograph leave every pixel a party of its own.
int Bin(QRgb colour) {
    return ((qRed(colour) >> 4) << 8) | ((qGreen(colour) >> 4) << 4) | (qBlue(colour) >> 4);
}

// Counts shared by every block; only the bins a block touched are cleared.
class Votes {
public:
    QRgb winner(const QImage& image, const QRect& block) {
        for (int y = block.top(); y <= block.bottom(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = block.left(); x <= block.right(); ++x) {
                const int bin = Bin(row[x]);
                if (counts_[bin]++ == 0)
                    touched_.push_back(bin);
            }
        }
        // The lowest bin wins a tie, so equal pictures give equal blocks.
        int best = touched_.front();
        for (const int bin : touched_)
            if (counts_[bin] > counts_[best] || (counts_[bin] == counts_[best] && bin < best))
                best = bin;
        for (const int bin : touched_)
            counts_[bin] = 0;
        touched_.clear();
        // Within the winning bin, the exact colour most pixels have: the
        // background itself, not a blend of it with the text's rim.
        members_.clear();
        for (int y = block.top(); y <= block.bottom(); ++y) {
            const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = block.left(); x <= block.right(); ++x)
                if (Bin(row[x]) == best)
                    members_.push_back(row[x] | 0xFF000000u);
        }
        std::sort(members_.begin(), members_.end());
        QRgb colour = members_.front();
        std::size_t run = 0, longest = 0;
        for (std::size_t i = 0; i < members_.size(); ++i) {
            run = (i > 0 && members_[i] == members_[i - 1]) ? run + 1 : 1;
            if (run > longest) {
                longest = run;
                colour = members_[i];
            }
        }
        return colour;
    }

private:
    std::array<int, 4096> counts_{};
    std::vector<int> touched_;
    std::vector<QRgb> members_;
};

// One pass of a box filter along a line of count pixels, step apart, with
// the line's end pixels repeated beyond it.
void BoxLine(QRgb* line, int count, int step, int radius, std::vector<QRgb>& scratch) {
    scratch.resize(std::size_t(count));
    for (int i = 0; i < count; ++i)
        scratch[std::size_t(i)] = line[i * step];
    const auto at = [&](int i) { return scratch[std::size_t(std::clamp(i, 0, count - 1))]; };
    const int window = 2 * radius + 1;
    int red = 0, green = 0, blue = 0;
    for (int i = -radius; i <= radius; ++i) {
        red += qRed(at(i));
        green += qGreen(at(i));
        blue += qBlue(at(i));
    }
    for (int i = 0; i < count; ++i) {
        line[i * step] = qRgb((red + window / 2) / window, (green + window / 2) / window,
                              (blue + window / 2) / window);
        const QRgb out = at(i - radius), in = at(i + radius + 1);
        red += qRed(in) - qRed(out);
        green += qGreen(in) - qGreen(out);
        blue += qBlue(in) - qBlue(out);
    }
}

} // namespace

QImage Pixelate(const QImage& picture, const QRect& device, qreal scale) {
    QImage image = picture.copy(device).convertToFormat(QImage::Format_RGB32);
    const int side = std::max(1, static_cast<int>(std::lround(kMosaicBlock * scale)));
    Votes votes;
    for (int top = 0; top < image.height(); top += side) {
        const int bottom = std::min(top + side, image.height());
        for (int left = 0; left < image.width(); left += side) {
            const int right = std::min(left + side, image.width());
            const QRgb colour =
                votes.winner(image, QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
            for (int y = top; y < bottom; ++y) {
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                std::fill(row + left, row + right, colour);
            }
        }
    }
    return image;
}

QImage Blur(const QImage& picture, const QRect& device, int radius) {
    QImage image = picture.copy(device).convertToFormat(QImage::Format_RGB32);
    if (radius < 1 || image.isNull())
        return image;
    // Three box passes come close to a Gaussian, at a cost that does not
    // grow with the radius.
    const int stride = image.bytesPerLine() / 4;
    auto* pixels = reinterpret_cast<QRgb*>(image.bits());
    std::vector<QRgb> scratch;
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < image.height(); ++y)
            BoxLine(pixels + y * stride, image.width(), 1, radius, scratch);
        for (int x = 0; x < image.width(); ++x)
            BoxLine(pixels + x, image.height(), stride, radius, scratch);
    }
    return image;
}

} // namespace camera

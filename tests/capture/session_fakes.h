#pragma once

// What the session tests share: screens with a known picture, a stand-in for
// the person answering the file dialog, and a drag.

#include "CameraDll/ui/capture_view.h"
#include "tests/capture/crop_oracle.h"

#include <QTest>

#include <QWidget>
#include <algorithm>
#include <cmath>

namespace camera::testing {

inline ScreenShot Shot(const QRect& geometry, qreal scale) {
    QImage image(QSize(qRound(geometry.width() * scale), qRound(geometry.height() * scale)),
                 QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x / 256) * 16 + y / 256));
    image.setDevicePixelRatio(scale);
    return {geometry, QPixmap::fromImage(image), nullptr};
}

// Records what the session asked; answers with a scripted path.
struct FakeServices {
    QString answer;
    QStringList proposals;
    QStringList failures;
    // Whether any overlay was on screen while the path was asked for.
    bool overlayShownWhileAsking = false;
    std::vector<QWidget*> overlays;
    // The window manager's list the session gets.
    std::vector<StackedWindow> windows;

    CaptureServices services() {
        return {[this](QWidget* parent, const QString& proposed) {
                    proposals << proposed;
                    if (!parent)
                        overlayShownWhileAsking = true;
                    for (QWidget* overlay : overlays)
                        overlayShownWhileAsking = overlayShownWhileAsking || overlay->isVisible();
                    return answer;
                },
                [this](QWidget*, const QString& reason) { failures << reason; },
                [this] { return windows; }};
    }
};

inline void Drag(QWidget* widget, QPoint from, QPoint to) {
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    QTest::mouseMove(widget, (from + to) / 2);
    QTest::mouseMove(widget, to);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
}

} // namespace camera::testing

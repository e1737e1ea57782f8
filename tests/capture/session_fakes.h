#pragma once

// What the session tests share: screens with a known picture, a stand-in for
// the person answering the file dialog, a stand-in text recognizer, and a
// drag.

#include "CameraDll/recognition/text_recognizer.h"
#include "CameraDll/ui/capture_view.h"
#include "tests/capture/crop_oracle.h"

#include <QTest>

#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

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

// Reads a scripted text. Holds on to the picture until released, when told
// to, so a test can see the busy state, and gives up when stopped.
class StandInRecognizer : public TextRecognizer {
public:
    Availability ready{true, {}};
    QString text;
    std::atomic<bool> hold = false;
    std::atomic<int> calls = 0;
    std::atomic<bool> stopped = false;
    QImage lastPicture; // written on the worker thread; read once it is done

    Availability availability() override { return ready; }
    QString recognize(const QImage& picture, const std::atomic<bool>& stop) override {
        ++calls;
        lastPicture = picture;
        while (hold && !stop)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        stopped = stop.load();
        return stop ? QString() : text;
    }
};

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
    std::shared_ptr<TextRecognizer> recognizer;
    // What the capture left behind, and where.
    std::vector<std::pair<QImage, QRect>> pinned;
    std::vector<std::pair<QImage, QRect>> read;

    CaptureServices services() {
        CaptureServices services;
        services.askSavePath = [this](QWidget* parent, const QString& proposed) {
            proposals << proposed;
            if (!parent)
                overlayShownWhileAsking = true;
            for (QWidget* overlay : overlays)
                overlayShownWhileAsking = overlayShownWhileAsking || overlay->isVisible();
            return answer;
        };
        services.reportSaveFailure = [this](QWidget*, const QString& reason) {
            failures << reason;
        };
        services.listWindows = [this] { return windows; };
        services.recognizer = recognizer;
        services.pin = [this](const QImage& picture, const QRect& place) {
            pinned.emplace_back(picture, place);
        };
        services.readText = [this](const QImage& picture, const QRect& place) {
            read.emplace_back(picture, place);
        };
        return services;
    }
};

inline void Drag(QWidget* widget, QPoint from, QPoint to) {
    QTest::mousePress(widget, Qt::LeftButton, {}, from);
    QTest::mouseMove(widget, (from + to) / 2);
    QTest::mouseMove(widget, to);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, to);
}

} // namespace camera::testing

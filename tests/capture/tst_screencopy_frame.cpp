// One output's frame through the wlroots screencopy protocol, fed the events
// a compositor would send, well-behaved or not.

#include "CameraDll/grab/screencopy_frame.h"

#include <QTest>

#include <wayland-client-protocol.h>

#include <cstdint>
#include <cstring>
#include <vector>

using namespace camera;

namespace {

constexpr std::uint32_t kYInvert = 1; // ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT

// Stands in for the memory shared with the compositor: records what was
// asked, and the test writes the "copied" pixels into it, as the compositor
// would, behind the picture's back.
struct FakeBuffers {
    int asked = 0;
    FrameBuffer buffer;
    QImage::Format format = QImage::Format_Invalid;
    std::vector<uchar> memory;

    ScreencopyFrame::BufferMaker maker() {
        return [this](const FrameBuffer& announced, QImage::Format asked_format) {
            ++asked;
            buffer = announced;
            format = asked_format;
            memory.assign(std::size_t(announced.stride) * announced.height, 0);
            return QImage(memory.data(), int(announced.width), int(announced.height),
                          qsizetype(announced.stride), asked_format);
        };
    }
};

// A frame announced and copied, with the pixels the compositor would write.
QImage Copied(std::uint32_t format, const QImage& content, std::uint32_t flags,
              std::int32_t transform) {
    FakeBuffers buffers;
    ScreencopyFrame frame(true, buffers.maker());
    frame.buffer(format, std::uint32_t(content.width()), std::uint32_t(content.height()),
                 std::uint32_t(content.width() * 4));
    frame.bufferDone();
    if (frame.state() != ScreencopyFrame::State::Copying)
        return {};
    for (int y = 0; y < content.height(); ++y)
        std::memcpy(buffers.memory.data() + std::size_t(y) * buffers.buffer.stride,
                    content.constScanLine(y), std::size_t(content.width()) * 4);
    frame.flags(flags);
    frame.ready();
    // A copy: the fake's memory goes with it.
    return frame.take(transform).copy();
}

// What a compositor does to what it shows before scanning it out: mirror
// around the vertical axis if flipped, then turn counter-clockwise. Worked
// out pixel by pixel, as the protocol describes it.
QImage AsScannedOut(const QImage& shown, std::int32_t transform) {
    QImage image = shown;
    if (transform & WL_OUTPUT_TRANSFORM_FLIPPED) {
        QImage flipped(image.size(), image.format());
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                flipped.setPixel(image.width() - 1 - x, y, image.pixel(x, y));
        image = flipped;
    }
    for (int turn = 0; turn < (transform & 3); ++turn) {
        QImage turned(image.height(), image.width(), image.format());
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                turned.setPixel(y, image.width() - 1 - x, image.pixel(x, y));
        image = turned;
    }
    return image;
}

QImage Pattern(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(40 * x, 40 * y, 7));
    return image;
}

} // namespace

class ScreencopyFrameTest : public QObject {
    Q_OBJECT
private slots:
    void eachTransformComesOutUpright_data();
    void eachTransformComesOutUpright();
    void rowsUpsideDownAreTurned();
    void redFirstPixelsAreRead();
    void firstKnownFormatIsTaken();
    void olderCompositorsCopyTheFirstBuffer();
    void badAnnouncementsFailTheFrame_data();
    void badAnnouncementsFailTheFrame();
    void readyBeforeCopyFails();
    void compositorFailureFails();
};

void ScreencopyFrameTest::eachTransformComesOutUpright_data() {
    QTest::addColumn<int>("transform");
    QTest::newRow("normal") << int(WL_OUTPUT_TRANSFORM_NORMAL);
    QTest::newRow("90") << int(WL_OUTPUT_TRANSFORM_90);
    QTest::newRow("180") << int(WL_OUTPUT_TRANSFORM_180);
    QTest::newRow("270") << int(WL_OUTPUT_TRANSFORM_270);
    QTest::newRow("flipped") << int(WL_OUTPUT_TRANSFORM_FLIPPED);
    QTest::newRow("flipped 90") << int(WL_OUTPUT_TRANSFORM_FLIPPED_90);
    QTest::newRow("flipped 180") << int(WL_OUTPUT_TRANSFORM_FLIPPED_180);
    QTest::newRow("flipped 270") << int(WL_OUTPUT_TRANSFORM_FLIPPED_270);
}

void ScreencopyFrameTest::eachTransformComesOutUpright() {
    QFETCH(int, transform);
    const QImage shown = Pattern(3, 2);
    const QImage scannedOut = AsScannedOut(shown, transform);
    const QImage taken = Copied(WL_SHM_FORMAT_XRGB8888, scannedOut, 0, transform);
    QCOMPARE(taken.convertToFormat(QImage::Format_RGB32), shown);
}

void ScreencopyFrameTest::rowsUpsideDownAreTurned() {
    const QImage shown = Pattern(4, 3);
    const QImage taken = Copied(WL_SHM_FORMAT_XRGB8888, shown.mirrored(false, true), kYInvert,
                                WL_OUTPUT_TRANSFORM_NORMAL);
    QCOMPARE(taken.convertToFormat(QImage::Format_RGB32), shown);
}

void ScreencopyFrameTest::redFirstPixelsAreRead() {
    // XBGR8888 is red, green, blue, unused in memory; the unused byte is 0,
    // and must not become transparency.
    QImage bytes(2, 1, QImage::Format_RGB32);
    auto* pixel = bytes.scanLine(0);
    const uchar memory[] = {0x11, 0x22, 0x33, 0x00, 0xaa, 0xbb, 0xcc, 0x00};
    std::memcpy(pixel, memory, sizeof memory);
    const QImage taken = Copied(WL_SHM_FORMAT_XBGR8888, bytes, 0, WL_OUTPUT_TRANSFORM_NORMAL);
    QCOMPARE(taken.pixel(0, 0), qRgb(0x11, 0x22, 0x33));
    QCOMPARE(taken.pixel(1, 0), qRgb(0xaa, 0xbb, 0xcc));
    QVERIFY(!taken.hasAlphaChannel() || taken.pixelColor(0, 0).alpha() == 255);
}

void ScreencopyFrameTest::firstKnownFormatIsTaken() {
    FakeBuffers buffers;
    ScreencopyFrame frame(true, buffers.maker());
    frame.buffer(WL_SHM_FORMAT_RGB565, 10, 10, 20);
    frame.buffer(WL_SHM_FORMAT_XBGR8888, 10, 10, 40);
    frame.buffer(WL_SHM_FORMAT_XRGB8888, 10, 10, 40);
    QCOMPARE(buffers.asked, 0); // not before the list is complete
    frame.bufferDone();
    QCOMPARE(buffers.asked, 1);
    QCOMPARE(buffers.format, QImage::Format_RGBX8888);
    QCOMPARE(frame.state(), ScreencopyFrame::State::Copying);
}

void ScreencopyFrameTest::olderCompositorsCopyTheFirstBuffer() {
    FakeBuffers buffers;
    ScreencopyFrame frame(false, buffers.maker());
    frame.buffer(WL_SHM_FORMAT_XRGB8888, 10, 10, 40);
    QCOMPARE(frame.state(), ScreencopyFrame::State::Copying);
    frame.buffer(WL_SHM_FORMAT_XRGB8888, 20, 20, 80); // ignored once copying
    QCOMPARE(buffers.asked, 1);
    QCOMPARE(buffers.buffer.width, 10u);
}

void ScreencopyFrameTest::badAnnouncementsFailTheFrame_data() {
    QTest::addColumn<quint32>("format");
    QTest::addColumn<quint32>("width");
    QTest::addColumn<quint32>("height");
    QTest::addColumn<quint32>("stride");
    const quint32 xrgb = WL_SHM_FORMAT_XRGB8888;
    QTest::newRow("stride below width × 4") << xrgb << 100u << 10u << 399u;
    QTest::newRow("stride not a multiple of 4") << xrgb << 100u << 10u << 402u;
    QTest::newRow("stride × height past int32") << xrgb << 40000u << 40000u << 160000u;
    QTest::newRow("width past int32") << xrgb << 0x80000000u << 1u << 0u;
    QTest::newRow("no width") << xrgb << 0u << 10u << 0u;
    QTest::newRow("no height") << xrgb << 10u << 0u << 40u;
    QTest::newRow("a format not read") << quint32(WL_SHM_FORMAT_RGB565) << 10u << 10u << 20u;
}

void ScreencopyFrameTest::badAnnouncementsFailTheFrame() {
    QFETCH(quint32, format);
    QFETCH(quint32, width);
    QFETCH(quint32, height);
    QFETCH(quint32, stride);
    FakeBuffers buffers;
    ScreencopyFrame frame(true, buffers.maker());
    frame.buffer(format, width, height, stride);
    frame.bufferDone();
    QCOMPARE(frame.state(), ScreencopyFrame::State::Failed);
    QVERIFY(!frame.trouble().isEmpty());
    QCOMPARE(buffers.asked, 0);
    // Whatever comes later changes nothing.
    frame.ready();
    QCOMPARE(frame.state(), ScreencopyFrame::State::Failed);
    QVERIFY(frame.take(WL_OUTPUT_TRANSFORM_NORMAL).isNull());
}

void ScreencopyFrameTest::readyBeforeCopyFails() {
    FakeBuffers buffers;
    ScreencopyFrame frame(true, buffers.maker());
    frame.buffer(WL_SHM_FORMAT_XRGB8888, 10, 10, 40);
    frame.ready(); // no buffer_done, so nothing was copied
    QCOMPARE(frame.state(), ScreencopyFrame::State::Failed);
    QVERIFY(frame.take(WL_OUTPUT_TRANSFORM_NORMAL).isNull());
    QCOMPARE(buffers.asked, 0);

    ScreencopyFrame silent(true, buffers.maker());
    silent.bufferDone(); // the list ends with no buffer in it
    QCOMPARE(silent.state(), ScreencopyFrame::State::Failed);
}

void ScreencopyFrameTest::compositorFailureFails() {
    FakeBuffers buffers;
    ScreencopyFrame frame(true, buffers.maker());
    frame.buffer(WL_SHM_FORMAT_XRGB8888, 10, 10, 40);
    frame.bufferDone();
    frame.failed();
    QCOMPARE(frame.state(), ScreencopyFrame::State::Failed);
    QVERIFY(frame.take(WL_OUTPUT_TRANSFORM_NORMAL).isNull());
    // A frame whose memory could not be had fails too.
    ScreencopyFrame starved(true, [](const FrameBuffer&, QImage::Format) { return QImage(); });
    starved.buffer(WL_SHM_FORMAT_XRGB8888, 10, 10, 40);
    starved.bufferDone();
    QCOMPARE(starved.state(), ScreencopyFrame::State::Failed);
}

QTEST_APPLESS_MAIN(ScreencopyFrameTest)
#include "tst_screencopy_frame.moc"

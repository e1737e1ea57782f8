#include "CameraDll/grab/screencopy_frame.h"

#include "CameraDll/grab/opaque_pixels.h"

#include "wlr-screencopy-unstable-v1-client-protocol.h"

#include <QTransform>

#include <limits>
#include <optional>

namespace camera {

namespace {

std::optional<QImage::Format> ImageFormat(std::uint32_t format) {
    switch (format) {
    case WL_SHM_FORMAT_XRGB8888:
    case WL_SHM_FORMAT_ARGB8888:
        return QImage::Format_RGB32;
    case WL_SHM_FORMAT_XBGR8888:
    case WL_SHM_FORMAT_ABGR8888:
        return QImage::Format_RGBX8888;
    default:
        return std::nullopt;
    }
}

// Why the buffer cannot hold a frame; empty when it can. A wl_shm pool is
// sized in int32, and so is every side of a QImage.
QString BufferTrouble(const FrameBuffer& buffer) {
    constexpr std::uint64_t kLargest = std::numeric_limits<std::int32_t>::max();
    if (!ImageFormat(buffer.format))
        return QStringLiteral("no buffer in a known format (format %1)").arg(buffer.format);
    if (buffer.width == 0 || buffer.height == 0 || buffer.width > kLargest ||
        buffer.height > kLargest)
        return QStringLiteral("a buffer of %1x%2").arg(buffer.width).arg(buffer.height);
    if (buffer.stride < std::uint64_t(buffer.width) * 4 || buffer.stride % 4 != 0)
        return QStringLiteral("a stride of %1 for a width of %2")
            .arg(buffer.stride)
            .arg(buffer.width);
    if (std::uint64_t(buffer.stride) * buffer.height > kLargest)
        return QStringLiteral("a buffer of %1 bytes")
            .arg(std::uint64_t(buffer.stride) * buffer.height);
    return {};
}

} // namespace

ScreencopyFrame::ScreencopyFrame(bool announcesDone, BufferMaker makeBuffer)
    : makeBuffer_(std::move(makeBuffer)), announcesDone_(announcesDone) {}

void ScreencopyFrame::fail(const QString& why) {
    if (isOver())
        return;
    trouble_ = why;
    state_ = State::Failed;
    picture_ = QImage();
}

void ScreencopyFrame::buffer(std::uint32_t format, std::uint32_t width, std::uint32_t height,
                             std::uint32_t stride) {
    if (state_ != State::Announcing)
        return;
    // Of several offers, the first in a format we read.
    if (offered_ && ImageFormat(buffer_.format))
        return;
    offered_ = true;
    buffer_ = {format, width, height, stride};
    if (!announcesDone_)
        copy();
}

void ScreencopyFrame::bufferDone() {
    if (state_ == State::Announcing)
        copy();
}

void ScreencopyFrame::copy() {
    if (!offered_) {
        fail(QStringLiteral("no buffer offered"));
        return;
    }
    if (const QString trouble = BufferTrouble(buffer_); !trouble.isEmpty()) {
        fail(trouble);
        return;
    }
    picture_ = makeBuffer_(buffer_, *ImageFormat(buffer_.format));
    if (picture_.isNull()) {
        fail(QStringLiteral("no memory for the frame"));
        return;
    }
    state_ = State::Copying;
}

void ScreencopyFrame::flags(std::uint32_t flags) {
    flags_ = flags;
}

void ScreencopyFrame::ready() {
    if (state_ != State::Copying) {
        fail(QStringLiteral("the frame was ready before it was copied"));
        return;
    }
    state_ = State::Ready;
}

void ScreencopyFrame::failed() {
    fail(QStringLiteral("the compositor failed the copy"));
}

QImage ScreencopyFrame::take(std::int32_t transform) {
    if (state_ != State::Ready)
        return {};
    QImage image = std::move(picture_);
    picture_ = QImage();
    if (flags_ & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT)
        image = std::move(image).mirrored(false, true);
    MakeOpaque(image);
    return Upright(image, transform);
}

QImage Upright(const QImage& picture, std::int32_t transform) {
    // A flipped transform mirrors around the vertical axis, then turns; the
    // turns are counter-clockwise, and QTransform turns clockwise.
    const bool flipped = transform & WL_OUTPUT_TRANSFORM_FLIPPED;
    const int turns = transform & 3;
    if (!flipped && turns == 0)
        return picture;
    QImage upright = turns == 0 ? picture : picture.transformed(QTransform().rotate(90.0 * turns));
    return flipped ? std::move(upright).mirrored(true, false) : upright;
}

} // namespace camera

#pragma once

#include <QImage>
#include <QString>

#include <cstdint>
#include <functional>

namespace camera {

// What a compositor offers to copy an output's frame into.
struct FrameBuffer {
    std::uint32_t format = 0; // a wl_shm format
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint32_t stride = 0;
};

// One output's frame through the wlroots screencopy protocol, from its
// announcement to the picture as the output shows it. Nothing the
// compositor announces is taken on trust: a buffer that would not hold the
// frame, or events out of order, fail the frame rather than the host.
class ScreencopyFrame {
public:
    enum class State { Announcing, Copying, Ready, Failed };

    // Memory for the announced buffer, shared with the compositor, as a
    // picture of its size and stride; null when there is none. Asked once.
    using BufferMaker = std::function<QImage(const FrameBuffer& buffer, QImage::Format format)>;

    // Version 3 of the protocol ends the list of buffers with buffer_done;
    // before it, the first buffer announced is the one.
    ScreencopyFrame(bool announcesDone, BufferMaker makeBuffer);

    // The protocol's events.
    void buffer(std::uint32_t format, std::uint32_t width, std::uint32_t height,
                std::uint32_t stride);
    void bufferDone();
    void flags(std::uint32_t flags);
    void ready();
    void failed();

    State state() const { return state_; }
    bool isOver() const { return state_ == State::Ready || state_ == State::Failed; }
    const QString& trouble() const { return trouble_; }

    // The copied picture upright and opaque, given the output's transform
    // (a wl_output transform). Null unless the frame is ready.
    QImage take(std::int32_t transform);

private:
    void fail(const QString& why);
    void copy();

    BufferMaker makeBuffer_;
    bool announcesDone_;
    State state_ = State::Announcing;
    bool offered_ = false;
    FrameBuffer buffer_;
    std::uint32_t flags_ = 0;
    QImage picture_;
    QString trouble_;
};

// The picture of an output as it shows it, from the picture in the output's
// buffer orientation: a compositor turns everything by the output's
// transform before it scans it out, so this turns it back.
QImage Upright(const QImage& picture, std::int32_t transform);

} // namespace camera

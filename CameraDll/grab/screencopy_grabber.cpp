#include "CameraDll/grab/screencopy_grabber.h"

#include "CameraDll/capture_log.h"
#include "CameraDll/grab/picture_memory.h"
#include "CameraDll/grab/screencopy_frame.h"

#include "wlr-screencopy-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QScreen>

#include <wayland-client.h>

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace camera {

namespace {

// A compositor that stops answering must not hang the host.
constexpr std::chrono::seconds kFrameTimeout(5);

struct Output {
    wl_output* output = nullptr;
    zxdg_output_v1* xdgOutput = nullptr;
    QString name;
    QPoint position;
    bool placed = false;
    // How the compositor turns what it shows before it scans it out (a
    // portrait monitor, say); screencopy frames come in that orientation.
    std::int32_t transform = WL_OUTPUT_TRANSFORM_NORMAL;

    ~Output() {
        if (xdgOutput)
            zxdg_output_v1_destroy(xdgOutput);
        if (output)
            wl_output_destroy(output);
    }
};

const wl_output_listener kOutputListener = {
    [](void* data, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
       const char*, int32_t transform) { static_cast<Output*>(data)->transform = transform; },
    [](void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {},
    [](void*, wl_output*) {},
    [](void*, wl_output*, int32_t) {},
    [](void*, wl_output*, const char*) {},
    [](void*, wl_output*, const char*) {},
};

const zxdg_output_v1_listener kXdgOutputListener = {
    [](void* data, zxdg_output_v1*, int32_t x, int32_t y) {
        auto* output = static_cast<Output*>(data);
        output->position = QPoint(x, y);
        output->placed = true;
    },
    [](void*, zxdg_output_v1*, int32_t, int32_t) {},
    [](void*, zxdg_output_v1*) {},
    [](void* data, zxdg_output_v1*, const char* name) {
        static_cast<Output*>(data)->name = QString::fromUtf8(name);
    },
    [](void*, zxdg_output_v1*, const char*) {},
};

// The Wayland side of one output's frame; ScreencopyFrame follows its events.
struct OutputFrame {
    zwlr_screencopy_frame_v1* frame = nullptr;
    wl_buffer* buffer = nullptr;
    std::int32_t transform = WL_OUTPUT_TRANSFORM_NORMAL;
    std::unique_ptr<ScreencopyFrame> state;

    ~OutputFrame() {
        if (buffer)
            wl_buffer_destroy(buffer);
        if (frame)
            zwlr_screencopy_frame_v1_destroy(frame);
    }

    // Memory shared with the compositor for the frame, and the request to
    // copy into it.
    QImage copyInto(wl_shm* shm, const FrameBuffer& announced, QImage::Format format) {
        const std::size_t size = std::size_t(announced.stride) * announced.height;
        const int fd = memfd_create("quobel-screen", MFD_CLOEXEC);
        if (fd < 0 || ftruncate(fd, off_t(size)) != 0) {
            if (fd >= 0)
                close(fd);
            qCDebug(lcCapture) << "screencopy: no memory for the frame:" << std::strerror(errno);
            return {};
        }
        void* address = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (address == MAP_FAILED) {
            close(fd);
            return {};
        }
        QImage picture = ImageOverMapping(address, size, static_cast<uchar*>(address),
                                          QSize(int(announced.width), int(announced.height)),
                                          qsizetype(announced.stride), format);
        wl_shm_pool* pool = wl_shm_create_pool(shm, fd, int32_t(size));
        buffer =
            wl_shm_pool_create_buffer(pool, 0, int32_t(announced.width), int32_t(announced.height),
                                      int32_t(announced.stride), announced.format);
        wl_shm_pool_destroy(pool);
        close(fd);
        zwlr_screencopy_frame_v1_copy(frame, buffer);
        return picture;
    }
};

ScreencopyFrame& StateOf(void* data) {
    return *static_cast<OutputFrame*>(data)->state;
}

const zwlr_screencopy_frame_v1_listener kFrameListener = {
    [](void* data, zwlr_screencopy_frame_v1*, uint32_t format, uint32_t width, uint32_t height,
       uint32_t stride) { StateOf(data).buffer(format, width, height, stride); },
    [](void* data, zwlr_screencopy_frame_v1*, uint32_t flags) { StateOf(data).flags(flags); },
    [](void* data, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {
        StateOf(data).ready();
    },
    [](void* data, zwlr_screencopy_frame_v1*) { StateOf(data).failed(); },
    [](void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t, uint32_t) {},
    [](void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {},
    [](void* data, zwlr_screencopy_frame_v1*) { StateOf(data).bufferDone(); },
};

// Reads and dispatches events until done() or the deadline; false when the
// deadline passed or the connection broke first.
template <typename Done>
bool DispatchUntil(wl_display* display, QDeadlineTimer deadline, Done done) {
    while (!done()) {
        while (wl_display_prepare_read(display) != 0)
            if (wl_display_dispatch_pending(display) < 0)
                return false;
        if (done()) {
            wl_display_cancel_read(display);
            break;
        }
        wl_display_flush(display);
        pollfd socket{wl_display_get_fd(display), POLLIN, 0};
        const int ready = poll(&socket, 1, int(std::max<qint64>(deadline.remainingTime(), 0)));
        if (ready <= 0) {
            wl_display_cancel_read(display);
            if (ready < 0 && errno == EINTR)
                continue;
            return false;
        }
        if (wl_display_read_events(display) < 0 || wl_display_dispatch_pending(display) < 0)
            return false;
    }
    return true;
}

} // namespace

struct ScreencopyGrabber::Compositor {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    wl_shm* shm = nullptr;
    zwlr_screencopy_manager_v1* manager = nullptr;
    uint32_t managerVersion = 0;
    zxdg_output_manager_v1* xdgOutputManager = nullptr;
    std::vector<std::unique_ptr<Output>> outputs;

    ~Compositor() {
        outputs.clear();
        if (xdgOutputManager)
            zxdg_output_manager_v1_destroy(xdgOutputManager);
        if (manager)
            zwlr_screencopy_manager_v1_destroy(manager);
        if (shm)
            wl_shm_destroy(shm);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_disconnect(display);
    }

    static void global(void* data, wl_registry* registry, uint32_t name, const char* interface,
                       uint32_t version) {
        auto* self = static_cast<Compositor*>(data);
        const auto bind = [&](const wl_interface* kind, uint32_t highest) {
            return wl_registry_bind(registry, name, kind, std::min(version, highest));
        };
        if (std::strcmp(interface, wl_shm_interface.name) == 0) {
            self->shm = static_cast<wl_shm*>(bind(&wl_shm_interface, 1));
        } else if (std::strcmp(interface, zwlr_screencopy_manager_v1_interface.name) == 0) {
            self->managerVersion = std::min(version, 3u);
            self->manager = static_cast<zwlr_screencopy_manager_v1*>(
                bind(&zwlr_screencopy_manager_v1_interface, 3));
        } else if (std::strcmp(interface, zxdg_output_manager_v1_interface.name) == 0) {
            self->xdgOutputManager =
                static_cast<zxdg_output_manager_v1*>(bind(&zxdg_output_manager_v1_interface, 3));
        } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
            auto output = std::make_unique<Output>();
            output->output = static_cast<wl_output*>(bind(&wl_output_interface, 2));
            wl_output_add_listener(output->output, &kOutputListener, output.get());
            self->outputs.push_back(std::move(output));
        }
    }

    bool connect() {
        display = wl_display_connect(nullptr);
        if (!display)
            return false;
        static const wl_registry_listener listener = {&Compositor::global,
                                                      [](void*, wl_registry*, uint32_t) {}};
        registry = wl_display_get_registry(display);
        wl_registry_add_listener(registry, &listener, this);
        if (wl_display_roundtrip(display) < 0)
            return false;
        // The outputs' own events (the transform) and their place in the
        // layout come with the next round trip.
        for (const auto& output : outputs) {
            if (!xdgOutputManager)
                break;
            output->xdgOutput =
                zxdg_output_manager_v1_get_xdg_output(xdgOutputManager, output->output);
            zxdg_output_v1_add_listener(output->xdgOutput, &kXdgOutputListener, output.get());
        }
        if (wl_display_roundtrip(display) < 0)
            return false;
        return manager && shm;
    }

    Output* outputFor(const QScreen* screen) const {
        for (const auto& output : outputs)
            if (!output->name.isEmpty() && output->name == screen->name())
                return output.get();
        for (const auto& output : outputs)
            if (output->placed && output->position == screen->geometry().topLeft())
                return output.get();
        // Without xdg-output there is nothing to tell outputs apart by; Qt
        // lists them in the order the compositor announced them.
        if (!xdgOutputManager && outputs.size() == std::size_t(QGuiApplication::screens().size())) {
            const auto index = QGuiApplication::screens().indexOf(const_cast<QScreen*>(screen));
            return index < 0 ? nullptr : outputs[std::size_t(index)].get();
        }
        return nullptr;
    }
};

ScreencopyGrabber::ScreencopyGrabber() : compositor_(std::make_unique<Compositor>()) {
    if (!compositor_->connect())
        compositor_.reset();
}

ScreencopyGrabber::~ScreencopyGrabber() = default;

bool ScreencopyGrabber::offered() const {
    return compositor_ != nullptr;
}

GrabOutcome ScreencopyGrabber::grab() {
    if (!compositor_)
        return GrabOutcome::failed(GrabFailure::NoScreen,
                                   QStringLiteral("the compositor offers no screencopy"));
    const QList<QScreen*> screens = QGuiApplication::screens();
    const bool announcesDone = compositor_->managerVersion >= 3;
    wl_shm* shm = compositor_->shm;
    std::vector<std::unique_ptr<OutputFrame>> frames;
    for (QScreen* screen : screens) {
        auto frame = std::make_unique<OutputFrame>();
        OutputFrame* self = frame.get();
        frame->state = std::make_unique<ScreencopyFrame>(
            announcesDone, [self, shm](const FrameBuffer& buffer, QImage::Format format) {
                return self->copyInto(shm, buffer, format);
            });
        if (Output* output = compositor_->outputFor(screen)) {
            frame->transform = output->transform;
            frame->frame =
                zwlr_screencopy_manager_v1_capture_output(compositor_->manager, 0, output->output);
            zwlr_screencopy_frame_v1_add_listener(frame->frame, &kFrameListener, frame.get());
        } else {
            frame->state->failed();
            qCDebug(lcCapture) << "screencopy: no output for screen" << screen->name();
        }
        frames.push_back(std::move(frame));
    }
    // All outputs at once: each copy waits for that output's next frame.
    const bool answered =
        DispatchUntil(compositor_->display, QDeadlineTimer(kFrameTimeout), [&frames] {
            return std::all_of(frames.begin(), frames.end(),
                               [](const auto& frame) { return frame->state->isOver(); });
        });

    GrabOutcome outcome;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        OutputFrame& frame = *frames[std::size_t(i)];
        QImage image = frame.state->take(frame.transform);
        if (image.isNull()) {
            qCDebug(lcCapture) << "screencopy:" << screens[i]->name()
                               << (frame.state->trouble().isEmpty() ? QStringLiteral("no answer")
                                                                    : frame.state->trouble());
            continue;
        }
        const QRect geometry = screens[i]->geometry();
        // The frame is in the output's own pixels, whatever scale Qt uses.
        image.setDevicePixelRatio(qreal(image.width()) / geometry.width());
        outcome.shots.push_back({geometry, QPixmap::fromImage(std::move(image)), screens[i]});
    }
    if (outcome.shots.empty())
        return GrabOutcome::failed(GrabFailure::NoScreen,
                                   answered ? QStringLiteral("the compositor copied no output")
                                            : QStringLiteral("the compositor did not answer"));
    return outcome;
}

} // namespace camera

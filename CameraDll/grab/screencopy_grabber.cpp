#include "CameraDll/grab/screencopy_grabber.h"

#include "CameraDll/capture_log.h"
#include "CameraDll/grab/opaque_pixels.h"

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
    zxdg_output_v1* description = nullptr;
    QString name;
    QPoint position;
    bool placed = false;

    ~Output() {
        if (description)
            zxdg_output_v1_destroy(description);
        if (output)
            wl_output_destroy(output);
    }
};

const zxdg_output_v1_listener kDescriptionListener = {
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

// Memory mapped for one frame; the picture over it unmaps it when it goes.
struct Mapping {
    void* address = MAP_FAILED;
    std::size_t size = 0;
    static void release(void* mapping) {
        auto* self = static_cast<Mapping*>(mapping);
        munmap(self->address, self->size);
        delete self;
    }
};

std::optional<QImage::Format> ImageFormat(uint32_t format) {
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

// One output's frame, from the request to the copied picture.
struct Frame {
    enum class State { Announcing, Copying, Ready, Failed };

    wl_shm* shm = nullptr;
    zwlr_screencopy_frame_v1* frame = nullptr;
    State state = State::Announcing;
    bool announcesDone = false; // version 3 ends the buffer list with buffer_done
    uint32_t format = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t stride = 0;
    bool offered = false;
    uint32_t flags = 0;
    wl_buffer* buffer = nullptr;
    Mapping* mapping = nullptr;
    QString trouble;

    ~Frame() {
        if (buffer)
            wl_buffer_destroy(buffer);
        if (frame)
            zwlr_screencopy_frame_v1_destroy(frame);
        if (mapping)
            Mapping::release(mapping);
    }

    bool over() const { return state == State::Ready || state == State::Failed; }

    void fail(const QString& why) {
        trouble = why;
        state = State::Failed;
    }

    void copy() {
        if (!offered || !ImageFormat(format)) {
            fail(QStringLiteral("no wl_shm buffer in a known format (format %1)").arg(format));
            return;
        }
        const std::size_t size = std::size_t(stride) * height;
        const int fd = memfd_create("quobel-screen", MFD_CLOEXEC);
        if (fd < 0 || ftruncate(fd, off_t(size)) != 0) {
            if (fd >= 0)
                close(fd);
            fail(QStringLiteral("no memory for the frame: %1")
                     .arg(QString::fromLocal8Bit(std::strerror(errno))));
            return;
        }
        mapping = new Mapping;
        mapping->size = size;
        mapping->address = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (mapping->address == MAP_FAILED) {
            close(fd);
            delete mapping;
            mapping = nullptr;
            fail(QStringLiteral("could not map the frame"));
            return;
        }
        wl_shm_pool* pool = wl_shm_create_pool(shm, fd, int32_t(size));
        buffer = wl_shm_pool_create_buffer(pool, 0, int32_t(width), int32_t(height),
                                           int32_t(stride), format);
        wl_shm_pool_destroy(pool);
        close(fd);
        zwlr_screencopy_frame_v1_copy(frame, buffer);
        state = State::Copying;
    }

    QImage take() {
        QImage image(static_cast<uchar*>(mapping->address), int(width), int(height),
                     qsizetype(stride), *ImageFormat(format), &Mapping::release, mapping);
        mapping = nullptr;
        if (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT)
            image = std::move(image).mirrored(false, true);
        MakeOpaque(image);
        return image;
    }
};

const zwlr_screencopy_frame_v1_listener kFrameListener = {
    [](void* data, zwlr_screencopy_frame_v1*, uint32_t format, uint32_t width, uint32_t height,
       uint32_t stride) {
        auto* frame = static_cast<Frame*>(data);
        if (frame->offered && ImageFormat(frame->format))
            return;
        frame->offered = true;
        frame->format = format;
        frame->width = width;
        frame->height = height;
        frame->stride = stride;
        if (!frame->announcesDone)
            frame->copy();
    },
    [](void* data, zwlr_screencopy_frame_v1*, uint32_t flags) {
        static_cast<Frame*>(data)->flags = flags;
    },
    [](void* data, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {
        static_cast<Frame*>(data)->state = Frame::State::Ready;
    },
    [](void* data, zwlr_screencopy_frame_v1*) {
        static_cast<Frame*>(data)->fail(QStringLiteral("the compositor failed the copy"));
    },
    [](void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t, uint32_t) {},
    [](void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {},
    [](void* data, zwlr_screencopy_frame_v1*) {
        auto* frame = static_cast<Frame*>(data);
        if (frame->state == Frame::State::Announcing)
            frame->copy();
    },
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
    zxdg_output_manager_v1* descriptions = nullptr;
    std::vector<std::unique_ptr<Output>> outputs;

    ~Compositor() {
        outputs.clear();
        if (descriptions)
            zxdg_output_manager_v1_destroy(descriptions);
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
            self->descriptions =
                static_cast<zxdg_output_manager_v1*>(bind(&zxdg_output_manager_v1_interface, 3));
        } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
            auto output = std::make_unique<Output>();
            output->output = static_cast<wl_output*>(bind(&wl_output_interface, 1));
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
        if (descriptions) {
            for (const auto& output : outputs) {
                output->description =
                    zxdg_output_manager_v1_get_xdg_output(descriptions, output->output);
                zxdg_output_v1_add_listener(output->description, &kDescriptionListener,
                                            output.get());
            }
            if (wl_display_roundtrip(display) < 0)
                return false;
        }
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
        if (!descriptions && outputs.size() == std::size_t(QGuiApplication::screens().size())) {
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
    std::vector<std::unique_ptr<Frame>> frames;
    for (QScreen* screen : screens) {
        auto frame = std::make_unique<Frame>();
        frame->shm = compositor_->shm;
        frame->announcesDone = compositor_->managerVersion >= 3;
        if (Output* output = compositor_->outputFor(screen)) {
            frame->frame =
                zwlr_screencopy_manager_v1_capture_output(compositor_->manager, 0, output->output);
            zwlr_screencopy_frame_v1_add_listener(frame->frame, &kFrameListener, frame.get());
        } else {
            frame->fail(QStringLiteral("no output for screen ") + screen->name());
        }
        frames.push_back(std::move(frame));
    }
    // All outputs at once: each copy waits for that output's next frame.
    const bool answered =
        DispatchUntil(compositor_->display, QDeadlineTimer(kFrameTimeout), [&frames] {
            return std::all_of(frames.begin(), frames.end(),
                               [](const auto& frame) { return frame->over(); });
        });

    GrabOutcome outcome;
    for (qsizetype i = 0; i < screens.size(); ++i) {
        Frame& frame = *frames[std::size_t(i)];
        if (frame.state != Frame::State::Ready) {
            qCDebug(lcCapture) << "screencopy:" << screens[i]->name()
                               << (frame.trouble.isEmpty() ? QStringLiteral("no answer")
                                                           : frame.trouble);
            continue;
        }
        const QRect geometry = screens[i]->geometry();
        QImage image = frame.take();
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

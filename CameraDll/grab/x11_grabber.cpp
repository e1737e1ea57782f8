#include "CameraDll/grab/x11_grabber.h"

#include "CameraDll/capture_log.h"
#include "CameraDll/geometry/layout_split.h"
#include "CameraDll/grab/opaque_pixels.h"
#include "CameraDll/grab/picture_memory.h"
#include "CameraDll/grab/qt_grabber.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtEndian>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace camera {

namespace {

struct Root {
    xcb_window_t window = 0;
    QRect bounds;
};

// The root window of the display's default screen, if its pixels come as
// 32-bit xRGB in this machine's byte order: the layout of QImage's RGB32.
// Everything else (16-bit colour, odd masks) is rare enough to leave to Qt.
std::optional<Root> RgbRoot(xcb_connection_t* connection) {
    int number = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &number))
        std::free(host);
    else
        number = 0;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(setup);
    for (int i = 0; i < number && screens.rem > 1; ++i)
        xcb_screen_next(&screens);
    const xcb_screen_t* screen = screens.data;
    if (!screen)
        return std::nullopt;

    const auto lsbFirst = QSysInfo::ByteOrder == QSysInfo::LittleEndian;
    if ((setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST) != lsbFirst)
        return std::nullopt;
    bool thirtyTwoBits = false;
    for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem;
         xcb_format_next(&formats))
        if (formats.data->depth == screen->root_depth)
            thirtyTwoBits = formats.data->bits_per_pixel == 32;
    bool rgbMasks = false;
    for (auto depths = xcb_screen_allowed_depths_iterator(screen); depths.rem;
         xcb_depth_next(&depths))
        for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
             xcb_visualtype_next(&visuals))
            if (visuals.data->visual_id == screen->root_visual)
                rgbMasks = visuals.data->red_mask == 0xff0000 &&
                           visuals.data->green_mask == 0xff00 && visuals.data->blue_mask == 0xff;
    if (!thirtyTwoBits || !rgbMasks || screen->root_depth < 24)
        return std::nullopt;
    return Root{screen->root, QRect(0, 0, screen->width_in_pixels, screen->height_in_pixels)};
}

// Rows per strip of at most the given size, for a picture of that width.
int StripRows(int width, std::size_t bytes) {
    return std::max(1, int(bytes / (std::size_t(width) * 4)));
}

// The segment the server writes the screen into, strip by strip: a few
// strips of 256 KiB, kept for the rest of the session. The server faults its
// pages in once; a segment the size of the screen, new for every capture,
// would cost it thousands of page faults each time, which in a virtual
// machine take longer than the transfer itself. While we copy one strip out,
// the server fills the next.
class StripSegment {
public:
    static constexpr std::size_t kStripBytes = 256 * 1024;
    static constexpr int kSlots = 4;

    // The connection's segment; null where the server refuses shared memory,
    // which it keeps doing for the rest of the session.
    static StripSegment* of(xcb_connection_t* connection) {
        // Never freed: the server lets go of it with the connection, and at
        // exit the connection may be gone before any destructor could run.
        static StripSegment* segment = nullptr;
        static xcb_connection_t* refusedBy = nullptr;
        if (segment && segment->connection_ == connection)
            return segment;
        if (refusedBy == connection)
            return nullptr;
        auto* made = new StripSegment(connection);
        if (!made->attached_) {
            delete made;
            refusedBy = connection;
            return nullptr;
        }
        segment = made;
        return segment;
    }

    bool read(xcb_window_t root, const QRect& area, QImage& picture) {
        const int rows = StripRows(area.width(), kStripBytes);
        const int strips = (area.height() + rows - 1) / rows;
        const int inFlight = std::min(kSlots, strips);
        std::array<xcb_shm_get_image_cookie_t, kSlots> pending{};
        const auto request = [&](int strip) {
            const int y = strip * rows;
            pending[std::size_t(strip % inFlight)] = xcb_shm_get_image(
                connection_, root, std::int16_t(area.x()), std::int16_t(area.y() + y),
                std::uint16_t(area.width()), std::uint16_t(std::min(rows, area.height() - y)), ~0u,
                XCB_IMAGE_FORMAT_Z_PIXMAP, id_,
                std::uint32_t(strip % inFlight) * std::uint32_t(kStripBytes));
        };
        for (int strip = 0; strip < inFlight; ++strip)
            request(strip);
        xcb_flush(connection_);
        for (int strip = 0; strip < strips; ++strip) {
            xcb_generic_error_t* error = nullptr;
            xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(
                connection_, pending[std::size_t(strip % inFlight)], &error);
            std::free(error);
            if (!reply) {
                for (int rest = strip + 1; rest < std::min(strip + inFlight, strips); ++rest)
                    xcb_discard_reply(connection_, pending[std::size_t(rest % inFlight)].sequence);
                return false;
            }
            std::free(reply);
            const int y = strip * rows;
            CopyOpaqueRows(address_ + std::size_t(strip % inFlight) * kStripBytes,
                           std::min(rows, area.height() - y), picture, y);
            if (strip + inFlight < strips) {
                request(strip + inFlight);
                xcb_flush(connection_);
            }
        }
        return true;
    }

private:
    explicit StripSegment(xcb_connection_t* connection) : connection_(connection) {
        const int id = shmget(IPC_PRIVATE, kSlots * kStripBytes, IPC_CREAT | 0600);
        if (id < 0)
            return;
        void* address = shmat(id, nullptr, 0);
        if (address == reinterpret_cast<void*>(-1)) {
            shmctl(id, IPC_RMID, nullptr);
            return;
        }
        id_ = xcb_generate_id(connection);
        xcb_generic_error_t* error =
            xcb_request_check(connection, xcb_shm_attach_checked(connection, id_, id, 0));
        // Removed at once: it lives on while either side has it attached, and
        // nothing is left behind when the host ends, however it ends.
        shmctl(id, IPC_RMID, nullptr);
        if (error) {
            std::free(error);
            shmdt(address);
            return;
        }
        address_ = static_cast<uchar*>(address);
        attached_ = true;
    }

    xcb_connection_t* connection_;
    xcb_shm_seg_t id_ = 0;
    uchar* address_ = nullptr;
    bool attached_ = false;
};

bool ServerOffersSharedMemory(xcb_connection_t* connection) {
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_shm_id);
    return extension && extension->present;
}

// Through the socket, in strips small enough for the heap to reuse their
// replies (below glibc's threshold for mapping blocks of their own), a few
// requests ahead.
bool PlainRead(xcb_connection_t* connection, xcb_window_t root, const QRect& area,
               QImage& picture) {
    constexpr int kAhead = 8;
    const int rows = StripRows(area.width(), 120 * 1024);
    const int strips = (area.height() + rows - 1) / rows;
    std::array<xcb_get_image_cookie_t, kAhead> pending{};
    const auto request = [&](int strip) {
        const int y = strip * rows;
        pending[std::size_t(strip % kAhead)] =
            xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, std::int16_t(area.x()),
                          std::int16_t(area.y() + y), std::uint16_t(area.width()),
                          std::uint16_t(std::min(rows, area.height() - y)), ~0u);
    };
    for (int strip = 0; strip < std::min(kAhead, strips); ++strip)
        request(strip);
    for (int strip = 0; strip < strips; ++strip) {
        xcb_generic_error_t* error = nullptr;
        xcb_get_image_reply_t* reply =
            xcb_get_image_reply(connection, pending[std::size_t(strip % kAhead)], &error);
        std::free(error);
        const int y = strip * rows;
        const int height = std::min(rows, area.height() - y);
        const bool whole =
            reply && xcb_get_image_data_length(reply) >= qsizetype(area.width()) * 4 * height;
        if (whole)
            CopyOpaqueRows(xcb_get_image_data(reply), height, picture, y);
        std::free(reply);
        if (!whole) {
            for (int rest = strip + 1; rest < std::min(strip + kAhead, strips); ++rest)
                xcb_discard_reply(connection, pending[std::size_t(rest % kAhead)].sequence);
            return false;
        }
        if (strip + kAhead < strips)
            request(strip + kAhead);
    }
    return true;
}

} // namespace

GrabOutcome X11Grabber::grab() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return GrabOutcome::failed(GrabFailure::NoScreen,
                                   QStringLiteral("the application is not on an X11 display"));
    xcb_connection_t* connection = x11->connection();
    const std::optional<Root> root = RgbRoot(connection);
    if (!root) {
        qCDebug(lcCapture) << "x11: the root window's pixel format is not 32-bit xRGB; Qt grabs";
        return QtGrabber().grab();
    }
    StripSegment* segment =
        ServerOffersSharedMemory(connection) ? StripSegment::of(connection) : nullptr;
    if (!segment)
        qCDebug(lcCapture) << "x11: no shared memory with the server; plain GetImage";

    GrabOutcome outcome;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect logical = screen->geometry();
        const qreal scale = screen->devicePixelRatio();
        // Qt keeps a screen's top-left corner in device pixels when it scales.
        const QRect device =
            QRect(logical.topLeft(), DeviceSize(logical.size(), scale)) & root->bounds;
        if (device.isEmpty())
            continue;
        QImage image = MappedImage(device.size(), QImage::Format_RGB32);
        if (image.isNull())
            continue;
        if (segment && !segment->read(root->window, device, image)) {
            qCDebug(lcCapture) << "x11: the shared-memory request failed; plain GetImage";
            segment = nullptr;
        }
        if (!segment && !PlainRead(connection, root->window, device, image))
            continue;
        image.setDevicePixelRatio(scale);
        outcome.shots.push_back({logical, QPixmap::fromImage(std::move(image)), screen});
    }
    if (outcome.shots.empty())
        return GrabOutcome::failed(GrabFailure::NoScreen,
                                   QStringLiteral("the X server gave no picture of any screen"));
    return outcome;
}

} // namespace camera

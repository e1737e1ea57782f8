#include "CameraDll/grab/x11_grabber.h"

#include "CameraDll/capture_log.h"
#include "CameraDll/grab/opaque_pixels.h"
#include "CameraDll/grab/qt_grabber.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtEndian>

#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <sys/ipc.h>
#include <sys/shm.h>

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

bool ServerOffersSharedMemory(xcb_connection_t* connection) {
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_shm_id);
    return extension && extension->present;
}

// Into a System V segment made for this one picture and attached by the
// server only for the request. The picture keeps the segment mapped and
// unmaps it when it goes, so the pixels never touch the heap.
QImage SharedMemoryGrab(xcb_connection_t* connection, xcb_window_t root, const QRect& area) {
    const qsizetype stride = qsizetype(area.width()) * 4;
    const int id =
        shmget(IPC_PRIVATE, std::size_t(stride) * std::size_t(area.height()), IPC_CREAT | 0600);
    if (id < 0)
        return {};
    void* address = shmat(id, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(id, IPC_RMID, nullptr);
        return {};
    }
    const xcb_shm_seg_t segment = xcb_generate_id(connection);
    xcb_generic_error_t* error =
        xcb_request_check(connection, xcb_shm_attach_checked(connection, segment, id, 0));
    // Removed at once: it lives on while either side has it attached, and
    // nothing is left behind if the host crashes.
    shmctl(id, IPC_RMID, nullptr);
    if (error) {
        std::free(error);
        shmdt(address);
        return {};
    }
    xcb_shm_get_image_reply_t* reply = xcb_shm_get_image_reply(
        connection,
        xcb_shm_get_image(connection, root, std::int16_t(area.x()), std::int16_t(area.y()),
                          std::uint16_t(area.width()), std::uint16_t(area.height()), ~0u,
                          XCB_IMAGE_FORMAT_Z_PIXMAP, segment, 0),
        &error);
    xcb_shm_detach(connection, segment);
    xcb_flush(connection);
    std::free(error);
    if (!reply) {
        shmdt(address);
        return {};
    }
    std::free(reply);
    return QImage(
        static_cast<uchar*>(address), area.width(), area.height(), stride, QImage::Format_RGB32,
        [](void* mapped) { shmdt(mapped); }, address);
}

// The pixels come in the reply; the picture keeps the reply and frees it.
QImage PlainGrab(xcb_connection_t* connection, xcb_window_t root, const QRect& area) {
    xcb_generic_error_t* error = nullptr;
    xcb_get_image_reply_t* reply = xcb_get_image_reply(
        connection,
        xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, std::int16_t(area.x()),
                      std::int16_t(area.y()), std::uint16_t(area.width()),
                      std::uint16_t(area.height()), ~0u),
        &error);
    std::free(error);
    if (!reply)
        return {};
    const qsizetype stride = qsizetype(area.width()) * 4;
    if (xcb_get_image_data_length(reply) < stride * area.height()) {
        std::free(reply);
        return {};
    }
    return QImage(
        xcb_get_image_data(reply), area.width(), area.height(), stride, QImage::Format_RGB32,
        [](void* pixels) { std::free(pixels); }, reply);
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
    bool shared = ServerOffersSharedMemory(connection);
    if (!shared)
        qCDebug(lcCapture) << "x11: the server offers no MIT-SHM; plain GetImage";

    GrabOutcome outcome;
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect logical = screen->geometry();
        const qreal scale = screen->devicePixelRatio();
        // Qt keeps a screen's top-left corner in device pixels when it scales.
        const QRect device =
            QRect(logical.topLeft(), (QSizeF(logical.size()) * scale).toSize()) & root->bounds;
        if (device.isEmpty())
            continue;
        QImage image;
        if (shared) {
            image = SharedMemoryGrab(connection, root->window, device);
            if (image.isNull()) {
                qCDebug(lcCapture) << "x11: the server refused shared memory; plain GetImage";
                shared = false;
            }
        }
        if (image.isNull())
            image = PlainGrab(connection, root->window, device);
        if (image.isNull())
            continue;
        MakeOpaque(image);
        image.setDevicePixelRatio(scale);
        outcome.shots.push_back({logical, QPixmap::fromImage(std::move(image)), screen});
    }
    if (outcome.shots.empty())
        return GrabOutcome::failed(GrabFailure::NoScreen,
                                   QStringLiteral("the X server gave no picture of any screen"));
    return outcome;
}

} // namespace camera

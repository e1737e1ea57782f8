#include "CameraDll/grab/picture_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

// Older C libraries lack the names; the kernel ignores what it does not know.
#ifndef MADV_HUGEPAGE
#define MADV_HUGEPAGE 14
#endif
#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23
#endif

namespace camera {

namespace {

constexpr std::size_t kHugePage = std::size_t(2) << 20;

struct Mapping {
    void* address;
    std::size_t length;

    static void release(void* mapping) {
        auto* self = static_cast<Mapping*>(mapping);
        munmap(self->address, self->length);
        delete self;
    }
};

} // namespace

QImage ImageOverMapping(void* mapping, std::size_t length, uchar* pixels, const QSize& size,
                        qsizetype stride, QImage::Format format) {
    auto* owner = new Mapping{mapping, length};
    QImage image(pixels, size.width(), size.height(), stride, format, &Mapping::release, owner);
    // A picture that did not take the memory never calls back to free it.
    if (image.isNull())
        Mapping::release(owner);
    return image;
}

QImage MappedImage(const QSize& size, QImage::Format format) {
    const int depth = QImage::toPixelFormat(format).bitsPerPixel();
    const qsizetype stride = (qsizetype(size.width()) * depth / 8 + 3) & ~qsizetype(3);
    const std::size_t bytes = std::size_t(stride) * std::size_t(size.height());
    if (size.isEmpty() || depth % 8 != 0)
        return {};
    // A huge page must lie wholly inside the mapping: room to align the start.
    const std::size_t length = bytes + kHugePage;
    void* address =
        mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (address == MAP_FAILED)
        return {};
    const auto start =
        (reinterpret_cast<std::uintptr_t>(address) + kHugePage - 1) & ~(kHugePage - 1);
    auto* pixels = reinterpret_cast<uchar*>(start);
    madvise(pixels, bytes, MADV_HUGEPAGE);
    madvise(pixels, bytes, MADV_POPULATE_WRITE);
    return ImageOverMapping(address, length, pixels, size, stride, format);
}

void Prefault(const QImage& picture) {
    if (picture.isNull())
        return;
    const auto page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const auto first = reinterpret_cast<std::uintptr_t>(picture.constBits()) & ~(page - 1);
    const auto end = reinterpret_cast<std::uintptr_t>(picture.constBits()) +
                     std::uintptr_t(picture.sizeInBytes());
    madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
}

} // namespace camera

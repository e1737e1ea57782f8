#pragma once

#include <QImage>

#include <cstddef>

namespace camera {

// A picture in memory the library maps itself rather than takes from the
// heap. It goes back to the system the moment the last copy of the picture
// is gone, where glibc would keep a freed screen-sized block in its heaps for
// the rest of the host's life. It is mapped in huge pages where the kernel
// grants them on request, and filled in at once: writing a fresh screen-sized
// buffer page by page costs thousands of page faults, which in a virtual
// machine take longer than the copy itself. Null if there is no memory.
QImage MappedImage(const QSize& size, QImage::Format format);

// A picture over pixels inside a mapping of ours, which is unmapped when the
// last copy of the picture goes. Null (and the mapping unmapped at once) if
// the pixels do not make a picture.
QImage ImageOverMapping(void* mapping, std::size_t length, uchar* pixels, const QSize& size,
                        qsizetype stride, QImage::Format format);

// Faults in a picture's memory with one call instead of a page fault per
// page: for memory about to be written in full, such as a window's backing
// store before its first paint.
void Prefault(const QImage& picture);

} // namespace camera

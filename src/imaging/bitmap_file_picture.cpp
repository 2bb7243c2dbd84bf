#include "imaging/bitmap_file_picture.h"
#include "imaging/little_endian.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstring>

namespace vm {

namespace {

bool readAt(int fd, void* buf, std::size_t size, std::uint64_t offset) {
    auto* p = static_cast<char*>(buf);
    while (size > 0) {
        const ssize_t n = ::pread(fd, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return true;
}
}  // namespace

std::shared_ptr<BitmapFilePicture> BitmapFilePicture::open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat st {};
    std::uint8_t h[54];
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && readAt(fd, h, sizeof h, 0) &&
              h[0] == 'B' && h[1] == 'M';
    std::int32_t width = 0, height = 0;
    std::uint64_t offset = 0, stride = 0;
    bool bottomUp = true;
    if (ok) {
        offset = getLe32(h + 10);
        const std::uint32_t infoSize = getLe32(h + 14);
        const auto w = static_cast<std::int32_t>(getLe32(h + 18));
        const auto hgt = static_cast<std::int32_t>(getLe32(h + 22));
        const std::uint16_t planes = getLe16(h + 26), bits = getLe16(h + 28);
        const std::uint32_t compression = getLe32(h + 30);
        ok = infoSize >= 40 && infoSize <= 124 && planes == 1 && bits == 24 && compression == 0 &&
             w > 0 && hgt != 0 && hgt != INT32_MIN && offset >= 14u + infoSize;
        if (ok) {
            width = w;
            height = hgt < 0 ? -hgt : hgt;
            bottomUp = hgt > 0;
            stride = (static_cast<std::uint64_t>(width) * 3 + 3) & ~std::uint64_t{3};
            // The last row need not be padded.
            const std::uint64_t need = offset + stride * static_cast<std::uint64_t>(height - 1) +
                                       static_cast<std::uint64_t>(width) * 3;
            ok = need <= static_cast<std::uint64_t>(st.st_size);
        }
    }
    if (!ok) {
        ::close(fd);
        return nullptr;
    }
    return std::shared_ptr<BitmapFilePicture>(
        new BitmapFilePicture(fd, width, height, offset, stride, bottomUp));
}

BitmapFilePicture::BitmapFilePicture(int fd, std::int32_t width, std::int32_t height,
                                     std::uint64_t offset, std::uint64_t stride, bool bottomUp)
    : Picture(width, height), m_fd(fd), m_offset(offset), m_stride(stride), m_bottomUp(bottomUp) {}

BitmapFilePicture::~BitmapFilePicture() {
    ::close(m_fd);
}

std::uint64_t BitmapFilePicture::rowOffset(std::int32_t y) const {
    const auto row = static_cast<std::uint64_t>(m_bottomUp ? height() - 1 - y : y);
    return m_offset + row * m_stride;
}

Colour BitmapFilePicture::colourAt(std::int32_t x, std::int32_t y) const {
    unsigned char bgr[3];
    // A file cut short since it was opened reads as black rather than failing the caller.
    if (!readAt(m_fd, bgr, 3, rowOffset(y) + static_cast<std::uint64_t>(x) * 3)) return 0;
    return makeColour(bgr[2], bgr[1], bgr[0]);
}

bool BitmapFilePicture::readRowBgr(std::int32_t y, std::uint8_t* out) const {
    return readAt(m_fd, out, static_cast<std::size_t>(width()) * 3, rowOffset(y));
}

}  // namespace vm

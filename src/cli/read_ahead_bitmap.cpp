#include "cli/read_ahead_bitmap.h"

#include <fcntl.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

namespace vm::cli {

namespace {
constexpr std::uint64_t kReadSize = std::uint64_t{1} << 20;

std::uint32_t le32(const unsigned char* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

// Reads up to size bytes; how many were read (fewer only at the end of the file),
// or -1 on an error.
std::int64_t readUpTo(int fd, std::uint8_t* p, std::uint64_t size, std::uint64_t offset) {
    std::uint64_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, p + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        done += static_cast<std::uint64_t>(n);
    }
    return static_cast<std::int64_t>(done);
}
}  // namespace

std::shared_ptr<ReadAheadBitmap> ReadAheadBitmap::open(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    // The core checks the file through our descriptor, so both read the same file
    // even if the name is given to another one meanwhile.
    auto points = BitmapFilePicture::open("/proc/self/fd/" + std::to_string(fd));
    unsigned char header[26];
    if (!points ||
        readUpTo(fd, header, sizeof header, 0) != static_cast<std::int64_t>(sizeof header)) {
        ::close(fd);
        return nullptr;
    }
    const bool bottomUp = static_cast<std::int32_t>(le32(header + 22)) > 0;
    return std::shared_ptr<ReadAheadBitmap>(
        new ReadAheadBitmap(fd, std::move(points), le32(header + 10), bottomUp));
}

ReadAheadBitmap::ReadAheadBitmap(int fd, std::shared_ptr<BitmapFilePicture> points,
                                 std::uint64_t offset, bool bottomUp)
    : Picture(points->width(), points->height()),
      m_fd(fd),
      m_points(std::move(points)),
      m_offset(offset),
      m_stride((static_cast<std::uint64_t>(width()) * 3 + 3) & ~std::uint64_t{3}),
      m_bottomUp(bottomUp) {}

ReadAheadBitmap::~ReadAheadBitmap() {
    ::close(m_fd);
}

Colour ReadAheadBitmap::colourAt(std::int32_t x, std::int32_t y) const {
    return m_points->colourAt(x, y);
}

bool ReadAheadBitmap::fill(std::int64_t fileRow) const {
    const auto rows = static_cast<std::int64_t>(std::max<std::uint64_t>(1, kReadSize / m_stride));
    if (m_rows.empty()) m_rows.resize(static_cast<std::size_t>(rows) * m_stride);
    // Whichever way the rows are asked for, the read goes on in that direction.
    std::int64_t first = fileRow;
    if (m_count > 0 && fileRow < m_first) first = std::max<std::int64_t>(0, fileRow - rows + 1);
    const std::int64_t count = std::min<std::int64_t>(rows, height() - first);
    const std::int64_t got =
        readUpTo(m_fd, m_rows.data(), static_cast<std::uint64_t>(count) * m_stride,
                 m_offset + static_cast<std::uint64_t>(first) * m_stride);
    // Rows read in whole; the last row of a file need not have its padding.
    const auto rowBytes = static_cast<std::int64_t>(width()) * 3;
    const std::int64_t whole =
        got >= rowBytes ? (got - rowBytes) / static_cast<std::int64_t>(m_stride) + 1 : 0;
    m_first = first;
    m_count = std::min(count, whole);
    return fileRow >= m_first && fileRow < m_first + m_count;
}

bool ReadAheadBitmap::readRowBgr(std::int32_t y, std::uint8_t* out) const {
    const std::int64_t fileRow = m_bottomUp ? height() - 1 - y : y;
    if ((fileRow < m_first || fileRow >= m_first + m_count) && !fill(fileRow)) return false;
    std::memcpy(out, m_rows.data() + static_cast<std::uint64_t>(fileRow - m_first) * m_stride,
                static_cast<std::size_t>(width()) * 3);
    return true;
}

}  // namespace vm::cli

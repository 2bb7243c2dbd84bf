#include "cli/mapped_bitmap.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <atomic>
#include <cstring>

namespace vm::cli {

namespace {

// Reading a mapped page that a truncation removed raises SIGBUS. For the ranges
// registered here the handler puts a page of zeros in its place and lets the read
// go on; any other SIGBUS takes its default course.
struct MappedRange {
    std::atomic<std::uintptr_t> start{0};
    std::atomic<std::size_t> size{0};
};
constexpr int kMaxRanges = 4;
MappedRange g_ranges[kMaxRanges];
std::uintptr_t g_pageSize = 4096;

void onBusError(int, siginfo_t* info, void*) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (const MappedRange& range : g_ranges) {
        const std::uintptr_t start = range.start.load();
        if (start != 0 && address >= start && address - start < range.size.load()) {
            void* page = reinterpret_cast<void*>(address & ~(g_pageSize - 1));
            if (::mmap(page, g_pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1,
                       0) != MAP_FAILED)
                return;
            break;
        }
    }
    ::signal(SIGBUS, SIG_DFL);  // the read faults again and ends the program as it would have
}

bool guard(const std::uint8_t* data, std::size_t size) {
    static const bool installed = [] {
        g_pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGBUS, &action, nullptr) == 0;
    }();
    if (!installed) return false;
    for (MappedRange& range : g_ranges) {
        if (range.start.load() != 0) continue;
        range.size.store(size);
        range.start.store(reinterpret_cast<std::uintptr_t>(data));
        return true;
    }
    return false;
}

void unguard(const std::uint8_t* data) {
    for (MappedRange& range : g_ranges)
        if (range.start.load() == reinterpret_cast<std::uintptr_t>(data)) range.start.store(0);
}

}  // namespace

std::shared_ptr<const MappedBitmap> MappedBitmap::map(const BitmapFilePicture& bitmap) {
    struct stat st {};
    if (bitmap.fd() < 0 || ::fstat(bitmap.fd(), &st) != 0 || st.st_size <= 0) return nullptr;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    const std::uint64_t need = bitmap.pixelOffset() +
                               bitmap.stride() * static_cast<std::uint64_t>(bitmap.height() - 1) +
                               static_cast<std::uint64_t>(bitmap.width()) * 3;
    if (need > size || size > SIZE_MAX) return nullptr;
    void* data =
        ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, MAP_PRIVATE, bitmap.fd(), 0);
    if (data == MAP_FAILED) return nullptr;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (!guard(bytes, static_cast<std::size_t>(size))) {
        ::munmap(data, static_cast<std::size_t>(size));
        return nullptr;
    }
    // Scattered reads: reading ahead would only fetch what no one asks for.
    ::madvise(data, static_cast<std::size_t>(size), MADV_RANDOM);
    return std::shared_ptr<const MappedBitmap>(
        new MappedBitmap(bitmap, bytes, static_cast<std::size_t>(size)));
}

MappedBitmap::MappedBitmap(const BitmapFilePicture& bitmap, const std::uint8_t* data,
                           std::size_t size)
    : Picture(bitmap.width(), bitmap.height()),
      m_data(data),
      m_size(size),
      m_offset(bitmap.pixelOffset()),
      m_stride(bitmap.stride()),
      m_bottomUp(bitmap.bottomUp()) {}

MappedBitmap::~MappedBitmap() {
    unguard(m_data);
    ::munmap(const_cast<std::uint8_t*>(m_data), m_size);
}

const std::uint8_t* MappedBitmap::row(std::int32_t y) const {
    const auto index = static_cast<std::uint64_t>(m_bottomUp ? height() - 1 - y : y);
    return m_data + m_offset + index * m_stride;
}

Colour MappedBitmap::colourAt(std::int32_t x, std::int32_t y) const {
    const std::uint8_t* bgr = row(y) + static_cast<std::size_t>(x) * 3;
    return makeColour(bgr[2], bgr[1], bgr[0]);
}

bool MappedBitmap::readRowBgr(std::int32_t y, std::uint8_t* out) const {
    std::memcpy(out, row(y), static_cast<std::size_t>(width()) * 3);
    return true;
}

}  // namespace vm::cli

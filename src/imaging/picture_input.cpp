#include "imaging/picture_input.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/file_io.h"
#include "platform/user_messages.h"

namespace vm {

namespace {

// What a path that is neither a file nor a pipe names, or nothing for those two.
const char* otherKind(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return nullptr;
}

Failure refusedKind(const std::string& path, const char* kind) {
    return failure(path + " is " + kind + ", not a picture file.");
}

// The whole of a pipe, up to limit bytes.
Result<std::vector<std::uint8_t>> readAll(int fd, const std::string& path, std::uint64_t limit) {
    std::vector<std::uint8_t> bytes;
    std::uint8_t buffer[65536];
    for (;;) {
        std::size_t got = 0;
        if (const int err = readUpTo(fd, buffer, sizeof buffer, &got); err != 0)
            return cannotRead(path, err);
        if (bytes.size() + got > limit)
            return failure("The picture in " + path + " is too large to open (more than " +
                           std::to_string(limit >> 20) + " MB came through the pipe).");
        bytes.insert(bytes.end(), buffer, buffer + got);
        if (got < sizeof buffer) return bytes;
    }
}

}  // namespace

Result<PictureInputRef> PictureInput::open(const std::string& path, std::uint64_t sizeLimit) {
    // Devices are refused before they are opened: opening some of them does something.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return cannotRead(path, errno);
    if (const char* kind = otherKind(st.st_mode)) return refusedKind(path, kind);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return cannotRead(path, errno);
    if (::fstat(fd, &st) != 0 || otherKind(st.st_mode)) {
        const int err = errno;
        ::close(fd);
        if (const char* kind = otherKind(st.st_mode)) return refusedKind(path, kind);
        return cannotRead(path, err);
    }
    if (S_ISREG(st.st_mode)) {
        if (st.st_size == 0) {
            ::close(fd);
            return failure("The file " + path + " is empty.");
        }
        return PictureInputRef(
            new PictureInput(path, fd, static_cast<std::uint64_t>(st.st_size), {}));
    }
    Result<std::vector<std::uint8_t>> bytes = readAll(fd, path, sizeLimit);
    ::close(fd);
    if (!bytes) return bytes.why();
    if (bytes->empty()) return failure("Nothing came through " + path + ": it is empty.");
    const auto size = static_cast<std::uint64_t>(bytes->size());
    return PictureInputRef(new PictureInput(path, -1, size, bytes.take()));
}

PictureInput::PictureInput(std::string path, int fd, std::uint64_t size,
                           std::vector<std::uint8_t> bytes)
    : m_path(std::move(path)), m_fd(fd), m_size(size), m_bytes(std::move(bytes)) {}

PictureInput::~PictureInput() {
    if (m_mapped) ::munmap(const_cast<std::uint8_t*>(m_mapped), static_cast<std::size_t>(m_size));
    if (m_fd >= 0) ::close(m_fd);
}

bool PictureInput::readAt(std::uint64_t offset, void* out, std::size_t size) const {
    if (m_fd < 0) {
        if (offset > m_bytes.size() || size > m_bytes.size() - offset) return false;
        std::memcpy(out, m_bytes.data() + offset, size);
        return true;
    }
    std::size_t got = 0;
    return readUpTo(m_fd, out, size, offset, &got) == 0 && got == size;
}

std::vector<std::uint8_t> PictureInput::head(std::size_t n) const {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(n, m_size)));
    if (!readAt(0, bytes.data(), bytes.size())) bytes.clear();
    return bytes;
}

const std::uint8_t* PictureInput::contents() const {
    if (m_fd < 0) return m_bytes.data();
    if (!m_mapped) {
        void* p =
            ::mmap(nullptr, static_cast<std::size_t>(m_size), PROT_READ, MAP_PRIVATE, m_fd, 0);
        if (p != MAP_FAILED) m_mapped = static_cast<const std::uint8_t*>(p);
    }
    return m_mapped;
}

}  // namespace vm

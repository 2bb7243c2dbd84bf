#include "platform/file_io.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

namespace vm {

int writeAll(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;  // a write that moves nothing would loop for ever
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

int writeAllAt(int fd, const void* data, std::size_t size, std::uint64_t offset) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return EIO;
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return 0;
}

namespace {
// Reads until size bytes, the end or an error; readSome(at, count, done) is one
// system call for count bytes into at, done bytes in.
template <typename ReadSome>
int readLoop(const ReadSome& readSome, void* data, std::size_t size, std::size_t* got) {
    auto* p = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = readSome(p + done, size - done, done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            *got = done;
            return errno;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    *got = done;
    return 0;
}
}  // namespace

int readUpTo(int fd, void* data, std::size_t size, std::uint64_t offset, std::size_t* got) {
    return readLoop(
        [fd, offset](char* at, std::size_t count, std::size_t done) {
            return ::pread(fd, at, count, static_cast<off_t>(offset + done));
        },
        data, size, got);
}

int readUpTo(int fd, void* data, std::size_t size, std::size_t* got) {
    return readLoop(
        [fd](char* at, std::size_t count, std::size_t) { return ::read(fd, at, count); }, data,
        size, got);
}

int copyAll(int from, std::uint64_t fromOffset, int to, std::uint64_t length) {
    auto at = static_cast<off_t>(fromOffset);
    while (length > 0) {
        const ssize_t n = ::copy_file_range(from, &at, to, nullptr, length, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                      errno == EBADF))
            break;  // not between these two files: copy through memory below
        if (n < 0) return errno;
        if (n == 0) return ENODATA;
        length -= static_cast<std::uint64_t>(n);
    }
    std::vector<char> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(length, 1u << 20)));
    while (length > 0) {
        const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(length, buffer.size()));
        std::size_t got = 0;
        if (const int err =
                readUpTo(from, buffer.data(), chunk, static_cast<std::uint64_t>(at), &got))
            return err;
        if (got == 0) return ENODATA;
        if (const int err = writeAll(to, buffer.data(), got)) return err;
        at += static_cast<off_t>(got);
        length -= got;
    }
    return 0;
}

}  // namespace vm

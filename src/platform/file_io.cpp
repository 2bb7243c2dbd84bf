#include "platform/file_io.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/user_messages.h"

namespace vm {

namespace {
Failure failed(int err, FileAccess access) {
    return failure(errnoWording(err, access), static_cast<Errno>(err));
}
}  // namespace

int errnoOf(const Failure& why) {
    const std::optional<Errno> err = why.kind.as<Errno>();
    return err ? static_cast<int>(*err) : EIO;
}

Result<void> writeAll(int fd, const void* data, std::size_t size) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return failed(errno, FileAccess::Writing);
        // A write that moves nothing would loop for ever.
        if (n == 0) return failed(EIO, FileAccess::Writing);
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return {};
}

Result<void> writeAllAt(int fd, const void* data, std::size_t size, std::uint64_t offset) {
    const auto* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::pwrite(fd, p, size, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return failed(errno, FileAccess::Writing);
        if (n == 0) return failed(EIO, FileAccess::Writing);
        p += n;
        size -= static_cast<std::size_t>(n);
        offset += static_cast<std::uint64_t>(n);
    }
    return {};
}

namespace {
// Reads until size bytes, the end or an error; readSome(at, count, done) is one
// system call for count bytes into at, done bytes in.
template <typename ReadSome>
Result<std::size_t> readLoop(const ReadSome& readSome, void* data, std::size_t size) {
    auto* p = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = readSome(p + done, size - done, done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return failed(errno, FileAccess::Reading);
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}
}  // namespace

Result<std::size_t> readUpTo(int fd, void* data, std::size_t size, std::uint64_t offset) {
    return readLoop(
        [fd, offset](char* at, std::size_t count, std::size_t done) {
            return ::pread(fd, at, count, static_cast<off_t>(offset + done));
        },
        data, size);
}

Result<std::size_t> readUpTo(int fd, void* data, std::size_t size) {
    return readLoop(
        [fd](char* at, std::size_t count, std::size_t) { return ::read(fd, at, count); }, data,
        size);
}

Result<void> copyAll(int from, std::uint64_t fromOffset, int to, std::uint64_t length) {
    auto at = static_cast<off_t>(fromOffset);
    while (length > 0) {
        const ssize_t n = ::copy_file_range(from, &at, to, nullptr, length, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP ||
                      errno == EBADF))
            break;  // not between these two files: copy through memory below
        if (n < 0) return failed(errno, FileAccess::Writing);
        if (n == 0) return failed(ENODATA, FileAccess::Reading);
        length -= static_cast<std::uint64_t>(n);
    }
    std::vector<char> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(length, 1u << 20)));
    while (length > 0) {
        const auto chunk = static_cast<std::size_t>(std::min<std::uint64_t>(length, buffer.size()));
        const Result<std::size_t> got =
            readUpTo(from, buffer.data(), chunk, static_cast<std::uint64_t>(at));
        if (!got) return got.why();
        if (*got == 0) return failed(ENODATA, FileAccess::Reading);
        if (Result<void> written = writeAll(to, buffer.data(), *got); !written) return written;
        at += static_cast<off_t>(*got);
        length -= *got;
    }
    return {};
}

}  // namespace vm

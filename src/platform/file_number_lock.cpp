#include "platform/file_number_lock.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace vm {

// An abstract socket name: taken by one process at a time whoever its user is, and
// given back by the kernel when that process ends, however it ends.
FileNumberLock::FileNumberLock(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return;
    m_socket.reset(::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
    if (!m_socket) return;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    char* name = address.sun_path + 1;  // sun_path[0] stays 0: the abstract namespace
    const int length = std::snprintf(
        name, sizeof address.sun_path - 1, "veilmark-rewrite-%llx-%llx",
        static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino));
    if (length <= 0) return;
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 +
                                             static_cast<std::size_t>(length));
    const auto* where = reinterpret_cast<const sockaddr*>(&address);  // NOLINT: the socket API
    while (::bind(m_socket.get(), where, size) != 0) {
        if (errno != EADDRINUSE && errno != EINTR) {
            m_socket.reset();
            return;
        }
        const timespec pause{0, 5'000'000};
        ::nanosleep(&pause, nullptr);
    }
}

}  // namespace vm

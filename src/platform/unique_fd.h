#pragma once
// One owner for a file descriptor: it is closed when the owner goes, on every path,
// so no caller closes a descriptor by hand.

#include <unistd.h>

#include <utility>

namespace vm {

class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) noexcept : m_fd(fd) {}
    ~UniqueFd() { reset(); }

    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const noexcept { return m_fd; }
    explicit operator bool() const noexcept { return m_fd >= 0; }

    // Hands the descriptor over; this owner then holds none.
    int release() noexcept { return std::exchange(m_fd, -1); }

    // Closes what is held and takes fd instead.
    void reset(int fd = -1) noexcept {
        if (m_fd >= 0) ::close(m_fd);
        m_fd = fd;
    }

  private:
    int m_fd = -1;
};

}  // namespace vm

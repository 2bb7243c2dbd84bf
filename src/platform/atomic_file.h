#pragma once
// Writes a file so that it is either complete or not there at all: the bytes go to
// a temporary file beside the target, which is renamed over the target only once
// everything is written. An existing file of that name stays intact
// until then; on any failure the temporary file is removed.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vm {

class AtomicFile {
  public:
    explicit AtomicFile(std::string target);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // Each step returns false after a failure; error() then says why in words for the user.
    bool open();
    bool write(const void* data, std::size_t size);
    // Appends length bytes of another file, copied inside the kernel where it can.
    bool copyFrom(int fd, std::uint64_t offset, std::uint64_t length);
    // Overwrites bytes already written.
    bool writeAt(std::uint64_t offset, const void* data, std::size_t size);
    bool commit();
    const std::string& error() const { return m_error; }

    // Test seam: makes the next writes fail with this errno (nothing: back to normal).
    static void injectWriteFault(std::optional<int> errnoValue);

  private:
    bool fail(const std::string& what, int err);
    void discard();

    std::string m_target;
    std::string m_temp;
    int m_fd = -1;
    bool m_failed = false;
    std::string m_error;
};

}  // namespace vm

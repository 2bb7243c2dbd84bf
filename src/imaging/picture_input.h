#pragma once
// A picture file opened once for reading. Opening checks what the path names (a
// missing file, a folder, a device and an empty file are refused with a sentence
// that says so) and keeps the one descriptor; every reader then works from it, so
// a pipe (a FIFO, or a shell's process substitution) is read once, into memory,
// and the file is never opened a second time under a name that may have changed.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/result.h"

namespace vm {

class PictureInput;
using PictureInputRef = std::shared_ptr<const PictureInput>;

class PictureInput {
  public:
    // Opens the path as the bytes it is (no text conversion). A pipe is read whole;
    // one longer than sizeLimit bytes is refused.
    static Result<PictureInputRef> open(const std::string& path, std::uint64_t sizeLimit);
    ~PictureInput();
    PictureInput(const PictureInput&) = delete;
    PictureInput& operator=(const PictureInput&) = delete;

    const std::string& path() const { return m_path; }
    std::uint64_t size() const { return m_size; }
    // A regular file read where it lies; otherwise its bytes were read into memory.
    bool seekable() const { return m_fd >= 0; }
    // The descriptor of a seekable file (-1 otherwise). Readers must not move its offset.
    int fd() const { return m_fd; }

    // Reads size bytes at offset; false when the file ends first or cannot be read.
    bool readAt(std::uint64_t offset, void* out, std::size_t size) const;
    // Up to n bytes from the start.
    std::vector<std::uint8_t> head(std::size_t n) const;
    // The whole file, mapped or in memory; nullptr when it cannot be mapped.
    const std::uint8_t* contents() const;

  private:
    PictureInput(std::string path, int fd, std::uint64_t size, std::vector<std::uint8_t> bytes);

    std::string m_path;
    int m_fd;
    std::uint64_t m_size;
    std::vector<std::uint8_t> m_bytes;  // a pipe's contents
    mutable const std::uint8_t* m_mapped = nullptr;
};

}  // namespace vm

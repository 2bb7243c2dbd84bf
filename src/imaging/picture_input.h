#pragma once
// A picture file opened once for reading. Opening checks what the path names (a
// missing file, a folder, a device and an empty file are refused with a sentence
// that says so) and keeps the one descriptor; every reader then works from it, so
// a pipe (a FIFO, or a shell's process substitution) is read once, into memory,
// and the file is never opened a second time under a name that may have changed.
//
// A regular file is read through one guarded mapping: if the file is cut short
// while it is read, the missing part reads as zeros, intact() turns false, and the
// reader refuses what it read with changedWhileRead() instead of the program
// ending on a signal.

#include <sys/stat.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/guarded_mapping.h"
#include "platform/result.h"
#include "platform/unique_fd.h"

namespace vm {

class PictureInput;

// Refuses a path that names a pipe, a socket, a device or a folder, with the sentence
// opening it would give, without opening it: for a window, which must not wait on a
// pipe that nobody writes. A path that cannot be looked at passes; opening it says why.
Result<void> checkPlainFile(const std::string& path);

using PictureInputRef = std::shared_ptr<const PictureInput>;

class PictureInput {
  public:
    // Opens the path as the bytes it is (no text conversion). A pipe is read whole;
    // one longer than sizeLimit bytes is refused.
    static Result<PictureInputRef> open(const std::string& path, std::uint64_t sizeLimit);
    // The same for descriptor 0, named "standard input".
    static Result<PictureInputRef> openStandardInput(std::uint64_t sizeLimit);
    ~PictureInput();
    PictureInput(const PictureInput&) = delete;
    PictureInput& operator=(const PictureInput&) = delete;

    const std::string& path() const { return m_path; }
    std::uint64_t size() const { return m_size; }
    // A regular file read where it lies; otherwise its bytes were read into memory.
    bool seekable() const { return m_fd.get() >= 0; }
    // The descriptor of a seekable file (-1 otherwise). Readers must not move its offset.
    int fd() const { return m_fd.get(); }

    // Reads size bytes at offset, or says why not: the file ends first, or cannot be read.
    Result<void> readAt(std::uint64_t offset, void* out, std::size_t size) const;
    // Up to n bytes from the start (fewer in a shorter file), or why they cannot be read.
    Result<std::vector<std::uint8_t>> head(std::size_t n) const;
    // The whole file, mapped or in memory; nullptr when it cannot be mapped. For
    // readers that need it all at once, or read so much of it, scattered, that a
    // system call for each read would cost more than the mapping's page faults.
    const std::uint8_t* contents() const;

    // False once a read found the file shorter than it was when opened.
    bool intact() const;
    // What the user is told then, naming the file.
    Failure changedWhileRead() const;

  private:
    class PipeBytes;
    static Result<PictureInputRef> whole(const std::string& path, UniqueFd fd,
                                         const struct stat& st);
    static Result<PictureInputRef> readStream(const std::string& path, UniqueFd fd,
                                              std::uint64_t sizeLimit);
    PictureInput(std::string path, UniqueFd fd, std::uint64_t size,
                 std::unique_ptr<PipeBytes> bytes);

    std::string m_path;
    UniqueFd m_fd;
    std::uint64_t m_size;
    std::unique_ptr<PipeBytes> m_bytes;  // a pipe's contents
    mutable std::unique_ptr<GuardedMapping> m_mapping;
    mutable bool m_mappingTried = false;
    mutable std::atomic<bool> m_readFailed{false};
};

}  // namespace vm

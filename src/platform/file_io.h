#pragma once
// Reads and writes that finish the job: each call retries after a signal (EINTR)
// and continues after a short transfer, so callers see either every byte moved or
// a real error. POSIX file descriptors only.
//
// A failure's kind is the Errno of the call that failed, and its sentence that
// errno in a few words; callers that name the file say so in their own sentence
// (see errnoOf).

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

#include "platform/result.h"

namespace vm {

// An errno value, as a failure's kind.
enum class Errno : int {};

// The errno behind a failure of the functions below; EIO for any other failure.
int errnoOf(const Failure& why);

// Writes all size bytes at the file's current position.
Result<void> writeAll(int fd, const void* data, std::size_t size);
// Writes all size bytes at offset, leaving the file position alone.
Result<void> writeAllAt(int fd, const void* data, std::size_t size, std::uint64_t offset);

// Reads up to size bytes from offset, stopping early only at the end of the file;
// gives how many arrived.
Result<std::size_t> readUpTo(int fd, void* data, std::size_t size, std::uint64_t offset);
// Reads up to size bytes at the current position, stopping early only at the end
// of the file (or of the pipe's stream); gives how many arrived.
Result<std::size_t> readUpTo(int fd, void* data, std::size_t size);

// Copies length bytes of from, starting at fromOffset, to the current position of
// to, inside the kernel where the two files allow it. ENODATA when from ends first.
Result<void> copyAll(int from, std::uint64_t fromOffset, int to, std::uint64_t length);

}  // namespace vm

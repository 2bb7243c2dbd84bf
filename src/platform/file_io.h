#pragma once
// Reads and writes that finish the job: each call retries after a signal (EINTR)
// and continues after a short transfer, so callers see either every byte moved or
// a real error. POSIX file descriptors only.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace vm {

// Each returns 0 on success, otherwise the errno of the call that failed.

// Writes all size bytes at the file's current position.
int writeAll(int fd, const void* data, std::size_t size);
// Writes all size bytes at offset, leaving the file position alone.
int writeAllAt(int fd, const void* data, std::size_t size, std::uint64_t offset);

// Reads up to size bytes from offset, stopping early only at the end of the file;
// *got says how many arrived.
int readUpTo(int fd, void* data, std::size_t size, std::uint64_t offset, std::size_t* got);
// Reads up to size bytes at the current position, stopping early only at the end
// of the file (or of the pipe's stream); *got says how many arrived.
int readUpTo(int fd, void* data, std::size_t size, std::size_t* got);

// Copies length bytes of from, starting at fromOffset, to the current position of
// to, inside the kernel where the two files allow it. ENODATA when from ends first.
int copyAll(int from, std::uint64_t fromOffset, int to, std::uint64_t length);

}  // namespace vm

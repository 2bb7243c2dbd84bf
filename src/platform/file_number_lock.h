#pragma once
// A lock on a file that every save on this machine sees, whichever name reached the
// file. flock() belongs to the kernel's inode, and some file systems (FUSE) give one
// file as many inodes as it has names there, so two saves through two hard links
// would each hold their own lock. This one is keyed by the file's device and number
// as stat() reports them.

#include "platform/unique_fd.h"

namespace vm {

class FileNumberLock {
  public:
    // Waits until no other holder of the same file's lock is left. Where no such
    // lock can be made here (no sockets, say), it holds nothing.
    explicit FileNumberLock(int fd);
    FileNumberLock(const FileNumberLock&) = delete;
    FileNumberLock& operator=(const FileNumberLock&) = delete;

  private:
    UniqueFd m_socket;  // bound to the lock's name for as long as it is held
};

}  // namespace vm

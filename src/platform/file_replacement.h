#pragma once
// Gives a file new contents without losing the old ones to a failure.
//
// The new contents are written complete into an unnamed file first (or, where the
// file system has none, a hidden one beside the target), where the caller can
// read them back through stagedFd() before anything happens to the target.
// commit() then puts them in the target's place, and only returns once they are
// on the disk:
//  - a new name, or a file that only this name points to and whose owner, group,
//    access control list and extended attributes can be given to a new file: the
//    staged file is flushed, linked in under the target's name in one rename, and
//    the folder is flushed (through the file system where the folder cannot be read);
//  - a file with several hard links, or one whose identity a new file cannot take
//    (another owner, attributes it may not set), or in a folder where no new file
//    can be made: the target is locked against other saves, the whole new length
//    reserved, holes included, and the staged contents copied over the old ones.
//    Where the file system cannot promise that room (no reservation, or copy on
//    write), a copy of the old contents is kept and put back if the copy fails.
//    With the room promised, only an error of the disk itself (EIO) in the middle
//    of such a rewrite can leave the file damaged, and the failure then says so.
//    A file mounted over its name (EBUSY on rename) is rewritten in place too.
// Symbolic links are resolved by the kernel, as it would for any write by this
// user: a link it refuses to follow (protected_symlinks) is refused here too, and
// the file it leads to gets the contents (a link to nothing creates that file).
// Only regular files are replaced: a device, pipe or socket is refused.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/result.h"
#include "platform/unique_fd.h"

namespace vm {

// What a test changes in how a replacement runs, to reach the paths that ordinary
// disks seldom take; a program passes none.
struct ReplacementFaults {
    // Every write fails with this errno.
    std::optional<int> writeErrno;
    // Stage in a named hidden file, as on file systems without unnamed files.
    bool namedStaging = false;
    // Run by commit() once it holds the ending signals, before anything changes.
    std::function<void()> whileCommitting;
};

class FileReplacement {
  public:
    enum class Method { NewFile, Rename, InPlace };

    explicit FileReplacement(std::string target, ReplacementFaults faults = {});
    ~FileReplacement();  // without a commit, nothing of the new contents is left
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Each step fails for good after a failure; its sentence says why, for the user.
    Result<void> open();
    Result<void> write(const void* data, std::size_t size);
    // Appends length bytes of another file, copied inside the kernel where it can.
    Result<void> copyFrom(int fd, std::uint64_t offset, std::uint64_t length);
    // Overwrites bytes already written.
    Result<void> writeAt(std::uint64_t offset, const void* data, std::size_t size);
    // The staged contents, open for reading; a failure after a failure.
    Result<int> stagedFd() const;
    Result<void> commit();
    // Gives up: the target stays as it was.
    void abandon();

    // How commit() puts the contents in place; known after open().
    Method method() const { return m_method; }
    // Whether commit() will rewrite in place the very file that fd reads.
    bool rewritesInPlace(int fd) const;

  private:
    Failure fail(const std::string& what, int err);
    Failure refuse(const std::string& sentence);
    Result<void> resolveTarget();
    Result<void> inspectTarget();
    Result<void> checkStickyFolder();
    Result<void> createStaging();
    Result<void> takeIdentity();
    Result<void> openForRewrite();
    Result<void> commitByRename();
    Result<void> commitInPlace();
    Failure mountedOver();
    Result<void> rewriteMountedTarget();
    Result<void> flushFolder();
    Result<void> flushedAndNoted();  // flushFolder(), and the commit noted once it held
    void discard();

    std::string m_target;  // as the caller gave it, for messages
    ReplacementFaults m_faults;
    std::string m_folder;  // of the file that gets the contents, links resolved
    std::string m_name;
    UniqueFd m_folderFd;
    bool m_folderReadable = true;
    UniqueFd m_fd;              // the staged contents
    UniqueFd m_targetFd;        // the target, when written in place
    UniqueFd m_oldFd;           // the target as it was, for its attributes (O_PATH)
    std::string m_stagedName;   // a named staged file in m_folder, when there is one
    std::string m_createdName;  // made through a link to nothing; removed on failure
    bool m_existed = false;
    uid_t m_owner = 0;
    gid_t m_group = 0;
    mode_t m_mode = 0;
    std::uint64_t m_oldSize = 0;
    nlink_t m_links = 1;
    std::uint64_t m_size = 0;  // of the staged contents
    Method m_method = Method::NewFile;
    bool m_failed = false;
    bool m_committed = false;
    bool m_mountedOver = false;  // the rename met a mount: rewrite in place instead
};

}  // namespace vm

#pragma once
// Gives a file new contents without ever losing the old ones to a failure.
//
// The new contents are written complete into an unnamed file first (or, where the
// file system has none, a hidden one beside the target), where the caller can
// read them back through stagedPath() before anything happens to the target.
// commit() then puts them in the target's place:
//  - a new name, or a file that only this name points to and whose owner and
//    group can be kept: the staged file is flushed to disk, linked in under the
//    target's name in one rename, and the folder is flushed;
//  - a file with several hard links, one whose owner or group this process may
//    not give to a new file, or one in a folder where no new file can be made:
//    the staged contents are copied over the old ones in place, after room for
//    them was reserved, so that only a failing disk can stop the copy midway.
// A symbolic link is followed (the file it points to gets the contents; a link to
// nothing creates that file). Only regular files are replaced: a device, pipe or
// socket of that name is refused and left alone.

#include <sys/types.h>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace vm {

class FileReplacement {
  public:
    enum class Method { NewFile, Rename, InPlace };

    explicit FileReplacement(std::string target);
    ~FileReplacement();  // without a commit, nothing of the new contents is left
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Each step returns false after a failure; error() then says why in words for the user.
    bool open();
    bool write(const void* data, std::size_t size);
    // Appends length bytes of another file, copied inside the kernel where it can.
    bool copyFrom(int fd, std::uint64_t offset, std::uint64_t length);
    // Overwrites bytes already written.
    bool writeAt(std::uint64_t offset, const void* data, std::size_t size);
    // A name under which the complete new contents read back, before commit(); the
    // empty text after a failure.
    std::string stagedPath();
    // The staged contents, open for reading and writing; -1 after a failure.
    int stagedFd() const { return m_failed ? -1 : m_fd; }
    bool commit();
    // Gives up: the target stays as it was and error() says why.
    void abandon(const std::string& why);

    const std::string& error() const { return m_error; }
    // How commit() puts the contents in place; known after open().
    Method method() const { return m_method; }
    // Whether commit() will rewrite in place the very file that fd reads.
    bool rewritesInPlace(int fd) const;

    // Test seams. The next writes fail with this errno (nothing: back to normal).
    static void injectWriteFault(std::optional<int> errnoValue);
    // Stage in a named hidden file, as on file systems without unnamed files.
    static void stageInNamedFiles(bool named);

  private:
    bool fail(const std::string& what, int err);
    bool refuse(const std::string& sentence);
    bool resolveTarget();
    bool createStaging();
    bool commitByRename();
    bool commitInPlace();
    void discard();

    std::string m_target;  // as the caller gave it, for messages
    std::string m_folder;  // of the file that gets the contents, links followed
    std::string m_name;
    int m_folderFd = -1;
    int m_fd = -1;             // the staged contents
    int m_targetFd = -1;       // the target, when written in place
    std::string m_stagedName;  // a named staged file in m_folder, when there is one
    bool m_existed = false;
    uid_t m_owner = 0;
    gid_t m_group = 0;
    mode_t m_mode = 0;
    std::uint64_t m_oldSize = 0;
    nlink_t m_links = 1;
    std::uint64_t m_size = 0;  // of the staged contents
    Method m_method = Method::NewFile;
    bool m_failed = false;
    std::string m_error;
};

// For programs: on SIGINT, SIGTERM or SIGHUP, removes a named staged file of a
// save under way, then ends of the signal as it would have without this. Ignores
// SIGXFSZ, so that a file-size limit is a write error that the save reports.
void cleanUpSavesOnSignals();

}  // namespace vm

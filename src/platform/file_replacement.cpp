#include "platform/file_replacement.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <random>
#include <vector>

#include "platform/ending_signals.h"
#include "platform/file_io.h"
#include "platform/file_number_lock.h"
#include "platform/user_messages.h"

namespace vm {

namespace {
std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    return path.substr(path.find_last_of('/') + 1);
}

std::string procPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

// Where the kernel found the file an open descriptor names; empty when it cannot say.
std::string realPathOf(int fd) {
    char path[PATH_MAX];
    const ssize_t n = ::readlink(procPath(fd).c_str(), path, sizeof path);
    if (n <= 0 || static_cast<std::size_t>(n) == sizeof path || path[0] != '/') return {};
    return {path, static_cast<std::size_t>(n)};
}

bool isSymlink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// A hidden name beside the target that always fits the file system's limit,
// however long the target's own name is.
std::string hiddenName(const std::string& name) {
    static std::mt19937_64 random{std::random_device{}()};
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::string hidden = "." + name.substr(0, 200) + ".";
    for (int i = 0; i < 8; ++i) hidden += kLetters[random() % (sizeof kLetters - 1)];
    return hidden;
}

bool canStageInProc() {
    return ::access("/proc/self/fd", X_OK) == 0;
}

// Copies every extended attribute (an access control list is one) of the file
// named by `from` to the file `to`; false when any cannot be copied.
bool copyAttributes(const std::string& from, int to) {
    std::vector<char> names(256);
    ssize_t listed = 0;
    while ((listed = ::listxattr(from.c_str(), names.data(), names.size())) < 0 && errno == ERANGE)
        names.resize(names.size() * 4);
    if (listed < 0) return errno == ENOTSUP;
    std::vector<char> value;
    for (ssize_t at = 0; at < listed;) {
        const char* name = names.data() + at;
        at += static_cast<ssize_t>(std::strlen(name)) + 1;
        const ssize_t size = ::getxattr(from.c_str(), name, nullptr, 0);
        if (size < 0) return false;
        value.resize(static_cast<std::size_t>(size));
        if (::getxattr(from.c_str(), name, value.data(), value.size()) != size ||
            ::fsetxattr(to, name, value.data(), value.size(), 0) != 0)
            return false;
    }
    return true;
}

// Whether overwriting a file there needs new room, whatever was reserved.
bool copiesOnWrite(int fd) {
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0) return true;
    // The file systems' own 32-bit numbers, as statfs(2) lists them.
    constexpr std::uint32_t kBtrfs = 0x9123683e;
    constexpr std::uint32_t kZfs = 0x2fc12fc1;
    const auto type = static_cast<std::uint32_t>(fs.f_type);
    return type == kBtrfs || type == kZfs;
}

std::optional<std::uint64_t> freeBytes(int fd) {
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(fs.f_bavail) * static_cast<std::uint64_t>(fs.f_bsize);
}
}  // namespace

FileReplacement::FileReplacement(std::string target, ReplacementFaults faults)
    : m_target(std::move(target)), m_faults(std::move(faults)) {}

FileReplacement::~FileReplacement() {
    discard();
}

Failure FileReplacement::fail(const std::string& what, int err) {
    return refuse("Could not " + what + " " + m_target + ": " +
                  errnoWording(err, FileAccess::Writing) + ".");
}

Failure FileReplacement::refuse(const std::string& sentence) {
    m_failed = true;
    discard();
    return failure(sentence);
}

void FileReplacement::abandon() {
    m_failed = true;
    discard();
}

void FileReplacement::discard() {
    m_fd.reset();
    m_targetFd.reset();
    if (!m_stagedName.empty()) {
        ::unlinkat(m_folderFd.get(), m_stagedName.c_str(), 0);
        m_stagedName.clear();
        forgetStagedFile();
    }
    if (!m_committed && !m_createdName.empty())
        ::unlinkat(m_folderFd.get(), m_createdName.c_str(), 0);
    m_createdName.clear();
    m_oldFd.reset();
    m_folderFd.reset();
}

// Lets the kernel follow symbolic links, with the checks it makes for this user,
// and opens the folder of the file it arrives at.
Result<void> FileReplacement::resolveTarget() {
    if (m_target.empty()) return fail("write", ENOENT);
    std::string path = m_target;
    if (UniqueFd found(::open(m_target.c_str(), O_PATH | O_CLOEXEC)); found) {
        if (const std::string real = realPathOf(found.get()); !real.empty())
            path = real;
        else if (isSymlink(m_target))
            return refuse("Could not write " + m_target +
                          ": it is a symbolic link, and where it leads cannot be told here.");
    } else if (errno == EACCES && isSymlink(m_target)) {
        return refuse("Could not write " + m_target +
                      ": it is a symbolic link that the system does not let you follow (another "
                      "user's link in a folder that anyone may write to). Save to the file it "
                      "leads to, or to another name.");
    } else if (errno == ENOENT && isSymlink(m_target)) {
        // A link to nothing: the kernel makes the file it leads to, with its checks.
        UniqueFd made(
            ::open(m_target.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0666));
        if (!made) return fail("write", errno);
        path = realPathOf(made.get());
        if (path.empty())
            return refuse("Could not write " + m_target +
                          ": it is a symbolic link, and where it leads cannot be told here (an "
                          "empty file may have been made there).");
        m_createdName = nameOf(path);
    } else if (errno != ENOENT) {
        return fail("write", errno);
    }
    m_folder = folderOf(path);
    m_name = nameOf(path);
    m_folderFd.reset(::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // A folder we may write in but not list still takes new files.
    if (!m_folderFd && errno == EACCES) {
        m_folderFd.reset(::open(m_folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
        m_folderReadable = false;
    }
    if (!m_folderFd) return fail("write", errno);
    if (m_name.empty() || m_name == "." || m_name == "..") return fail("write", EISDIR);
    return {};
}

Result<void> FileReplacement::inspectTarget() {
    struct stat st {};
    if (::fstatat(m_folderFd.get(), m_name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT) return fail("write", errno);
        return {};
    }
    if (S_ISDIR(st.st_mode)) return fail("write", EISDIR);
    if (!S_ISREG(st.st_mode)) {
        const char* kind = S_ISFIFO(st.st_mode)   ? "a pipe"
                           : S_ISSOCK(st.st_mode) ? "a socket"
                                                  : "a device";
        return refuse("Could not write " + m_target + ": it is " + kind +
                      ", not a regular file, and only files are replaced.");
    }
    // Root may write anywhere; a file marked read-only is still not ours to replace.
    if ((st.st_mode & 0222) == 0) return fail("replace the read-only file", EACCES);
    if (::faccessat(m_folderFd.get(), m_name.c_str(), W_OK, AT_EACCESS) != 0) {
        const int err = errno;
        if (err == EACCES || err == EPERM) return fail("replace the read-only file", EACCES);
        return fail("write", err);
    }
    m_oldFd.reset(::openat(m_folderFd.get(), m_name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
    if (!m_oldFd) return fail("write", errno);
    m_existed = true;
    m_owner = st.st_uid;
    m_group = st.st_gid;
    m_mode = st.st_mode & 07777;
    m_oldSize = static_cast<std::uint64_t>(st.st_size);
    m_links = st.st_nlink;
    return {};
}

Result<void> FileReplacement::open() {
    noteCommitted(false);
    if (Result<void> resolved = resolveTarget(); !resolved) return resolved;
    if (Result<void> inspected = inspectTarget(); !inspected) return inspected;
    if (Result<void> allowed = checkStickyFolder(); !allowed) return allowed;
    return createStaging();
}

// Another user's file in a sticky folder that others may write to: the kernel
// refuses to open it for writing (protected_regular), even to root, as it refuses a
// shell's `>`. A rename would not meet that check, so it is asked for here.
Result<void> FileReplacement::checkStickyFolder() {
    struct stat folder {};
    if (!m_existed || ::fstat(m_folderFd.get(), &folder) != 0 || (folder.st_mode & S_ISVTX) == 0 ||
        m_owner == ::geteuid() || m_owner == folder.st_uid)
        return {};
    const UniqueFd probe(
        ::openat(m_folderFd.get(), m_name.c_str(),
                 O_WRONLY | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC, 0600));
    if (probe || (errno != EACCES && errno != EPERM)) return {};
    return refuse("Could not write " + m_target +
                  ": it is another user's file in a folder that others may write to, and the "
                  "system does not let you write it there. Save to another name.");
}

// Makes the file that takes the new contents: unnamed in the target's folder where
// the file system allows it, so that nothing is left there whatever happens to
// this process; else named and hidden there; else, when the target is rewritten in
// place, in memory.
Result<void> FileReplacement::createStaging() {
    struct stat folder {};
    int err = 0;
    // As with files: a folder marked read-only is respected even by root.
    if (::fstat(m_folderFd.get(), &folder) == 0 && (folder.st_mode & 0222) == 0) err = EACCES;
    const mode_t mode = m_existed ? 0600 : 0666;  // the old file's bits are set below
    if (err == 0 && !m_faults.namedStaging && canStageInProc()) {
        m_fd.reset(::openat(m_folderFd.get(), ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode));
        err = m_fd ? 0 : errno;
    }
    if (!m_fd && (err == 0 || err == EOPNOTSUPP || err == EISDIR || err == EINVAL)) {
        // No signal may come between making the named file and noting it for removal.
        EndingSignalsHeld held;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = hiddenName(m_name);
            m_fd.reset(::openat(m_folderFd.get(), name.c_str(),
                                O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, mode));
            err = m_fd ? 0 : errno;
            if (m_fd) {
                m_stagedName = name;
                rememberStagedFile(m_folder + "/" + name);
                break;
            }
            if (err != EEXIST) break;
        }
    }

    m_method = m_existed ? Method::Rename : Method::NewFile;
    if (!m_fd) {
        // No new file can be made beside it: an existing file is rewritten in place.
        if (!m_existed || (err != EACCES && err != EPERM)) return fail("write", err);
        m_method = Method::InPlace;
        m_fd.reset(::memfd_create("veilmark-save", MFD_CLOEXEC));
        if (!m_fd) return fail("write", errno);
    }
    if (m_method == Method::Rename) {
        if (Result<void> taken = takeIdentity(); !taken) return taken;
    }
    if (m_method == Method::InPlace) return openForRewrite();
    return {};
}

// Gives the staged file the old one's owner, group, mode, access control list and
// extended attributes; a file whose identity a new file cannot take keeps it only
// when rewritten in place.
Result<void> FileReplacement::takeIdentity() {
    const bool sameOwner = m_owner == ::geteuid() && m_group == ::getegid();
    if (m_links > 1 || (!sameOwner && ::fchown(m_fd.get(), m_owner, m_group) != 0)) {
        m_method = Method::InPlace;
        return {};
    }
    if (::fchmod(m_fd.get(), m_mode & ~mode_t{S_ISUID | S_ISGID}) != 0) return fail("write", errno);
    // After the mode: an access control list sets the group bits as its mask.
    if (!copyAttributes(procPath(m_oldFd.get()), m_fd.get())) m_method = Method::InPlace;
    return {};
}

Result<void> FileReplacement::openForRewrite() {
    // O_CREAT as a shell's `>` uses it, so that the kernel's protected_regular
    // check applies to this write as it would to that one.
    m_targetFd.reset(::openat(m_folderFd.get(), m_name.c_str(),
                              O_WRONLY | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC,
                              0600));
    if (!m_targetFd) {
        const int openErr = errno;
        if (openErr == EACCES || openErr == EPERM)
            return fail("replace the read-only file", EACCES);
        return fail("write", openErr);
    }
    struct stat st {};
    if (::fstat(m_targetFd.get(), &st) != 0 || !S_ISREG(st.st_mode))
        return refuse("Could not write " + m_target + ": it is not a regular file.");
    m_oldSize = static_cast<std::uint64_t>(st.st_size);
    return {};
}

Result<void> FileReplacement::write(const void* data, std::size_t size) {
    if (m_failed || !m_fd) return failure("Could not write " + m_target + ".");
    if (m_faults.writeErrno) return fail("write", *m_faults.writeErrno);
    if (Result<void> written = writeAll(m_fd.get(), data, size); !written)
        return fail("write", errnoOf(written.why()));
    return {};
}

Result<void> FileReplacement::copyFrom(int fd, std::uint64_t offset, std::uint64_t length) {
    if (m_failed || !m_fd) return failure("Could not write " + m_target + ".");
    if (m_faults.writeErrno) return fail("write", *m_faults.writeErrno);
    if (Result<void> copied = copyAll(fd, offset, m_fd.get(), length); !copied) {
        const int err = errnoOf(copied.why());
        return err == ENODATA ? fail("read the picture for", ENODATA) : fail("write", err);
    }
    return {};
}

Result<void> FileReplacement::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (m_failed || !m_fd) return failure("Could not write " + m_target + ".");
    if (m_faults.writeErrno) return fail("write", *m_faults.writeErrno);
    if (Result<void> written = writeAllAt(m_fd.get(), data, size, offset); !written)
        return fail("write", errnoOf(written.why()));
    return {};
}

bool FileReplacement::rewritesInPlace(int fd) const {
    struct stat ours {
    }, theirs{};
    return m_method == Method::InPlace && m_targetFd && ::fstat(m_targetFd.get(), &ours) == 0 &&
           ::fstat(fd, &theirs) == 0 && ours.st_dev == theirs.st_dev &&
           ours.st_ino == theirs.st_ino;
}

Result<int> FileReplacement::stagedFd() const {
    if (m_failed || !m_fd) return failure("Could not write " + m_target + ".");
    return m_fd.get();
}

Result<void> FileReplacement::commit() {
    if (m_failed || !m_fd) return failure("Could not write " + m_target + ".");
    struct stat st {};
    if (::fstat(m_fd.get(), &st) != 0) return fail("write", errno);
    m_size = static_cast<std::uint64_t>(st.st_size);
    Result<void> done = m_method == Method::InPlace ? commitInPlace() : commitByRename();
    if (!done && m_mountedOver) done = rewriteMountedTarget();
    if (!done) return done;
    m_committed = true;
    discard();
    return {};
}

// The folder's record of the new name reaches the disk: through the folder, or,
// where it cannot be opened for reading, through its whole file system.
Result<void> FileReplacement::flushFolder() {
    const int flushed = m_folderReadable ? ::fsync(m_folderFd.get()) : ::syncfs(m_fd.get());
    if (flushed != 0 && errno != EINVAL)
        return refuse("Could not make sure that " + m_target +
                      " reached the disk: " + errnoWording(errno, FileAccess::Writing) + ".");
    return {};
}

Result<void> FileReplacement::commitByRename() {
    // What takes a name must be on the disk before the name points to it: a crash in
    // between would otherwise leave an empty file, or none, where "saved" was said.
    if (::fsync(m_fd.get()) != 0) return fail("write", errno);
    EndingSignalsHeld held;
    if (m_faults.whileCommitting) m_faults.whileCommitting();
    const int folder = m_folderFd.get();
    if (!m_stagedName.empty()) {
        if (::renameat(folder, m_stagedName.c_str(), folder, m_name.c_str()) != 0)
            return errno == EBUSY ? mountedOver() : fail("write", errno);
        m_stagedName.clear();
        forgetStagedFile();
        return flushedAndNoted();
    }
    const std::string staged = procPath(m_fd.get());
    if (!m_existed &&
        ::linkat(AT_FDCWD, staged.c_str(), folder, m_name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return flushedAndNoted();
    // An existing name cannot be linked over: link under a hidden name and rename
    // that over the target, which swaps the two in one step.
    if (!m_existed && errno != EEXIST) return fail("write", errno);
    std::string hidden;
    int err = EEXIST;
    for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
        hidden = hiddenName(m_name);
        err = ::linkat(AT_FDCWD, staged.c_str(), folder, hidden.c_str(), AT_SYMLINK_FOLLOW) == 0
                  ? 0
                  : errno;
    }
    if (err != 0) return fail("write", err);
    rememberStagedFile(m_folder + "/" + hidden);
    if (::renameat(folder, hidden.c_str(), folder, m_name.c_str()) != 0) {
        err = errno;
        ::unlinkat(folder, hidden.c_str(), 0);
        forgetStagedFile();
        return err == EBUSY ? mountedOver() : fail("write", err);
    }
    forgetStagedFile();
    return flushedAndNoted();
}

// A file mounted over the name (a bind mount, as containers get theirs) cannot be
// renamed over, while writing to it works: commit() rewrites it in place instead.
Failure FileReplacement::mountedOver() {
    m_mountedOver = true;
    return failure("Could not write " + m_target + ": a file is mounted over it.");
}

Result<void> FileReplacement::rewriteMountedTarget() {
    m_mountedOver = false;
    m_method = Method::InPlace;
    if (Result<void> opened = openForRewrite(); !opened) return opened;
    return commitInPlace();
}

Result<void> FileReplacement::flushedAndNoted() {
    Result<void> flushed = flushFolder();
    if (flushed) noteCommitted(true);
    return flushed;
}

Result<void> FileReplacement::commitInPlace() {
    EndingSignalsHeld held;
    if (m_faults.whileCommitting) m_faults.whileCommitting();
    const int target = m_targetFd.get();
    // One rewrite at a time: another save of this file waits for this one, also one
    // that reached it by another name where each name is an inode of its own (FUSE).
    const FileNumberLock sameFile(target);
    while (::flock(target, LOCK_EX) != 0)
        if (errno != EINTR) return fail("write", errno);
    // Room for the whole new length, holes included, so that a full disk stops the
    // save before the first byte changes.
    bool promised = !copiesOnWrite(target);
    if (promised) {
        if (::fallocate(target, 0, 0, static_cast<off_t>(m_size)) != 0) {
            const int err = errno;
            if (err != EOPNOTSUPP && err != ENOSYS) {
                // A reservation cut short may have lengthened the file: put its length
                // back. Should that fail too, the error reported is still the first.
                const int shortened = ::ftruncate(target, static_cast<off_t>(m_oldSize));
                (void)shortened;
                return fail("write", err);
            }
            promised = false;
        }
    }
    // Where room cannot be promised, a copy of the old contents is kept to put back.
    UniqueFd backup;
    if (!promised) {
        const std::optional<std::uint64_t> room = freeBytes(target);
        if (!room)
            return refuse("Could not write " + m_target +
                          ": the free room on its disk cannot be told, so it cannot be rewritten "
                          "in place safely. Nothing was changed. Save to another name.");
        if (*room < m_size)
            return refuse("Could not write " + m_target +
                          ": the disk has too little free room to rewrite it in place safely (it "
                          "needs " +
                          std::to_string(m_size / 1024 + 1) +
                          " KB). Nothing was changed. Free some room, or save to another name.");
        UniqueFd old(::open(procPath(m_oldFd.get()).c_str(), O_RDONLY | O_CLOEXEC));
        backup.reset(::memfd_create("veilmark-old", MFD_CLOEXEC));
        if (!old || !backup || !copyAll(old.get(), 0, backup.get(), m_oldSize))
            return refuse("Could not write " + m_target +
                          ": this file system cannot promise room to rewrite it in place, and "
                          "no copy of its old contents could be kept. Nothing was changed. Save "
                          "to another name.");
    }
    const Result<void> copied = copyAll(m_fd.get(), 0, target, m_size);
    int err = copied ? 0 : errnoOf(copied.why());
    if (err == 0 && ::ftruncate(target, static_cast<off_t>(m_size)) != 0) err = errno;
    if (err == 0 && (m_mode & (S_ISUID | S_ISGID)) != 0)
        (void)::fchmod(target, m_mode & ~mode_t{S_ISUID | S_ISGID});
    if (err == 0 && ::fsync(target) != 0) err = errno;
    if (err == 0) {
        noteCommitted(true);
        return {};
    }
    const std::string why = errnoWording(err, FileAccess::Writing);
    if (backup && ::lseek(target, 0, SEEK_SET) == 0 &&
        copyAll(backup.get(), 0, target, m_oldSize) &&
        ::ftruncate(target, static_cast<off_t>(m_oldSize)) == 0 && ::fsync(target) == 0)
        return refuse("Could not write " + m_target + ": " + why +
                      ". Its old contents were put back.");
    return refuse("Could not write " + m_target + ": " + why +
                  ". It was being rewritten in place and may be damaged.");
}

}  // namespace vm

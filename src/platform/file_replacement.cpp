#include "platform/file_replacement.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <random>

#include "platform/file_io.h"
#include "platform/user_messages.h"

namespace vm {

namespace {
std::optional<int> g_writeFault;
bool g_namedStaging = false;

// The named staged file of the save under way, for the signal handler to remove.
char g_leftover[PATH_MAX + NAME_MAX + 2];
volatile std::sig_atomic_t g_hasLeftover = 0;

void rememberLeftover(const std::string& folder, const std::string& name) {
    const std::string path = folder + "/" + name;
    if (path.size() >= sizeof g_leftover) return;
    g_hasLeftover = 0;
    std::memcpy(g_leftover, path.c_str(), path.size() + 1);
    g_hasLeftover = 1;
}
void forgetLeftover() {
    g_hasLeftover = 0;
}

void onEndingSignal(int sig) {
    if (g_hasLeftover) ::unlink(g_leftover);
    // The default action ends the process as soon as this handler returns.
    ::signal(sig, SIG_DFL);
    ::raise(sig);
}

// Keeps the signals that end a program from arriving while the target is being
// swapped or rewritten, so that it is never left half done by one of them.
class EndingSignalsHeld {
  public:
    EndingSignalsHeld() {
        sigset_t set;
        sigemptyset(&set);
        for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaddset(&set, sig);
        ::pthread_sigmask(SIG_BLOCK, &set, &m_old);
    }
    ~EndingSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &m_old, nullptr); }
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

  private:
    sigset_t m_old;
};

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
}  // namespace

void FileReplacement::injectWriteFault(std::optional<int> errnoValue) {
    g_writeFault = errnoValue;
}

void FileReplacement::stageInNamedFiles(bool named) {
    g_namedStaging = named;
}

FileReplacement::FileReplacement(std::string target) : m_target(std::move(target)) {}

FileReplacement::~FileReplacement() {
    discard();
}

bool FileReplacement::fail(const std::string& what, int err) {
    return refuse("Could not " + what + " " + m_target + ": " +
                  errnoWording(err, FileAccess::Writing) + ".");
}

bool FileReplacement::refuse(const std::string& sentence) {
    m_failed = true;
    m_error = sentence;
    discard();
    return false;
}

void FileReplacement::abandon(const std::string& why) {
    refuse(why);
}

void FileReplacement::discard() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (m_targetFd >= 0) ::close(m_targetFd);
    m_targetFd = -1;
    if (!m_stagedName.empty()) {
        ::unlinkat(m_folderFd, m_stagedName.c_str(), 0);
        m_stagedName.clear();
        forgetLeftover();
    }
    if (m_folderFd >= 0) ::close(m_folderFd);
    m_folderFd = -1;
}

// Follows symbolic links to the file that gets the contents and opens its folder.
bool FileReplacement::resolveTarget() {
    if (m_target.empty()) return fail("write", ENOENT);
    std::string path = m_target;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
        if (hops == 40) return fail("write", ELOOP);
        char link[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), link, sizeof link);
        if (n < 0) return fail("write", errno);
        if (static_cast<std::size_t>(n) == sizeof link) return fail("write", ENAMETOOLONG);
        const std::string to(link, static_cast<std::size_t>(n));
        path = to.front() == '/' ? to : folderOf(path) + "/" + to;
    }
    m_folder = folderOf(path);
    m_name = nameOf(path);
    m_folderFd = ::open(m_folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A folder we may write in but not list still takes new files.
    if (m_folderFd < 0 && errno == EACCES)
        m_folderFd = ::open(m_folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (m_folderFd < 0) return fail("write", errno);
    if (m_name.empty() || m_name == "." || m_name == "..") return fail("write", EISDIR);
    return true;
}

bool FileReplacement::open() {
    if (!resolveTarget()) return false;
    struct stat st {};
    if (::fstatat(m_folderFd, m_name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
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
        if (::faccessat(m_folderFd, m_name.c_str(), W_OK, AT_EACCESS) != 0) {
            const int err = errno;
            if (err == EACCES || err == EPERM) return fail("replace the read-only file", EACCES);
            return fail("write", err);
        }
        m_existed = true;
        m_owner = st.st_uid;
        m_group = st.st_gid;
        m_mode = st.st_mode & 07777;
        m_oldSize = static_cast<std::uint64_t>(st.st_size);
        m_links = st.st_nlink;
    } else if (errno != ENOENT) {
        return fail("write", errno);
    }
    return createStaging();
}

// Makes the file that takes the new contents: unnamed in the target's folder where
// the file system allows it, so that nothing is left there whatever happens to
// this process; else named and hidden there; else, when the target is rewritten in
// place, in memory.
bool FileReplacement::createStaging() {
    struct stat folder {};
    int err = 0;
    // As with files: a folder marked read-only is respected even by root.
    if (::fstat(m_folderFd, &folder) == 0 && (folder.st_mode & 0222) == 0) err = EACCES;
    const mode_t mode = m_existed ? 0600 : 0666;  // the old file's bits are set below
    if (err == 0 && !g_namedStaging && canStageInProc()) {
        m_fd = ::openat(m_folderFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, mode);
        err = m_fd < 0 ? errno : 0;
    }
    if (m_fd < 0 && (err == 0 || err == EOPNOTSUPP || err == EISDIR || err == EINVAL)) {
        // No signal may come between making the named file and noting it for removal.
        EndingSignalsHeld held;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = hiddenName(m_name);
            m_fd = ::openat(m_folderFd, name.c_str(), O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, mode);
            err = m_fd < 0 ? errno : 0;
            if (m_fd >= 0) {
                m_stagedName = name;
                rememberLeftover(m_folder, name);
                break;
            }
            if (err != EEXIST) break;
        }
    }

    m_method = m_existed ? Method::Rename : Method::NewFile;
    if (m_fd < 0) {
        // No new file can be made beside it: an existing file is rewritten in place.
        if (!m_existed || (err != EACCES && err != EPERM)) return fail("write", err);
        m_method = Method::InPlace;
        m_fd = ::memfd_create("veilmark-save", MFD_CLOEXEC);
        if (m_fd < 0) return fail("write", errno);
    }
    if (m_method == Method::Rename) {
        const bool sameOwner = m_owner == ::geteuid() && m_group == ::getegid();
        // A file with other names, or whose owner or group we may not give to a
        // new file, keeps its identity only when rewritten in place.
        if (m_links > 1 || (!sameOwner && ::fchown(m_fd, m_owner, m_group) != 0))
            m_method = Method::InPlace;
        else if (::fchmod(m_fd, m_mode & ~mode_t{S_ISUID | S_ISGID}) != 0)
            return fail("write", errno);
    }
    if (m_method == Method::InPlace) {
        m_targetFd = ::openat(m_folderFd, m_name.c_str(),
                              O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (m_targetFd < 0) {
            const int openErr = errno;
            if (openErr == EACCES || openErr == EPERM)
                return fail("replace the read-only file", EACCES);
            return fail("write", openErr);
        }
        struct stat st {};
        if (::fstat(m_targetFd, &st) != 0 || !S_ISREG(st.st_mode))
            return refuse("Could not write " + m_target + ": it is not a regular file.");
        m_oldSize = static_cast<std::uint64_t>(st.st_size);
    }
    return true;
}

bool FileReplacement::write(const void* data, std::size_t size) {
    if (m_failed || m_fd < 0) return false;
    if (g_writeFault) return fail("write", *g_writeFault);
    if (const int err = writeAll(m_fd, data, size)) return fail("write", err);
    return true;
}

bool FileReplacement::copyFrom(int fd, std::uint64_t offset, std::uint64_t length) {
    if (m_failed || m_fd < 0) return false;
    if (g_writeFault) return fail("write", *g_writeFault);
    if (const int err = copyAll(fd, offset, m_fd, length))
        return err == ENODATA ? fail("read the picture for", ENODATA) : fail("write", err);
    return true;
}

bool FileReplacement::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (m_failed || m_fd < 0) return false;
    if (g_writeFault) return fail("write", *g_writeFault);
    if (const int err = writeAllAt(m_fd, data, size, offset)) return fail("write", err);
    return true;
}

bool FileReplacement::rewritesInPlace(int fd) const {
    struct stat ours {
    }, theirs{};
    return m_method == Method::InPlace && m_targetFd >= 0 && ::fstat(m_targetFd, &ours) == 0 &&
           ::fstat(fd, &theirs) == 0 && ours.st_dev == theirs.st_dev &&
           ours.st_ino == theirs.st_ino;
}

std::string FileReplacement::stagedPath() {
    if (m_failed || m_fd < 0) return {};
    if (!m_stagedName.empty()) return m_folder + "/" + m_stagedName;
    return procPath(m_fd);
}

bool FileReplacement::commit() {
    if (m_failed || m_fd < 0) return false;
    struct stat st {};
    if (::fstat(m_fd, &st) != 0) return fail("write", errno);
    m_size = static_cast<std::uint64_t>(st.st_size);
    const bool done = m_method == Method::InPlace ? commitInPlace() : commitByRename();
    if (!done) return false;
    discard();
    return true;
}

bool FileReplacement::commitByRename() {
    // What replaces a file must be on the disk before the name points to it: a
    // crash in between would otherwise leave an empty file where both were.
    if (m_existed && ::fsync(m_fd) != 0) return fail("write", errno);
    EndingSignalsHeld held;
    if (!m_stagedName.empty()) {
        if (::renameat(m_folderFd, m_stagedName.c_str(), m_folderFd, m_name.c_str()) != 0)
            return fail("write", errno);
        m_stagedName.clear();
        forgetLeftover();
    } else {
        const std::string staged = procPath(m_fd);
        const bool linked = !m_existed && ::linkat(AT_FDCWD, staged.c_str(), m_folderFd,
                                                   m_name.c_str(), AT_SYMLINK_FOLLOW) == 0;
        if (!linked) {
            // An existing name cannot be linked over: link under a hidden name and
            // rename that over the target, which swaps the two in one step.
            if (!m_existed && errno != EEXIST) return fail("write", errno);
            std::string hidden;
            int err = EEXIST;
            for (int attempt = 0; attempt < 100 && err == EEXIST; ++attempt) {
                hidden = hiddenName(m_name);
                err = ::linkat(AT_FDCWD, staged.c_str(), m_folderFd, hidden.c_str(),
                               AT_SYMLINK_FOLLOW) == 0
                          ? 0
                          : errno;
            }
            if (err != 0) return fail("write", err);
            rememberLeftover(m_folder, hidden);
            if (::renameat(m_folderFd, hidden.c_str(), m_folderFd, m_name.c_str()) != 0) {
                err = errno;
                ::unlinkat(m_folderFd, hidden.c_str(), 0);
                forgetLeftover();
                return fail("write", err);
            }
            forgetLeftover();
        }
    }
    // And the rename itself reaches the disk.
    if (m_existed) (void)::fsync(m_folderFd);
    return true;
}

bool FileReplacement::commitInPlace() {
    EndingSignalsHeld held;
    // Room first, so that a full disk stops the save before the first byte changes.
    if (m_size > m_oldSize) {
        const int err = ::fallocate(m_targetFd, 0, 0, static_cast<off_t>(m_size)) == 0 ? 0 : errno;
        if (err != 0 && err != EOPNOTSUPP) {
            (void)::ftruncate(m_targetFd, static_cast<off_t>(m_oldSize));
            return fail("write", err);
        }
    }
    int err = copyAll(m_fd, 0, m_targetFd, m_size);
    if (err == 0 && ::ftruncate(m_targetFd, static_cast<off_t>(m_size)) != 0) err = errno;
    if (err == 0 && (m_mode & (S_ISUID | S_ISGID)) != 0)
        (void)::fchmod(m_targetFd, m_mode & ~mode_t{S_ISUID | S_ISGID});
    if (err == 0 && ::fsync(m_targetFd) != 0) err = errno;
    if (err != 0)
        return refuse("Could not write " + m_target + ": " +
                      errnoWording(err, FileAccess::Writing) +
                      ". It was being rewritten in place and may be damaged.");
    return true;
}

void cleanUpSavesOnSignals() {
    struct sigaction action {};
    action.sa_handler = onEndingSignal;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        // A signal the caller chose to ignore stays ignored.
        if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
        ::sigaction(sig, &action, nullptr);
    }
    ::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace vm

#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_io.h"

namespace vm {

namespace {
std::optional<int> g_writeFault;

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string reason(int err) {
    switch (err) {
        case ENOENT:
            return "the folder does not exist";
        case EACCES:
        case EPERM:
            return "permission denied";
        case ENOSPC:
            return "the disk is full";
        case EDQUOT:
            return "the disk quota is exhausted";
        case EROFS:
            return "the file system is read-only";
        case ENODATA:
            return "its file was cut short or changed";
        case EISDIR:
            return "a folder has that name";
        case ENOTDIR:
            return "part of the path is not a folder";
        case ENAMETOOLONG:
            return "the name is too long";
        default:
            return std::strerror(err);
    }
}
}  // namespace

void AtomicFile::injectWriteFault(std::optional<int> errnoValue) {
    g_writeFault = errnoValue;
}

AtomicFile::AtomicFile(std::string target) : m_target(std::move(target)) {}

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::fail(const std::string& what, int err) {
    m_failed = true;
    m_error = "Could not " + what + " " + m_target + ": " + reason(err) + ".";
    discard();
    return false;
}

void AtomicFile::discard() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_temp.empty()) ::unlink(m_temp.c_str());
    m_temp.clear();
}

bool AtomicFile::open() {
    if (m_target.empty()) return fail("write", ENOENT);
    struct stat st {};
    mode_t mode = 0666;
    bool keepMode = false;
    if (::stat(m_target.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return fail("write", EISDIR);
        // Root may write anywhere; a file marked read-only is still not ours to replace.
        if ((st.st_mode & 0222) == 0 || ::access(m_target.c_str(), W_OK) != 0)
            return fail("replace the read-only file", EACCES);
        mode = st.st_mode & 07777;
        keepMode = true;
    }
    const std::string folder = folderOf(m_target);
    struct stat dir {};
    if (::stat(folder.c_str(), &dir) != 0) return fail("write", errno);
    if (!S_ISDIR(dir.st_mode)) return fail("write", ENOTDIR);
    // As with files: a folder marked read-only is respected even by root.
    if ((dir.st_mode & 0222) == 0) return fail("write in the read-only folder of", EACCES);
    std::string name = m_target.substr(m_target.find_last_of('/') + 1);
    m_temp = folder + "/." + name + ".XXXXXX";
    m_fd = ::mkstemp(m_temp.data());
    if (m_fd < 0) {
        const int err = errno;
        m_temp.clear();
        return fail("write", err);
    }
    if (keepMode) {
        (void)::fchmod(m_fd, mode);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        (void)::fchmod(m_fd, mode & ~mask);
    }
    return true;
}

bool AtomicFile::write(const void* data, std::size_t size) {
    if (m_failed || m_fd < 0) return false;
    if (g_writeFault) return fail("write", *g_writeFault);
    if (const int err = writeAll(m_fd, data, size)) return fail("write", err);
    return true;
}

bool AtomicFile::copyFrom(int fd, std::uint64_t offset, std::uint64_t length) {
    if (m_failed || m_fd < 0) return false;
    if (g_writeFault) return fail("write", *g_writeFault);
    if (const int err = copyAll(fd, offset, m_fd, length))
        return err == ENODATA ? fail("read the picture for", ENODATA) : fail("write", err);
    return true;
}

bool AtomicFile::writeAt(std::uint64_t offset, const void* data, std::size_t size) {
    if (m_failed || m_fd < 0) return false;
    if (g_writeFault) return fail("write", *g_writeFault);
    if (const int err = writeAllAt(m_fd, data, size, offset)) return fail("write", err);
    return true;
}

bool AtomicFile::commit() {
    if (m_failed || m_fd < 0) return false;
    // No fsync: the rename alone makes the replacement all-or-nothing for every
    // program on the machine, and file systems that delay allocation flush a file
    // renamed over another before the rename lands. Waiting for the disk would
    // more than double the time a large save takes.
    if (::close(m_fd) != 0) {
        m_fd = -1;
        return fail("write", errno);
    }
    m_fd = -1;
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0) return fail("write", errno);
    m_temp.clear();
    return true;
}

}  // namespace vm

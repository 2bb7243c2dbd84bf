#include "imaging/picture_input.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "imaging/picture_refusals.h"
#include "imaging/picture_signatures.h"
#include "platform/file_io.h"
#include "platform/user_messages.h"

namespace vm {

// A pipe's bytes in anonymous memory that grows by remapping, not by copying, so
// that reading N bytes takes N bytes at its peak, not twice that.
class PictureInput::PipeBytes {
  public:
    ~PipeBytes() {
        if (m_data != nullptr) ::munmap(m_data, m_capacity);
    }
    const std::uint8_t* data() const { return m_data; }
    std::size_t size() const { return m_size; }

    // Room for at least n more bytes after what is held; false when there is none.
    bool reserve(std::size_t n) {
        if (m_capacity - m_size >= n) return true;
        const std::size_t wanted =
            std::max(m_capacity * 2, m_size + std::max<std::size_t>(n, 1 << 20));
        void* grown = m_data == nullptr ? ::mmap(nullptr, wanted, PROT_READ | PROT_WRITE,
                                                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0)
                                        : ::mremap(m_data, m_capacity, wanted, MREMAP_MAYMOVE);
        if (grown == MAP_FAILED) return false;
        m_data = static_cast<std::uint8_t*>(grown);
        m_capacity = wanted;
        return true;
    }
    std::uint8_t* end() { return m_data + m_size; }
    void grow(std::size_t n) { m_size += n; }

  private:
    std::uint8_t* m_data = nullptr;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

namespace {

// What a path that is neither a file nor a pipe names, or nothing for those two.
const char* otherKind(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return nullptr;
}

Failure refusedKind(const std::string& path, const char* kind) {
    return failure(path + " is " + kind + ", not a picture file.");
}

Failure pipeTooLarge(const std::string& path, std::uint64_t limit) {
    return failure("The picture in " + path + " is too large to open (more than " +
                   std::to_string(limit >> 20) + " MB came through the pipe).");
}

}  // namespace

Result<void> checkPlainFile(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    if (S_ISFIFO(st.st_mode)) return refusedKind(path, "a pipe");
    if (const char* kind = otherKind(st.st_mode)) return refusedKind(path, kind);
    return {};
}

Result<PictureInputRef> PictureInput::open(const std::string& path, std::uint64_t sizeLimit) {
    // Devices are refused before they are opened: opening some of them does something.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return cannotRead(path, errno);
    if (const char* kind = otherKind(st.st_mode)) return refusedKind(path, kind);
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!fd) return cannotRead(path, errno);
    if (::fstat(fd.get(), &st) != 0) return cannotRead(path, errno);
    if (const char* kind = otherKind(st.st_mode)) return refusedKind(path, kind);
    if (S_ISREG(st.st_mode)) return whole(path, std::move(fd), st);
    return readStream(path, std::move(fd), sizeLimit);
}

// Descriptor 0 as it is, not /dev/stdin opened anew: a socket reads, and a file
// already read past is read from where it stands.
Result<PictureInputRef> PictureInput::openStandardInput(std::uint64_t sizeLimit) {
    const std::string name = "standard input";
    UniqueFd fd(::fcntl(0, F_DUPFD_CLOEXEC, 3));
    struct stat st {};
    if (!fd || ::fstat(fd.get(), &st) != 0) return cannotRead(name, errno);
    if (const char* kind = otherKind(st.st_mode); kind && !S_ISSOCK(st.st_mode))
        return refusedKind(name, kind);
    if (S_ISREG(st.st_mode) && ::lseek(fd.get(), 0, SEEK_CUR) == 0)
        return whole(name, std::move(fd), st);
    return readStream(name, std::move(fd), sizeLimit);
}

Result<PictureInputRef> PictureInput::whole(const std::string& path, UniqueFd fd,
                                            const struct stat& st) {
    if (st.st_size == 0) return PictureRefusals{path}.empty();
    return PictureInputRef(
        new PictureInput(path, std::move(fd), static_cast<std::uint64_t>(st.st_size), {}));
}

// A stream is read whole, straight into memory, and never past the limit; what
// cannot begin a picture is refused after its first bytes.
Result<PictureInputRef> PictureInput::readStream(const std::string& path, UniqueFd fd,
                                                 std::uint64_t sizeLimit) {
    auto bytes = std::make_unique<PipeBytes>();
    constexpr std::size_t kChunk = 1 << 20;
    for (;;) {
        if (bytes->size() > sizeLimit) return pipeTooLarge(path, sizeLimit);
        if (!bytes->reserve(kChunk))
            return failure("There is not enough memory to read the picture in " + path + ".");
        const Result<std::size_t> got = readUpTo(fd.get(), bytes->end(), kChunk);
        if (!got) return cannotRead(path, errnoOf(got.why()));
        const bool first = bytes->size() == 0;
        bytes->grow(*got);
        if (first && *got > 0 && !mayBePicture(bytes->data(), bytes->size()))
            return PictureRefusals{path}.notAPicture();
        if (*got < kChunk) break;
    }
    if (bytes->size() > sizeLimit) return pipeTooLarge(path, sizeLimit);
    if (bytes->size() == 0) return failure("Nothing came through " + path + ": it is empty.");
    const auto size = static_cast<std::uint64_t>(bytes->size());
    return PictureInputRef(new PictureInput(path, UniqueFd(), size, std::move(bytes)));
}

PictureInput::PictureInput(std::string path, UniqueFd fd, std::uint64_t size,
                           std::unique_ptr<PipeBytes> bytes)
    : m_path(std::move(path)), m_fd(std::move(fd)), m_size(size), m_bytes(std::move(bytes)) {}

PictureInput::~PictureInput() = default;

Result<void> PictureInput::readAt(std::uint64_t offset, void* out, std::size_t size) const {
    if (offset > m_size || size > m_size - offset) return cannotRead(m_path, ENODATA);
    if (m_bytes) {
        std::memcpy(out, m_bytes->data() + offset, size);
        return {};
    }
    // A system call rather than the mapping: where a page fault costs more than one
    // (in a virtual machine, say), a few scattered reads are cheaper so.
    const Result<std::size_t> got = readUpTo(m_fd.get(), out, size, offset);
    if (got && *got == size) return {};
    m_readFailed.store(true);
    return got ? changedWhileRead() : cannotRead(m_path, errnoOf(got.why()));
}

Result<std::vector<std::uint8_t>> PictureInput::head(std::size_t n) const {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(std::min<std::uint64_t>(n, m_size)));
    if (Result<void> read = readAt(0, bytes.data(), bytes.size()); !read) return read.why();
    return bytes;
}

const std::uint8_t* PictureInput::contents() const {
    if (m_bytes) return m_bytes->data();
    if (!m_mappingTried) {
        m_mappingTried = true;
        m_mapping = GuardedMapping::map(m_fd.get(), m_size);
    }
    return m_mapping ? m_mapping->data() : nullptr;
}

bool PictureInput::intact() const {
    if (m_readFailed.load() || (m_mapping && m_mapping->cutShort())) return false;
    // A cut inside the last page mapped raises no fault: the rest of that page reads
    // as zeros. The file's size tells.
    struct stat st {};
    return !m_fd ||
           (::fstat(m_fd.get(), &st) == 0 && static_cast<std::uint64_t>(st.st_size) >= m_size);
}

Failure PictureInput::changedWhileRead() const {
    return failure("The file " + m_path +
                   " changed while it was read (something cut it short); try again when nothing "
                   "else is writing it.");
}

}  // namespace vm

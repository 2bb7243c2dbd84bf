#include "imaging/picture_saving.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "imaging/bitmap_header.h"
#include "platform/file_io.h"
#include "platform/file_replacement.h"
#include "platform/user_messages.h"

namespace vm {

namespace {
// The bitmap just written, read back through the bytes themselves (the staged file's
// own descriptor, or memory) rather than opened again by name, which a write-only
// file or a renamed folder would refuse.
class WrittenBitmap : public Picture {
  public:
    using ReadAt = std::function<Result<void>(std::uint64_t offset, void* out, std::size_t size)>;

    // The bitmap written for name, or why it does not read back as one.
    static Result<std::shared_ptr<const WrittenBitmap>> open(ReadAt read, const std::string& name) {
        std::uint8_t bytes[kBitmapHeadersSize];
        if (!read(0, bytes, sizeof bytes)) return failure(unreadableSave(name));
        const Result<BitmapHeader> header = parseBitmapHeader(bytes, sizeof bytes);
        if (!header || !header->plain24() || header->width > INT32_MAX ||
            header->height > INT32_MAX)
            return failure(unreadableSave(name));
        return std::shared_ptr<const WrittenBitmap>(new WrittenBitmap(std::move(read), *header));
    }

    // A point that cannot be read is black, and noted for everyPointRead().
    Colour colourAt(std::int32_t x, std::int32_t y) const override {
        std::uint8_t bgr[3] = {};
        if (!m_read(rowOffset(y) + static_cast<std::uint64_t>(x) * 3, bgr, sizeof bgr)) {
            m_pointUnread = true;
            return 0;
        }
        return makeColour(bgr[2], bgr[1], bgr[0]);
    }
    Result<void> readRowBgr(std::int32_t y, std::uint8_t* out) const override {
        return m_read(rowOffset(y), out, static_cast<std::size_t>(width()) * 3);
    }
    // Whether every point asked for was read.
    bool everyPointRead() const { return !m_pointUnread; }

  private:
    WrittenBitmap(ReadAt read, const BitmapHeader& header)
        : Picture(static_cast<std::int32_t>(header.width),
                  static_cast<std::int32_t>(header.height)),
          m_read(std::move(read)),
          m_header(header) {}

    std::uint64_t rowOffset(std::int32_t y) const {
        const auto row = static_cast<std::uint64_t>(m_header.bottomUp ? height() - 1 - y : y);
        return m_header.rowsStart() + row * m_header.rowStride;
    }

    ReadAt m_read;
    BitmapHeader m_header;
    mutable bool m_pointUnread = false;
};

Result<void> checkWritten(WrittenBitmap::ReadAt read, const std::string& name,
                          const WrittenPictureCheck& check) {
    if (!check) return {};
    const Result<std::shared_ptr<const WrittenBitmap>> written =
        WrittenBitmap::open(std::move(read), name);
    if (!written) return written.why();
    if (Result<void> checked = check(*written); !checked) return checked;
    // A point that could not be read was checked as black: the check proves nothing.
    if (!(*written)->everyPointRead()) return failure(unreadableSave(name));
    return {};
}

class MemorySink : public BitmapSink {
  public:
    MemorySink(std::vector<std::uint8_t>& bytes, std::string name)
        : m_bytes(bytes), m_name(std::move(name)) {}

    Result<void> write(const void* data, std::size_t size) override {
        return grown(size, [&](std::uint8_t* at) { std::memcpy(at, data, size); });
    }
    Result<void> copyFrom(int fd, std::uint64_t offset, std::uint64_t length) override {
        if (length > SIZE_MAX) return noMemory();
        const auto size = static_cast<std::size_t>(length);
        int err = 0;
        Result<void> grew = grown(size, [&](std::uint8_t* at) {
            const Result<std::size_t> got = readUpTo(fd, at, size, offset);
            err = !got ? errnoOf(got.why()) : *got != size ? ENODATA : 0;
        });
        if (!grew) return grew;
        if (err != 0)
            return failure("Could not read the picture for " + m_name + ": " +
                           errnoWording(err, FileAccess::Reading) + ".");
        return {};
    }
    Result<void> writeAt(std::uint64_t offset, const void* data, std::size_t size) override {
        if (offset > m_bytes.size() || size > m_bytes.size() - offset)
            return failure("Could not write " + m_name + ": a point lies outside the picture.");
        std::memcpy(m_bytes.data() + offset, data, size);
        return {};
    }

  private:
    static Failure noMemory() { return failure("There is not enough memory to save the picture."); }
    template <typename Fill>
    Result<void> grown(std::size_t size, const Fill& fill) {
        const std::size_t at = m_bytes.size();
        try {
            m_bytes.resize(at + size);
        } catch (const std::bad_alloc&) {
            return noMemory();
        } catch (const std::length_error&) {
            return noMemory();
        }
        fill(m_bytes.data() + at);
        return {};
    }

    std::vector<std::uint8_t>& m_bytes;
    std::string m_name;
};

class StagedFileSink : public BitmapSink {
  public:
    explicit StagedFileSink(FileReplacement& file) : m_file(file) {}
    Result<void> write(const void* data, std::size_t size) override {
        return m_file.write(data, size);
    }
    Result<void> copyFrom(int fd, std::uint64_t offset, std::uint64_t length) override {
        return m_file.copyFrom(fd, offset, length);
    }
    Result<void> writeAt(std::uint64_t offset, const void* data, std::size_t size) override {
        return m_file.writeAt(offset, data, size);
    }

  private:
    FileReplacement& m_file;
};
}  // namespace

Result<std::vector<std::uint8_t>> savePictureToMemory(const Picture& picture,
                                                      const std::string& name,
                                                      const WrittenPictureCheck& check) {
    const Result<std::uint64_t> size = bitmapFileSize(picture);
    if (!size) return size.why();
    std::vector<std::uint8_t> bytes;
    try {
        bytes.reserve(static_cast<std::size_t>(*size));
    } catch (const std::bad_alloc&) {
        return failure("There is not enough memory to save the picture.");
    }
    MemorySink sink(bytes, name);
    if (Result<void> written = writeBitmap(picture, sink, name); !written) return written.why();
    const std::string cutShort = unreadableSave(name);
    const auto readAt = [&bytes, &cutShort](std::uint64_t offset, void* out,
                                            std::size_t count) -> Result<void> {
        if (offset > bytes.size() || count > bytes.size() - offset) return failure(cutShort);
        std::memcpy(out, bytes.data() + offset, count);
        return {};
    };
    if (Result<void> checked = checkWritten(readAt, name, check); !checked) return checked.why();
    return bytes;
}

Result<void> savePicture(const Picture& picture, const std::string& path,
                         const WrittenPictureCheck& check, const ReplacementFaults& faults) {
    if (Result<std::uint64_t> size = bitmapFileSize(picture); !size) return size.why();
    FileReplacement file(path, faults);
    if (Result<void> opened = file.open(); !opened) return opened;
    // A picture read in place from the very file that is rewritten in place keeps
    // reading it afterwards, so the file may change only where the picture did.
    const std::optional<int> source = sourceFile(picture);
    if (source && !sameLayoutFile(picture) && file.rewritesInPlace(*source)) {
        const std::string why = "Could not write " + path +
                                ": it is the file the picture was opened from, which can only be "
                                "rewritten in place here, and its layout would change. Save to "
                                "another name.";
        file.abandon();
        return failure(why);
    }
    StagedFileSink sink(file);
    if (Result<void> written = writeBitmap(picture, sink, path); !written) {
        file.abandon();
        return written;
    }
    const Result<int> staged = file.stagedFd();
    if (!staged) return staged.why();
    const std::string cutShort = unreadableSave(path);
    const auto readAt = [fd = *staged, &cutShort](std::uint64_t offset, void* out,
                                                  std::size_t count) -> Result<void> {
        const Result<std::size_t> got = readUpTo(fd, out, count, offset);
        if (!got) return got.why();
        if (*got != count) return failure(cutShort);
        return {};
    };
    if (Result<void> checked = checkWritten(readAt, path, check); !checked) {
        file.abandon();
        return checked;
    }
    return file.commit();
}

}  // namespace vm

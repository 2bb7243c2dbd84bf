// The program's own picture files: the bitmap writer must give the core's bytes,
// the read-ahead bitmap the core's rows and points, and the decoders must load
// only when a file needs them.

#include <gtest/gtest.h>

#include <QImage>

#include "cli/bitmap_writer.h"
#include "cli/picture_io.h"
#include "cli/read_ahead_bitmap.h"
#include "imaging/bitmap_file_picture.h"
#include "imaging/layered_picture.h"
#include "imaging/picture_file.h"
#include "support/test_pictures.h"

namespace vm::test {
namespace {

// Bottom-up bitmap bytes made top-down: rows reversed, height negative.
std::string topDown(const std::string& bmp, int width, int height) {
    const std::size_t offset = 54, stride = (static_cast<std::size_t>(width) * 3 + 3) & ~3u;
    std::string out = bmp.substr(0, offset);
    for (int row = height - 1; row >= 0; --row)
        out += bmp.substr(offset + static_cast<std::size_t>(row) * stride, stride);
    const std::uint32_t negative = static_cast<std::uint32_t>(-height);
    for (std::size_t i = 0; i < 4; ++i)
        out[22 + i] = static_cast<char>((negative >> (8 * i)) & 0xFF);
    return out;
}

void expectSamePicture(const Picture& expected, const Picture& actual, bool upwards) {
    ASSERT_EQ(expected.width(), actual.width());
    ASSERT_EQ(expected.height(), actual.height());
    const auto rowBytes = static_cast<std::size_t>(expected.width()) * 3;
    std::vector<std::uint8_t> a(rowBytes), b(rowBytes);
    for (int i = 0; i < expected.height(); ++i) {
        const int y = upwards ? expected.height() - 1 - i : i;
        ASSERT_TRUE(expected.readRowBgr(y, a.data()));
        ASSERT_TRUE(actual.readRowBgr(y, b.data())) << "row " << y;
        ASSERT_EQ(a, b) << "row " << y;
    }
    for (int k = 0; k < 50; ++k) {
        const int x = (k * 37) % expected.width(), y = (k * 53) % expected.height();
        EXPECT_EQ(expected.colourAt(x, y), actual.colourAt(x, y)) << x << "," << y;
    }
}

TEST(CliPictureFiles, ReadAheadBitmapReadsWhatTheCoreReads) {
    TempDir dir;
    // 701 points wide: rows are padded, and the picture spans several reads.
    const int width = 701, height = 600;
    const std::string bottomUp = dir.file("up.bmp"), down = dir.file("down.bmp"),
                      unpadded = dir.file("unpadded.bmp");
    ASSERT_TRUE(patternImage(width, height).save(QString::fromStdString(bottomUp), "BMP"));
    const std::string bytes = readFile(bottomUp);
    writeFile(down, topDown(bytes, width, height));
    writeFile(unpadded, bytes.substr(0, bytes.size() - 1));  // the last row lacks padding

    for (const std::string& path : {bottomUp, down, unpadded}) {
        const auto core = BitmapFilePicture::open(path);
        const auto ours = cli::ReadAheadBitmap::open(path);
        ASSERT_TRUE(core && ours) << path;
        expectSamePicture(*core, *ours, true);
        expectSamePicture(*core, *ours, false);
    }
    writeFile(dir.file("short.bmp"), bytes.substr(0, bytes.size() - 4));
    EXPECT_FALSE(cli::ReadAheadBitmap::open(dir.file("short.bmp")));
    EXPECT_FALSE(cli::ReadAheadBitmap::open(dir.file("missing.bmp")));
}

TEST(CliPictureFiles, WriterGivesTheCoresBytesAndKeepsTheOldFileOnFailure) {
    TempDir dir;
    const std::string source = dir.file("source.bmp");
    ASSERT_TRUE(patternImage(29, 17).save(QString::fromStdString(source), "BMP"));
    const auto picture = cli::ReadAheadBitmap::open(source);
    ASSERT_TRUE(picture);
    const LayeredPicture layered(picture, {{3, 4, 0x123456}, {16, 28, 0x00FF00}});
    ASSERT_EQ(SavePicture(layered, dir.file("core.bmp")), "");
    ASSERT_EQ(cli::writeBitmap(layered, dir.file("ours.bmp")), "");
    EXPECT_TRUE(readFile(dir.file("ours.bmp")) == readFile(dir.file("core.bmp")));

    // The source cut short after it was opened: an error, and the target as it was.
    const LayeredPicture reopened(cli::ReadAheadBitmap::open(source), {});
    writeFile(dir.file("target.bmp"), "kept");
    std::filesystem::resize_file(source, 100);
    const std::string error = cli::writeBitmap(reopened, dir.file("target.bmp"));
    EXPECT_NE(error, "");
    EXPECT_EQ(readFile(dir.file("target.bmp")), "kept");
}

TEST(CliPictureFiles, DecodersLoadOnlyForFilesThatNeedThem) {
    TempDir dir;
    const std::string bmp = dir.file("cover.bmp"), jpg = dir.file("cover.jpg");
    ASSERT_TRUE(patternImage(40, 30).save(QString::fromStdString(bmp), "BMP"));
    ASSERT_TRUE(patternImage(40, 30).save(QString::fromStdString(jpg), "JPEG"));

    cli::LazyPictureIo lazy(VEILMARK_CLI_MODULE);
    PictureLoad opened = lazy.open(bmp);
    ASSERT_TRUE(opened) << opened.error;
    EXPECT_FALSE(lazy.moduleLoaded());
    ASSERT_EQ(lazy.save(*opened.picture, dir.file("copy.bmp")), "");
    EXPECT_FALSE(lazy.moduleLoaded());

    opened = lazy.open(jpg);
    ASSERT_TRUE(opened) << opened.error;
    EXPECT_TRUE(lazy.moduleLoaded());
    const PictureLoad direct = openPictureFile(jpg);
    ASSERT_TRUE(direct);
    expectSamePicture(*direct.picture, *opened.picture, true);
    EXPECT_NE(lazy.open(dir.file("missing.jpg")).error, "");

    cli::LazyPictureIo broken(dir.file("no-such-module.so"));
    EXPECT_TRUE(broken.open(bmp));
    const PictureLoad failed = broken.open(jpg);
    EXPECT_FALSE(failed);
    EXPECT_NE(failed.error.find("decoders"), std::string::npos) << failed.error;
}

}  // namespace
}  // namespace vm::test

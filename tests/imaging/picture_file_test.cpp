#include <gtest/gtest.h>

#include <QImage>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "imaging/bitmap_file_picture.h"
#include "imaging/decoded_picture.h"
#include "imaging/layered_picture.h"
#include "imaging/picture_saving.h"
#include "platform/file_replacement.h"
#include "support/replacement_faults.h"
#include "support/test_pictures.h"

namespace vm {
namespace {

using test::patternPicture;
using test::readFile;
using test::TempDir;
using test::writeFile;

void expectSamePoints(const Picture& a, const Picture& b) {
    ASSERT_EQ(a.width(), b.width());
    ASSERT_EQ(a.height(), b.height());
    for (std::int32_t y = 0; y < a.height(); ++y)
        for (std::int32_t x = 0; x < a.width(); ++x)
            ASSERT_EQ(a.colourAt(x, y), b.colourAt(x, y)) << x << "," << y;
}

TEST(PictureFile, WritesAPlain24BitBottomUpBitmap) {
    // Two by two points: red, green / blue, white. Every byte of the file is fixed.
    QImage image(2, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgb(0, 255, 0));
    image.setPixel(0, 1, qRgb(0, 0, 255));
    image.setPixel(1, 1, qRgb(255, 255, 255));
    TempDir dir;
    const std::string path = dir.file("two.bmp");
    ASSERT_TRUE(savePicture(DecodedPicture(image), path));
    const std::string expected = std::string(
        "BM"
        "\x46\0\0\0"
        "\0\0\0\0"
        "\x36\0\0\0"  // file header
        "\x28\0\0\0"
        "\2\0\0\0"
        "\2\0\0\0"
        "\1\0"
        "\x18\0"  // 40-byte info header
        "\0\0\0\0"
        "\x10\0\0\0"
        "\xC4\x0E\0\0"
        "\xC4\x0E\0\0"
        "\0\0\0\0"
        "\0\0\0\0"
        "\xFF\0\0"
        "\xFF\xFF\xFF"
        "\0\0"  // bottom row first
        "\0\0\xFF"
        "\0\xFF\0"
        "\0\0",
        70);
    EXPECT_EQ(readFile(path), expected);
}

TEST(PictureFile, ABitmapUnderAnyNameLoadsPointForPoint) {
    TempDir dir;
    const PictureRef original = patternPicture(37, 23);  // odd width: rows are padded
    for (const char* name : {"a.bmp", "a.jpg", "a.gif", "noextension"}) {
        const std::string path = dir.file(name);
        ASSERT_TRUE(savePicture(*original, path));
        const Result<PictureRef> decoded = test::loadPicture(path);
        ASSERT_TRUE(decoded) << name << ": " << decoded.error();
        expectSamePoints(*original, **decoded);
        const Result<PictureRef> inPlace = test::openPicture(path);
        ASSERT_TRUE(inPlace);
        EXPECT_EQ((*inPlace)->bitmapFile(), inPlace->get());
        expectSamePoints(*original, **inPlace);
    }
}

TEST(PictureFile, ABitmapOpenedInPlaceSavesWithItsWrittenPointsByteForByte) {
    // Rows without padding are copied file to file and the written points patched in;
    // the result must be the very file that writing row by row gives.
    TempDir dir;
    for (const auto& [width, height] : {std::pair{8, 5}, std::pair{7, 5}}) {
        const std::string source = dir.file("source.bmp");
        ASSERT_TRUE(savePicture(*patternPicture(width, height), source));
        const auto opened = BitmapFilePicture::open(source);
        ASSERT_TRUE(opened) << opened.error();
        const auto inPlace = *opened;
        const std::vector<ChangedPoint> changes = {
            {0, 0, 0x010203}, {width - 1, height - 1, 0xFFFFFF}, {3, 2, 0}};
        const LayeredPicture layered(inPlace, changes);
        const DecodedPicture decoded(toQImage(std::make_shared<LayeredPicture>(inPlace, changes))
                                         .convertToFormat(QImage::Format_RGB32));
        ASSERT_TRUE(savePicture(layered, dir.file("copied.bmp")));
        ASSERT_TRUE(savePicture(decoded, dir.file("rows.bmp")));
        EXPECT_EQ(readFile(dir.file("copied.bmp")), readFile(dir.file("rows.bmp"))) << width;
        ASSERT_TRUE(savePicture(*inPlace, dir.file("plain.bmp")));
        EXPECT_EQ(readFile(dir.file("plain.bmp")), readFile(source));

        // A fault while copying, or a source cut short, keeps the old target.
        writeFile(dir.file("target.bmp"), "kept");
        EXPECT_FALSE(
            savePicture(layered, dir.file("target.bmp"), {}, test::writesFailWith(ENOSPC)));
        std::filesystem::resize_file(source, 60);
        EXPECT_FALSE(savePicture(layered, dir.file("target.bmp")));
        EXPECT_EQ(readFile(dir.file("target.bmp")), "kept");
    }
}

TEST(PictureFile, TopDownBitmapReadsInPlaceTheRightWayUp) {
    TempDir dir;
    const PictureRef original = patternPicture(5, 4);
    const std::string path = dir.file("td.bmp");
    ASSERT_TRUE(savePicture(*original, path));
    std::string bytes = readFile(path);
    // Flip to top-down: negative height, rows reversed.
    const std::int32_t negative = -4;
    std::memcpy(bytes.data() + 22, &negative, 4);
    const std::size_t stride = 16;
    std::string rows = bytes.substr(54);
    for (std::size_t r = 0; r < 4; ++r)
        bytes.replace(54 + r * stride, stride, rows.substr((3 - r) * stride, stride));
    writeFile(path, bytes);
    const Result<PictureRef> load = test::openPicture(path);
    ASSERT_TRUE(load);
    expectSamePoints(*original, **load);
    const Result<PictureRef> decoded = test::loadPicture(path);
    ASSERT_TRUE(decoded) << decoded.error();
    expectSamePoints(*original, **decoded);
}

TEST(PictureFile, OtherFormatsBecomePlainColour) {
    TempDir dir;
    // A one-point GIF with a two-colour palette, point = palette entry 0 (red).
    const std::string gif(
        "GIF89a\x01\x00\x01\x00\x80\x00\x00\xFF\x00\x00\x00\x00\x00"
        ",\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
        35);
    writeFile(dir.file("red.gif"), gif);
    const Result<PictureRef> fromGif = test::loadPicture(dir.file("red.gif"));
    ASSERT_TRUE(fromGif) << fromGif.error();
    EXPECT_EQ((*fromGif)->colourAt(0, 0), makeColour(255, 0, 0));

    QImage grey(8, 8, QImage::Format_Grayscale8);
    grey.fill(128);
    ASSERT_TRUE(grey.save(QString::fromStdString(dir.file("grey.jpg")), "JPG", 100));
    const Result<PictureRef> fromJpeg = test::loadPicture(dir.file("grey.jpg"));
    ASSERT_TRUE(fromJpeg) << fromJpeg.error();
    const auto c = static_cast<std::uint32_t>((*fromJpeg)->colourAt(3, 3));
    EXPECT_EQ(c & 0xFF, (c >> 8) & 0xFF);
    EXPECT_EQ(c & 0xFF, (c >> 16) & 0xFF);
    EXPECT_NEAR(static_cast<int>(c & 0xFF), 128, 2);

    QImage deep(3, 2, QImage::Format_RGBX64);
    deep.fill(QColor::fromRgba64(0xFFFF, 0x0000, 0x8080));
    ASSERT_TRUE(deep.save(QString::fromStdString(dir.file("deep.png")), "PNG"));
    const Result<PictureRef> fromPng = test::loadPicture(dir.file("deep.png"));
    ASSERT_TRUE(fromPng) << fromPng.error();
    EXPECT_EQ((*fromPng)->colourAt(2, 1), makeColour(255, 0, 128));
}

TEST(PictureFile, FilesThatAreNoPictureGiveAClearSentence) {
    TempDir dir;
    writeFile(dir.file("empty.bmp"), "");
    writeFile(dir.file("noise.jpg"), std::string("\x13\x37 not a picture at all \xFF\x00", 26));
    writeFile(dir.file("cut.bmp"), std::string("BM\x46\0\0\0\0\0", 8));
    std::filesystem::create_directory(dir.file("folder.bmp"));
    struct Case {
        std::string path;
        const char* words;
    };
    for (const Case& c :
         {Case{dir.file("missing.bmp"), "does not exist"}, Case{dir.file("empty.bmp"), "is empty"},
          Case{dir.file("noise.jpg"), "not a picture"}, Case{dir.file("cut.bmp"), ""},
          Case{dir.file("folder.bmp"), "is a folder"}}) {
        for (auto open : {&test::loadPicture, &test::openPicture}) {
            const Result<PictureRef> load = open(c.path);
            EXPECT_FALSE(load) << c.path;
            EXPECT_NE(load.error().find(c.words), std::string::npos) << load.error();
            EXPECT_NE(load.error().find(c.path), std::string::npos) << load.error();
        }
    }
}

TEST(PictureFile, AHeaderClaimingAHugePictureIsRefusedWithoutAllocating) {
    TempDir dir;
    ASSERT_TRUE(savePicture(*patternPicture(2, 2), dir.file("small.bmp")));
    std::string bytes = readFile(dir.file("small.bmp"));
    const std::int32_t huge = 100000;
    std::memcpy(bytes.data() + 18, &huge, 4);
    std::memcpy(bytes.data() + 22, &huge, 4);
    writeFile(dir.file("huge.bmp"), bytes);
    const Result<PictureRef> load = test::openPicture(dir.file("huge.bmp"));
    ASSERT_FALSE(load);
    EXPECT_NE(load.error().find("too large"), std::string::npos) << load.error();
    EXPECT_NE(load.error().find("100000 x 100000"), std::string::npos) << load.error();
}

}  // namespace
}  // namespace vm

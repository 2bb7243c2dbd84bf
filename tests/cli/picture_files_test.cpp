// The program's own picture files: the bitmap writer must give the core's bytes,
// and the decoders must load only when a file needs them.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>

#include "cli/lazy_decoder.h"
#include "cli/mapped_bitmap.h"
#include "imaging/bitmap_file_picture.h"
#include "imaging/layered_picture.h"
#include "imaging/picture_saving.h"
#include "imaging/qt_picture_decoder.h"
#include "support/test_pictures.h"

namespace vm::test {
namespace {

void expectSamePicture(const Picture& expected, const Picture& actual) {
    ASSERT_EQ(expected.width(), actual.width());
    ASSERT_EQ(expected.height(), actual.height());
    const auto rowBytes = static_cast<std::size_t>(expected.width()) * 3;
    std::vector<std::uint8_t> a(rowBytes), b(rowBytes);
    for (int y = 0; y < expected.height(); ++y) {
        ASSERT_TRUE(expected.readRowBgr(y, a.data()));
        ASSERT_TRUE(actual.readRowBgr(y, b.data())) << "row " << y;
        ASSERT_EQ(a, b) << "row " << y;
    }
    for (int k = 0; k < 50; ++k) {
        const int x = (k * 37) % expected.width(), y = (k * 53) % expected.height();
        EXPECT_EQ(expected.colourAt(x, y), actual.colourAt(x, y)) << x << "," << y;
    }
}

TEST(CliPictureFiles, DecodersLoadOnlyForFilesThatNeedThem) {
    TempDir dir;
    const std::string bmp = dir.file("cover.bmp"), jpg = dir.file("cover.jpg");
    ASSERT_TRUE(patternImage(40, 30).save(QString::fromStdString(bmp), "BMP"));
    ASSERT_TRUE(patternImage(40, 30).save(QString::fromStdString(jpg), "JPEG"));

    cli::LazyDecoder lazy(VEILMARK_CLI_MODULE);
    Result<PictureRef> opened = openPictureFile(bmp, lazy);
    ASSERT_TRUE(opened) << opened.error();
    EXPECT_FALSE(lazy.moduleLoaded());
    ASSERT_TRUE(savePicture(**opened, dir.file("copy.bmp")));
    EXPECT_FALSE(lazy.moduleLoaded());

    opened = openPictureFile(jpg, lazy);
    ASSERT_TRUE(opened) << opened.error();
    EXPECT_TRUE(lazy.moduleLoaded());
    QtPictureDecoder decoder;
    const Result<PictureRef> direct = openPictureFile(jpg, decoder);
    ASSERT_TRUE(direct);
    expectSamePicture(**direct, **opened);
    EXPECT_NE(openPictureFile(dir.file("missing.jpg"), lazy).error(), "");

    cli::LazyDecoder broken(dir.file("no-such-module.so"));
    EXPECT_TRUE(openPictureFile(bmp, broken));
    const Result<PictureRef> failed = openPictureFile(jpg, broken);
    EXPECT_FALSE(failed);
    EXPECT_NE(failed.error().find("decoders"), std::string::npos) << failed.error();
}

TEST(CliPictureFiles, MappedBitmapReadsAsInPlaceAndSurvivesBeingCutShort) {
    TempDir dir;
    const std::string bmp = dir.file("cover.bmp");
    ASSERT_TRUE(patternImage(201, 100).save(QString::fromStdString(bmp), "BMP"));  // padded rows
    const auto bitmap = BitmapFilePicture::open(bmp);
    ASSERT_TRUE(bitmap);
    const auto mapped = cli::MappedBitmap::map(*bitmap);
    ASSERT_TRUE(mapped);
    expectSamePicture(*bitmap, *mapped);

    // The top row lies at the end of the file: once the file is cut to its first page
    // the point reads black, as the file read in place reads it, and nothing stops.
    const Colour top = mapped->colourAt(200, 0);
    ASSERT_NE(top, 0);
    ASSERT_EQ(::truncate(bmp.c_str(), 4096), 0);
    EXPECT_EQ(mapped->colourAt(200, 0), 0);
    EXPECT_EQ(bitmap->colourAt(200, 0), 0);
    EXPECT_EQ(mapped->colourAt(0, 99), bitmap->colourAt(0, 99));  // still there
}

}  // namespace
}  // namespace vm::test

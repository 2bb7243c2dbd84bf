// The program's own picture files: the bitmap writer must give the core's bytes,
// and the decoders must load only when a file needs them.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>

#include <QImage>

#include "cli/lazy_decoder.h"
#include "flows/hide_flow.h"
#include "flows/open_flow.h"
#include "flows/reveal_flow.h"
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
}

TEST(CliPictureFiles, ABitmapCutShortWhileReadIsRefusedNotASignal) {
    TempDir dir;
    const std::string bmp = dir.file("cover.bmp");
    for (const bool mapped : {false, true}) {
        SCOPED_TRACE(mapped ? "through the mapping" : "with system calls");
        const QImage pattern = patternImage(201, 100);  // padded rows
        ASSERT_TRUE(pattern.save(QString::fromStdString(bmp), "BMP"));
        const auto opened = BitmapFilePicture::open(bmp);
        ASSERT_TRUE(opened) << opened.error();
        const auto bitmap = *opened;
        if (mapped) bitmap->readScattered();
        const Colour top = bitmap->colourAt(200, 0);  // the top row lies at the end of the file
        ASSERT_NE(top, 0);
        EXPECT_TRUE(checkReadWhole(*bitmap));

        // Cut to its first page, the file reads black where it is missing, and the
        // picture says so, layered or not, naming the file.
        ASSERT_EQ(::truncate(bmp.c_str(), 4096), 0);
        std::vector<std::uint8_t> row(std::size_t{201} * 3);
        EXPECT_EQ(bitmap->colourAt(199, 0), 0);
        EXPECT_FALSE(bitmap->readRowBgr(0, row.data()));
        const LayeredPicture layered(bitmap, {{0, 0, 1}});
        const Result<void> whole = checkReadWhole(layered);
        ASSERT_FALSE(whole);
        EXPECT_EQ(whole.error(), "The file " + bmp +
                                     " changed while it was read (something cut it short); try "
                                     "again when nothing else is writing it.");
        // A reveal over it refuses what it read rather than show it.
        Canvas canvas;
        WorkingArea area;
        OpenFlow(canvas, area).place(bitmap);
        RandomSource generator;
        RevealFlow reveal(canvas, area, generator);
        ASSERT_TRUE(reveal.check(U"pw"));
        EXPECT_EQ(reveal.read().error(), whole.error());
        // A hide over it refuses too, and leaves the canvas as it was.
        HideFlow hide(canvas, area, generator);
        ASSERT_TRUE(hide.check(U"pw", U"hi"));
        EXPECT_EQ(hide.write().error(), whole.error());
        EXPECT_EQ(canvas.changedPoints(), 0u);
        EXPECT_EQ(canvas.picture(), bitmap);
    }
}

std::atomic<int> g_otherBusErrors{0};

TEST(CliPictureFiles, ABusErrorSentByAnotherProcessIsNotTakenForACutFile) {
    // A handler that was there before the mapping's gets what is not a fault in a
    // guarded mapping: kill -BUS goes where it always went.
    struct sigaction mine {
    }, before{};
    mine.sa_handler = [](int) { g_otherBusErrors.fetch_add(1); };
    sigemptyset(&mine.sa_mask);
    ASSERT_EQ(::sigaction(SIGBUS, &mine, &before), 0);
    TempDir dir;
    const std::string bmp = dir.file("cover.bmp");
    ASSERT_TRUE(patternImage(40, 30).save(QString::fromStdString(bmp), "BMP"));
    const auto opened = BitmapFilePicture::open(bmp);
    ASSERT_TRUE(opened) << opened.error();
    const auto bitmap = *opened;
    bitmap->readScattered();  // maps the file, and installs the mapping's handler once
    struct sigaction now {};
    ::sigaction(SIGBUS, nullptr, &now);
    if (now.sa_handler == mine.sa_handler) {
        ::sigaction(SIGBUS, &before, nullptr);
        GTEST_SKIP() << "the mapping's handler was installed before this test, in this process";
    }
    ASSERT_EQ(::kill(::getpid(), SIGBUS), 0);
    EXPECT_EQ(g_otherBusErrors.load(), 1);
    EXPECT_TRUE(checkReadWhole(*bitmap));
    ::sigaction(SIGBUS, &before, nullptr);
}

TEST(CliPictureFiles, ADecoderModuleThatIsNotOursIsRefused) {
    TempDir dir;
    const std::string jpg = dir.file("cover.jpg");
    ASSERT_TRUE(patternImage(8, 8).save(QString::fromStdString(jpg), "JPEG"));
    const struct {
        const char* name;
        std::string module;
        const char* says;
    } rows[] = {
        {"NoLocation", "", "the program's own location cannot be found"},
        {"RelativePath", "../lib/veilmark/libveilmark_cli_pictures.so",
         "the program's own location cannot be found"},
        {"NoEntry", VEILMARK_FOREIGN_NO_ENTRY, "is not Veilmark's decoder module"},
        {"NullEntry", VEILMARK_FOREIGN_NULL_ENTRY, "(it gave no decoders)"},
        {"OtherVersion", VEILMARK_FOREIGN_OTHER_VERSION, "it belongs to 0.0.0-other"},
        {"Missing", dir.file("no-such-module.so"), "no-such-module.so"},
    };
    for (const auto& row : rows) {
        cli::LazyDecoder decoder(row.module);
        const Result<PictureRef> opened = openPictureFile(jpg, decoder);
        ASSERT_FALSE(opened) << row.name;
        EXPECT_NE(opened.error().find(row.says), std::string::npos)
            << row.name << ": " << opened.error();
        EXPECT_FALSE(decoder.moduleLoaded()) << row.name;
    }
}

}  // namespace
}  // namespace vm::test

// Opening hostile and unusual files through the window handlers, on a tab that
// already holds a picture. Each file either opens with the size and colours
// written below, or is refused with a clear message (critical box, error title,
// the file named) that leaves canvas, preview, working area and flag as they
// were. Small samples of each layout are committed in tests/data/hostile (made
// by scripts/make_hostile_files.sh); the damaged variants are made here.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <thread>

#include "flows/window_model.h"
#include "imaging/picture_saving.h"
#include "support/scripted_platform.h"
#include "support/test_pictures.h"

namespace vm {
namespace {

using test::readFile;
using test::ScriptedPlatform;
using test::TempDir;
using test::writeFile;

constexpr Colour kRed = makeColour(255, 0, 0);
constexpr Colour kLime = makeColour(0, 255, 0);
constexpr Colour kBlue = makeColour(0, 0, 255);
constexpr Colour kBlack = 0;
constexpr Colour kWhite = makeColour(255, 255, 255);

std::string sample(const std::string& name) {
    return readFile(std::string(VEILMARK_TEST_DATA) + "/hostile/" + name);
}

// Ways to make a file's bytes.
using Maker = std::function<std::string()>;

Maker copyOf(std::string name) {
    return [name] { return sample(name); };
}
// The first n bytes; a negative n drops that many from the end.
Maker cutOf(std::string name, int n) {
    return [name, n] {
        const std::string bytes = sample(name);
        const auto keep =
            n >= 0 ? static_cast<std::size_t>(n) : bytes.size() - static_cast<std::size_t>(-n);
        return bytes.substr(0, keep);
    };
}
Maker fraction(std::string name, int num, int den) {
    return [name, num, den] {
        const std::string bytes = sample(name);
        return bytes.substr(
            0, bytes.size() * static_cast<std::size_t>(num) / static_cast<std::size_t>(den));
    };
}
// The sample with little-endian (or big-endian) 32-bit values written at offsets.
Maker patched(std::string name, std::vector<std::pair<std::size_t, std::uint32_t>> values,
              bool bigEndian = false, int width = 4) {
    return [=] {
        std::string bytes = sample(name);
        for (auto [at, v] : values)
            for (int i = 0; i < width; ++i) {
                const int shift = 8 * (bigEndian ? width - 1 - i : i);
                bytes[at + static_cast<std::size_t>(i)] = static_cast<char>((v >> shift) & 0xFF);
            }
        return bytes;
    };
}
Maker randomBytes(unsigned seed, std::size_t n) {
    return [=] {
        std::mt19937 rng(seed);
        std::string bytes(n, '\0');
        for (char& b : bytes) b = static_cast<char>(rng() & 0xFF);
        return bytes;
    };
}
// rgb24.bmp stored top-down: negative height, rows in reading order.
std::string topDown() {
    std::string bytes = sample("rgb24.bmp");
    const std::size_t stride = 12, rows = 3;
    const std::string data = bytes.substr(54);
    for (std::size_t r = 0; r < rows; ++r)
        bytes.replace(54 + r * stride, stride, data.substr((rows - 1 - r) * stride, stride));
    const std::int32_t negative = -3;
    std::memcpy(bytes.data() + 22, &negative, 4);
    return bytes;
}
// A 5 x 2 24-bit bitmap whose last row (the top one) lacks its one padding byte.
std::string lastRowUnpadded() {
    std::string bytes = sample("rgb24.bmp").substr(0, 54);
    const std::int32_t width = 5, height = 2;
    std::memcpy(bytes.data() + 18, &width, 4);
    std::memcpy(bytes.data() + 22, &height, 4);
    bytes += std::string(15, '\x40') + '\0' + std::string(15, '\x80');
    return bytes;
}
// rgb24.bmp with the 12-byte core header of the old OS/2 bitmaps: 16-bit sizes.
std::string coreHeader() {
    const std::string rows = sample("rgb24.bmp").substr(54);
    std::string bytes("BM\0\0\0\0\0\0\0\0\x1A\0\0\0\x0C\0\0\0\4\0\3\0\1\0\x18\0", 26);
    bytes[2] = static_cast<char>(26 + rows.size());
    return bytes + rows;
}
// The sample 16-bit PNG claiming a size that fits in memory at 4 bytes a point,
// but not at the 12 its decoder and our copy take together.
std::string deepPngBeyondMemory() {
    const auto side =
        static_cast<std::uint32_t>(std::sqrt(static_cast<double>(decodeMemoryLimit()) / 8));
    return patched("deep16.png", {{16, side}, {20, side}}, true)();
}
// The sample JPEG (or another) with its frame header claiming width x height.
std::string jpegClaiming(std::uint16_t width, std::uint16_t height, const char* name = "rgb.jpg",
                         const char* frame = "\xFF\xC0") {
    std::string bytes = sample(name);
    const std::size_t sof = bytes.find(frame);
    EXPECT_NE(sof, std::string::npos);
    bytes[sof + 5] = static_cast<char>(height >> 8);
    bytes[sof + 6] = static_cast<char>(height & 0xFF);
    bytes[sof + 7] = static_cast<char>(width >> 8);
    bytes[sof + 8] = static_cast<char>(width & 0xFF);
    return bytes;
}

// The progressive sample claiming a size that fits in memory at 4 bytes a point, but
// not with the 6 of coefficients its decoder keeps beside them.
std::string progressiveBeyondMemory() {
    const auto side = static_cast<std::uint16_t>(
        std::min(65535.0, std::sqrt(static_cast<double>(decodeMemoryLimit()) / 7)));
    return jpegClaiming(side, side, "progressive.jpg", "\xFF\xC2");
}

struct Expect {
    bool opens;
    std::int32_t width = 0, height = 0;
    Colour first = 0;            // top left
    int tolerance = 0;           // per channel, for lossy files
    std::optional<Colour> last;  // bottom right
    const char* words = "";      // in the refusal
    // Whether the in-place bitmap reader opens it too (it takes only plain 24-bit
    // bitmaps and otherwise decodes like the window does).
    std::optional<bool> inPlaceOpens;
};
Expect opens(std::int32_t w, std::int32_t h, Colour first, std::optional<Colour> last = {},
             int tolerance = 0) {
    return {true, w, h, first, tolerance, last, "", {}};
}
Expect refused(const char* words) {
    return {false, 0, 0, 0, 0, {}, words, {}};
}

struct Row {
    const char* name;
    const char* fileName;
    Maker make;
    Expect expect;
};
void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

constexpr const char* kDamaged = "is damaged or incomplete and cannot be opened";
constexpr const char* kCutShort = "is incomplete: the file ends too early";
constexpr const char* kNoPicture = "is not a picture Veilmark can read";

const Row kRows[] = {
    // Nothing a decoder knows.
    {"Empty", "empty.bmp", [] { return std::string(); }, refused("is empty")},
    {"RandomBytesNamedBmp", "noise.bmp", randomBytes(1, 3000), refused(kNoPicture)},
    {"RandomBytesNamedJpg", "noise.jpg", randomBytes(2, 3000), refused(kNoPicture)},
    {"RandomBytesNamedGif", "noise.gif", randomBytes(3, 3000), refused(kNoPicture)},
    {"TextNamedBmp", "notes.bmp", [] { return std::string("Meet at noon.\r\n"); },
     refused(kNoPicture)},

    // Every layout the decoders read, with what the user gets.
    {"Bitmap24", "rgb24.bmp", copyOf("rgb24.bmp"), opens(4, 3, kRed, kBlue)},
    {"Bitmap24TopDown", "top_down.bmp", topDown, opens(4, 3, kRed, kBlue)},
    {"Bitmap8Palette", "palette8.bmp", copyOf("palette8.bmp"), opens(2, 20, kRed, kBlue)},
    {"Bitmap4Palette", "palette4.bmp", copyOf("palette4.bmp"), opens(4, 3, kRed, kBlue)},
    {"Bitmap1Bilevel", "mono1.bmp", copyOf("mono1.bmp"), opens(4, 3, kBlack, kWhite)},
    {"Bitmap8RunLength", "rle8.bmp", copyOf("rle8.bmp"), opens(4, 3, kRed, kBlue)},
    // Transparency is dropped: a half-transparent red point is red.
    {"Bitmap32WithAlpha", "alpha32.bmp", copyOf("alpha32.bmp"), opens(4, 3, kRed, kBlue)},
    {"Gif", "still.gif", copyOf("still.gif"), opens(4, 3, kRed, kBlue)},
    {"GifAnimatedGivesItsFirstFrame", "animated.gif", copyOf("animated.gif"),
     opens(4, 3, kRed, kBlue)},
    // A transparent point is black.
    {"GifTransparent", "transparent.gif", copyOf("transparent.gif"), opens(4, 3, kBlack, kBlue)},
    {"Jpeg", "rgb.jpg", copyOf("rgb.jpg"), opens(8, 8, makeColour(200, 40, 90), {}, 3)},
    {"JpegGrey", "grey.jpg", copyOf("grey.jpg"), opens(8, 8, makeColour(128, 128, 128), {}, 2)},
    {"JpegCmyk", "cmyk.jpg", copyOf("cmyk.jpg"), opens(8, 8, makeColour(200, 40, 90), {}, 3)},
    {"JpegProgressive", "progressive.jpg", copyOf("progressive.jpg"),
     opens(8, 8, makeColour(200, 40, 90), {}, 3)},
    // Stored 16 x 8 on its side; its EXIF orientation turns it upright, red on top.
    {"JpegTurnedUprightByExif", "turned.jpg", copyOf("turned.jpg"), opens(8, 16, kRed, kBlue, 4)},
    // As browsers read it: the thumbnail's orientation (second IFD) is not the
    // picture's, and a PNG's eXIf chunk turns it.
    {"JpegOrientationOfTheThumbnailOnly", "thumb.jpg", copyOf("exif_thumbnail_only.jpg"),
     opens(16, 8, kRed, kBlue, 4)},
    {"PngTurnedUprightByExif", "turned.png", copyOf("exif_turned.png"), opens(8, 16, kRed, kBlue)},
    {"Png16BitsAChannel", "deep16.png", copyOf("deep16.png"), opens(4, 3, kRed, kBlue)},
    {"PngWithAlpha", "alpha.png", copyOf("alpha.png"), opens(4, 3, kRed, kBlue)},
    {"OnePoint", "one_point.bmp", copyOf("one_point.bmp"), opens(1, 1, kRed, kRed)},
    {"OneColumn", "one_column.bmp", copyOf("one_column.bmp"), opens(1, 7, kLime, kLime)},
    {"OneRow", "one_row.gif", copyOf("one_row.gif"), opens(7, 1, kLime, kLime)},
    {"BitmapUnderAGifName", "really_a_bitmap.gif", copyOf("rgb24.bmp"), opens(4, 3, kRed, kBlue)},
    {"BitmapCoreHeader", "os2.bmp", coreHeader, opens(4, 3, kRed, kBlue)},

    // Valid bitmaps the decoders do not read: the variant is named.
    {"BitmapTwoBitsAPoint", "two.bmp", patched("rgb24.bmp", {{28, 2}}, false, 2),
     refused("uses a variant Veilmark cannot open (2 bits a point)")},
    {"Bitmap64BitsAPoint", "deep.bmp", patched("rgb24.bmp", {{28, 64}}, false, 2),
     refused("(64 bits a point)")},
    {"BitmapHoldingAJpeg", "jpeg.bmp", patched("rgb24.bmp", {{30, 4}}), refused("(a JPEG picture")},
    {"Bitmap52ByteHeader", "v2.bmp", patched("rgb24.bmp", {{14, 52}}),
     refused("(a 52-byte header)")},

    // Cut short: bitmaps are refused wherever they end early.
    {"BitmapCutInFileHeader", "cut.bmp", cutOf("rgb24.bmp", 10), refused(kDamaged)},
    {"BitmapCutInInfoHeader", "cut.bmp", cutOf("rgb24.bmp", 30), refused(kDamaged)},
    {"BitmapCutAfterHeaders", "cut.bmp", cutOf("rgb24.bmp", 54), refused(kCutShort)},
    {"BitmapCutInRows", "cut.bmp", cutOf("rgb24.bmp", 60), refused(kCutShort)},
    {"BitmapCutByOneByte", "cut.bmp", cutOf("rgb24.bmp", -1), refused(kCutShort)},
    {"BitmapPaletteCutInTable", "cut.bmp", cutOf("palette8.bmp", 100), refused(kCutShort)},
    {"BitmapPaletteCutInRows", "cut.bmp", cutOf("palette8.bmp", 1100), refused(kCutShort)},
    {"BitmapRunLengthCutInTable", "cut.bmp", cutOf("rle8.bmp", 200), refused(kDamaged)},
    // The last row's padding missing: every point is there, so it opens whole.
    {"BitmapLastRowUnpadded", "unpadded.bmp", lastRowUnpadded,
     opens(5, 2, makeColour(0x80, 0x80, 0x80), makeColour(0x40, 0x40, 0x40))},
    // Found by fuzzing: 1 x 67,108,863 points in 78 bytes.
    {"BitmapTallAndCutShort", "tall.bmp",
     [] { return readFile(std::string(VEILMARK_TEST_DATA) + "/regressions/tall_cut_short.bmp"); },
     refused(kCutShort)},
    // A run-length bitmap cut inside its rows would open with whatever memory the
    // decoder never filled, so it is refused. GIFs and JPEGs cut inside their
    // picture data open with what was there; the decoders fill the rest (black, grey).
    {"BitmapRunLengthCutInRows", "cut.bmp", fraction("swirl_rle8.bmp", 1, 2), refused(kCutShort)},
    {"GifCutInHeader", "cut.gif", cutOf("still.gif", 10), refused(kDamaged)},
    {"GifCutInPalette", "cut.gif", cutOf("still.gif", 20), refused(kDamaged)},
    {"GifCutInData", "cut.gif", fraction("swirl.gif", 1, 2), opens(64, 48, kRed, kBlack)},
    {"JpegCutInHeader", "cut.jpg", cutOf("rgb.jpg", 20), refused(kDamaged)},
    {"JpegCutInTables", "cut.jpg", cutOf("rgb.jpg", 200), refused(kDamaged)},
    {"JpegCutInData", "cut.jpg", fraction("swirl.jpg", 1, 2),
     opens(64, 48, kRed, makeColour(128, 128, 128), 2)},
    {"PngCutInSignature", "cut.png", cutOf("swirl.png", 6), refused(kNoPicture)},
    {"PngCutInHeader", "cut.png", cutOf("swirl.png", 20), refused(kDamaged)},
    {"PngCutInData", "cut.png", fraction("swirl.png", 1, 2), refused(kDamaged)},
    {"PngCutByOneByte", "cut.png", cutOf("swirl.png", -1), opens(64, 48, kRed, kBlue)},

    // Sizes no memory can hold, or no size at all.
    {"BitmapClaims100000Square", "huge.bmp", patched("rgb24.bmp", {{18, 100000}, {22, 100000}}),
     refused("is too large to open (100000 x 100000 points)")},
    {"BitmapClaimsMinus100000Square", "huge.bmp",
     patched("rgb24.bmp", {{18, 100000}, {22, static_cast<std::uint32_t>(-100000)}}),
     refused("is too large to open (100000 x 100000 points)")},
    {"GifClaims65535Square", "huge.gif", patched("still.gif", {{6, 0xFFFFFFFF}}),
     refused("is too large to open (65535 x 65535 points)")},
    {"PngClaims100000Square", "huge.png", patched("swirl.png", {{16, 100000}, {20, 100000}}, true),
     refused("is too large to open (100000 x 100000 points)")},
    {"Png16BitsClaimsMoreThanItsDecoderCanHave", "deep.png", deepPngBeyondMemory,
     refused("is too large to open")},
    {"JpegClaims65500Square", "huge.jpg", [] { return jpegClaiming(65500, 65500); },
     refused("is too large to open (65500 x 65500 points)")},
    {"JpegProgressiveClaimsMoreThanItsCoefficientsAllow", "huge.jpg", progressiveBeyondMemory,
     refused("is too large to open")},
    {"BitmapZeroWidth", "zero.bmp", patched("rgb24.bmp", {{18, 0}}), refused(kDamaged)},
    {"BitmapZeroHeight", "zero.bmp", patched("rgb24.bmp", {{22, 0}}), refused(kDamaged)},
    {"BitmapNegativeWidth", "negative.bmp",
     patched("rgb24.bmp", {{18, static_cast<std::uint32_t>(-4)}}), refused(kDamaged)},
    {"BitmapImpossibleDepth", "depth.bmp", patched("rgb24.bmp", {{28, 7}}, false, 2),
     refused(kDamaged)},
};

enum class Tab { Encrypt, Decrypt };

long peakRssKb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

class HostileFile : public ::testing::TestWithParam<Row> {
  protected:
    void open(WindowModel& form, ScriptedPlatform& ui, Tab tab, const std::string& path) {
        ui.answer(path);
        if (tab == Tab::Encrypt)
            form.openOnEncrypt();
        else
            form.openOnDecrypt();
    }
    TempDir dir;
};

TEST_P(HostileFile, OpensAsDocumentedOrIsRefusedWithNothingChanged) {
    const Row& row = GetParam();
    const Expect& expect = row.expect;
    const std::string path = dir.file(row.fileName);
    writeFile(path, row.make());
    const std::string earlier = dir.file("earlier.bmp");
    ASSERT_TRUE(savePicture(*test::patternPicture(5, 4), earlier));

    for (Tab tab : {Tab::Encrypt, Tab::Decrypt}) {
        SCOPED_TRACE(tab == Tab::Encrypt ? "Encrypt tab" : "Decrypt tab");
        ScriptedPlatform ui;
        WindowModel form(ui, ui, ui.decoder);
        open(form, ui, Tab::Encrypt, earlier);
        open(form, ui, Tab::Decrypt, earlier);
        Canvas& canvas = tab == Tab::Encrypt ? form.encryptCanvas : form.decryptCanvas;
        PictureRef& preview = tab == Tab::Encrypt ? form.encryptPreview : form.decryptPreview;
        canvas.setPoint(2, 2, 0x123456);  // a point written since, which must survive a refusal
        const PictureRef before = canvas.picture();
        ASSERT_TRUE(ui.boxes.empty());

        const long rssBefore = peakRssKb();
        open(form, ui, tab, path);
        // Opening a file of a few kilobytes never takes much memory, whatever it claims.
        EXPECT_LT(peakRssKb() - rssBefore, 100 * 1024) << "kB more at the peak";

        if (expect.opens) {
            ASSERT_TRUE(ui.boxes.empty()) << ui.boxes.front().prompt;
            const PictureRef& picture = canvas.picture();
            ASSERT_NE(picture, before);
            EXPECT_EQ(preview, picture);
            EXPECT_EQ(canvas.changedPoints(), 0u);
            EXPECT_EQ(picture->width(), expect.width);
            EXPECT_EQ(picture->height(), expect.height);
            EXPECT_EQ(form.area.width, expect.width);
            EXPECT_EQ(form.area.height, expect.height);
            EXPECT_TRUE(form.area.loaded);
            const auto first = static_cast<std::uint32_t>(canvas.point(0, 0));
            for (int shift : {0, 8, 16})
                EXPECT_NEAR(
                    static_cast<int>((first >> shift) & 0xFF),
                    static_cast<int>((static_cast<std::uint32_t>(expect.first) >> shift) & 0xFF),
                    expect.tolerance)
                    << "first point " << std::hex << first;
            if (expect.last) {
                const auto last =
                    static_cast<std::uint32_t>(canvas.point(expect.width - 1, expect.height - 1));
                for (int shift : {0, 8, 16})
                    EXPECT_NEAR(static_cast<int>((last >> shift) & 0xFF),
                                static_cast<int>(
                                    (static_cast<std::uint32_t>(*expect.last) >> shift) & 0xFF),
                                expect.tolerance)
                        << "last point " << std::hex << last;
            }
        } else {
            ASSERT_EQ(ui.boxes.size(), 1u);
            const test::ShownBox& box = ui.boxes.front();
            EXPECT_EQ(box.code, vbCritical);
            EXPECT_EQ(box.title, "Veilmark - Error");
            EXPECT_NE(box.prompt.find(path), std::string::npos) << box.prompt;
            EXPECT_NE(box.prompt.find(expect.words), std::string::npos) << box.prompt;
            EXPECT_EQ(canvas.picture(), before);
            EXPECT_EQ(preview, before);
            EXPECT_EQ(canvas.point(2, 2), 0x123456);
            EXPECT_EQ(form.area.width, 5);
            EXPECT_EQ(form.area.height, 4);
            EXPECT_TRUE(form.area.loaded);
        }
    }

    // The in-place reader (used to check a saved file, and by the command line)
    // opens the same files and reads the same points.
    const Result<PictureRef> decoded = test::loadPicture(path);
    const Result<PictureRef> inPlace = test::openPicture(path);
    EXPECT_EQ(static_cast<bool>(inPlace), expect.inPlaceOpens.value_or(expect.opens))
        << inPlace.error();
    if (decoded && inPlace) {
        ASSERT_EQ((*inPlace)->width(), (*decoded)->width());
        ASSERT_EQ((*inPlace)->height(), (*decoded)->height());
        for (std::int32_t y = 0; y < (*decoded)->height(); ++y)
            for (std::int32_t x = 0; x < (*decoded)->width(); ++x)
                ASSERT_EQ((*inPlace)->colourAt(x, y), (*decoded)->colourAt(x, y)) << x << "," << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, HostileFile, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& p) {
                             return std::string(p.param.name);
                         });

// What a path can name besides a file: each opens, or is refused saying what it is,
// with the tab as it was. A FIFO is read once, while its writer writes.
TEST(HostileFileSystem, PathsThatAreNoPlainFileOpenOrSayWhatTheyAre) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("folder.bmp"));
    writeFile(dir.file("caf\xe9.jpg"), sample("rgb.jpg"));  // a Latin-1 name, not UTF-8
    const std::string earlier = dir.file("earlier.bmp");
    ASSERT_TRUE(savePicture(*test::patternPicture(5, 4), earlier));
    struct Case {
        std::string path;
        const char* words;  // nullptr: opens
        std::string fifoContent;
    };
    const Case cases[] = {
        {dir.file("folder.bmp"), "is a folder", {}},
        {dir.file("gone.bmp"), "does not exist", {}},
        {"/dev/zero", "/dev/zero is a character device, not a picture file", {}},
        {dir.file("caf\xe9.jpg"), nullptr, {}},
        {dir.file("fifo.jpg"), nullptr, sample("rgb.jpg")},
        {dir.file("fifo.bmp"), nullptr, sample("rgb24.bmp")},
        {dir.file("silent.fifo"), "is empty", std::string()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        ScriptedPlatform ui;
        WindowModel form(ui, ui, ui.decoder);
        ui.answer(earlier);
        form.openOnDecrypt();
        const PictureRef before = form.decryptCanvas.picture();
        std::thread writer;
        if (c.path.find("fifo") != std::string::npos) {
            ASSERT_EQ(::mkfifo(c.path.c_str(), 0600), 0);
            writer = std::thread([&c] { writeFile(c.path, c.fifoContent); });
        }
        ui.answer(c.path);
        form.openOnDecrypt();
        if (writer.joinable()) writer.join();
        if (!c.words) {
            EXPECT_TRUE(ui.boxes.empty()) << ui.boxes.front().prompt;
            EXPECT_NE(form.decryptCanvas.picture(), before);
            continue;
        }
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_NE(ui.boxes[0].prompt.find(c.words), std::string::npos) << ui.boxes[0].prompt;
        EXPECT_EQ(form.decryptCanvas.picture(), before);
        EXPECT_EQ(form.decryptPreview, before);
        EXPECT_EQ(form.area.width, 5);
    }
}

}  // namespace
}  // namespace vm

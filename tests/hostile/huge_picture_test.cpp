// The largest pictures, through the window handlers: 100 million points opens,
// hides, saves and reveals; a column too tall for a 32-bit HIMETRIC size opens
// with the exact working area; a header claiming more than memory holds is
// refused while a large picture stays open. The files (300 MB and more) are
// written straight from a computed picture, row by row, and removed at the end.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "flows/window_model.h"
#include "imaging/picture_saving.h"
#include "support/scripted_platform.h"
#include "support/test_pictures.h"

namespace vm {
namespace {

using test::ScriptedPlatform;
using test::TempDir;

// A picture computed from its coordinates, so that any size costs no memory.
class ComputedPicture : public Picture {
  public:
    using Picture::Picture;
    static Colour at(std::int32_t x, std::int32_t y) {
        const auto u =
            static_cast<std::uint32_t>(x) * 2654435761u ^ static_cast<std::uint32_t>(y) * 40503u;
        return static_cast<Colour>((u ^ (u >> 13)) & 0xFFFFFF);
    }
    Colour colourAt(std::int32_t x, std::int32_t y) const override { return at(x, y); }
    Result<void> readRowBgr(std::int32_t y, std::uint8_t* out) const override {
        for (std::int32_t x = 0; x < width(); ++x) {
            const auto c = static_cast<std::uint32_t>(at(x, y));
            *out++ = static_cast<std::uint8_t>(c >> 16);
            *out++ = static_cast<std::uint8_t>(c >> 8);
            *out++ = static_cast<std::uint8_t>(c);
        }
        return {};
    }
};

class HugePicture : public ::testing::Test {
  protected:
    void open(bool encrypt, const std::string& path) {
        ui.answer(path);
        encrypt ? form.openOnEncrypt() : form.openOnDecrypt();
    }
    // Points away from the hidden bits read as computed (a hide changes low bits only).
    void expectComputed(const Canvas& canvas) {
        const std::int32_t w = canvas.width(), h = canvas.height();
        for (auto [x, y] :
             {std::pair{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}, {w / 2, h / 3}})
            EXPECT_EQ(canvas.point(x, y) & 0xFEFEFE, ComputedPicture::at(x, y) & 0xFEFEFE)
                << x << "," << y;
    }
    TempDir dir;
    ScriptedPlatform ui;
    WindowModel form{ui, ui, ui.decoder};
};

TEST_F(HugePicture, HundredMillionPointsOpenHideSaveAndReveal) {
    const auto start = std::chrono::steady_clock::now();
    const std::string cover = dir.file("cover.bmp");
    ASSERT_TRUE(savePicture(ComputedPicture(10000, 10000), cover));
    EXPECT_EQ(std::filesystem::file_size(cover), 54u + 30000u * 10000u);

    open(true, cover);
    ASSERT_TRUE(ui.boxes.empty()) << ui.boxes.front().prompt;
    EXPECT_EQ(form.area.width, 10000);
    EXPECT_EQ(form.area.height, 10000);
    expectComputed(form.encryptCanvas);

    form.encryptPassword = U"large";
    form.message = U"one message in a hundred million points";
    const std::string secret = dir.file("secret.bmp");
    ui.answer(secret);
    form.hideMessage();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt, "Image saved to " + secret);
    std::filesystem::remove(cover);

    open(false, secret);
    expectComputed(form.decryptCanvas);
    form.decryptPassword = U"large";
    form.revealMessage();
    EXPECT_EQ(form.revealedMessage, U"one message in a hundred million points");

    // A file that claims more than memory holds is refused; the open pictures stay.
    const std::string claim = dir.file("claims_too_much.bmp");
    ASSERT_TRUE(savePicture(*test::patternPicture(2, 2), claim));
    {
        std::FILE* f = std::fopen(claim.c_str(), "r+b");
        ASSERT_NE(f, nullptr);
        const std::int32_t huge = 200000;
        std::fseek(f, 18, SEEK_SET);
        std::fwrite(&huge, 4, 1, f);
        std::fwrite(&huge, 4, 1, f);
        std::fclose(f);
    }
    const PictureRef before = form.decryptCanvas.picture();
    open(false, claim);
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_NE(ui.boxes[1].prompt.find("too large"), std::string::npos) << ui.boxes[1].prompt;
    EXPECT_EQ(form.decryptCanvas.picture(), before);
    form.revealedMessage.clear();
    form.revealMessage();
    EXPECT_EQ(form.revealedMessage, U"one message in a hundred million points");

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    RecordProperty("seconds", std::to_string(seconds));
    std::printf("100 million points: %.1f s\n", seconds);
}

TEST_F(HugePicture, AColumnTooTallForA32BitHimetricSizeOpensWithItsExactArea) {
    // 81,200,001 points is 2,148,458,360 hundredths of a millimetre (more than
    // 32 bits hold) and no float holds it exactly.
    const std::int32_t height = 81200001;
    const std::string column = dir.file("column.bmp");
    ASSERT_TRUE(savePicture(ComputedPicture(1, height), column));
    open(false, column);
    ASSERT_TRUE(ui.boxes.empty()) << ui.boxes.front().prompt;
    EXPECT_EQ(form.area.width, 1);
    EXPECT_EQ(form.area.height, height);
    EXPECT_TRUE(form.area.loaded);
    expectComputed(form.decryptCanvas);
    form.decryptPassword = U"tall";
    form.revealMessage();  // reads whatever the low bits say, and ends
    EXPECT_TRUE(ui.boxes.empty());
}

}  // namespace
}  // namespace vm

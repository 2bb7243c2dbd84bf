// Every limit, through the window handlers: the longest password and one more,
// the narrowest working areas that still take a message and the ones just too
// small. Each is done or refused as designed, and always ends.
#include <gtest/gtest.h>

#include <chrono>

#include "flows/open_flow.h"
#include "flows/window_model.h"
#include "imaging/picture_saving.h"
#include "support/form_session.h"
#include "support/test_pictures.h"

namespace vm {
namespace {

class Limits : public ::testing::Test, public test::FormSession {
  protected:
    std::string picture(const std::string& name, const PictureRef& p) {
        const std::string path = dir.file(name);
        EXPECT_TRUE(savePicture(*p, path));
        return path;
    }
};

// A password of every kind of character, as long as asked.
std::u32string longPassword(std::size_t length) {
    const std::u32string alphabet = U"aZ9 é€\r\n-ÿ";
    std::u32string out;
    for (std::size_t i = 0; i < length; ++i) out.push_back(alphabet[i % alphabet.size()]);
    return out;
}

TEST_F(Limits, TheLongestPasswordHidesAndReveals) {
    openEncrypt(cover(100, 100, "cover.bmp"));
    form.encryptPassword = longPassword(32766);
    form.message = U"behind a long password";
    ASSERT_FALSE(hide(dir.file("long.bmp")).empty());
    openDecrypt(dir.file("long.bmp"));
    form.decryptPassword = longPassword(32766);
    form.revealMessage();
    EXPECT_EQ(form.revealedMessage, U"behind a long password");
    form.decryptPassword.back() =
        U'x';  // the last character counts (position 32,766 does not cancel)
    form.revealMessage();
    EXPECT_EQ(form.revealedMessage, U"");
    EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(Limits, OneCharacterMoreIsRefusedOnTheRevealSideBeforeAnythingIsRead) {
    openDecrypt(cover(100, 100, "cover.bmp"));
    form.revealedMessage = U"from an earlier reveal";
    form.decryptPassword = longPassword(32767);
    const std::uint32_t generator = form.generator.state();
    form.revealMessage();
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].code, vbCritical);
    EXPECT_EQ(ui.boxes[0].title, "Veilmark - Error");
    EXPECT_NE(ui.boxes[0].prompt.find("32,766"), std::string::npos) << ui.boxes[0].prompt;
    EXPECT_EQ(form.generator.state(), generator);
    EXPECT_EQ(form.revealedMessage, U"from an earlier reveal");
}

struct Area {
    const char* name;
    int width, height;
    std::size_t messageLength;
    bool fits;
};
void PrintTo(const Area& row, std::ostream* out) {
    *out << row.name;
}

// A message of n characters takes 8 x (4 + n) slots; a point offers three.
const Area kAreas[] = {
    {"LongestMessageInOneColumnOf683", 1, 683, 252, true},  // 2,048 of 2,049 slots
    {"LongestMessageInOneRowOf683", 683, 1, 252, true},
    {"LongestMessageInOneColumnOf682", 1, 682, 252, false},  // 2,046 slots
    {"LongestMessageInOneRowOf682", 682, 1, 252, false},
    {"EmptyMessageInOneColumnOf11", 1, 11, 0, true},  // 32 of 33 slots
    {"EmptyMessageInOneColumnOf10", 1, 10, 0, false},
    {"EmptyMessageInOnePoint", 1, 1, 0, false},
    {"EmptyMessageInThreeByFour", 3, 4, 0, true},   // 32 of 36 slots
    {"OneCharacterInThreeByFour", 3, 4, 1, false},  // 40
};

class NarrowArea : public Limits, public ::testing::WithParamInterface<Area> {};

TEST_P(NarrowArea, HidesAndRevealsOrIsRefusedAndAlwaysEnds) {
    const Area& a = GetParam();
    const auto start = std::chrono::steady_clock::now();
    openEncrypt(cover(a.width, a.height, "cover.bmp"));
    ASSERT_EQ(form.area.width, a.width);
    ASSERT_EQ(form.area.height, a.height);
    form.encryptPassword = U"narrow";
    form.message = std::u32string(a.messageLength, U'n');
    const std::string saved = dir.file("narrow.bmp");
    if (a.fits) {
        ASSERT_FALSE(hide(saved).empty()) << ui.boxes.back().prompt;
        openDecrypt(saved);
        form.decryptPassword = U"narrow";
        form.revealMessage();
        EXPECT_EQ(form.revealedMessage, form.message);
    } else {
        EXPECT_TRUE(hide(saved).empty());
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_NE(ui.boxes[0].prompt.find("too small"), std::string::npos) << ui.boxes[0].prompt;
        EXPECT_EQ(form.encryptCanvas.changedPoints(), 0u);
        EXPECT_FALSE(std::filesystem::exists(saved));
        // A reveal on the same area reads what it can and says nothing.
        openDecrypt(dir.file("cover.bmp"));
        form.revealedMessage = U"earlier";
        form.decryptPassword = U"narrow";
        form.revealMessage();
        EXPECT_EQ(form.revealedMessage, U"");
        EXPECT_EQ(ui.boxes.size(), 1u);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

INSTANTIATE_TEST_SUITE_P(Areas, NarrowArea, ::testing::ValuesIn(kAreas),
                         [](const ::testing::TestParamInfo<Area>& p) {
                             return std::string(p.param.name);
                         });

TEST_F(Limits, ARevealThatNeedsAlmostEverySlotEnds) {
    // Every low bit set reads a length of 255: 2,048 slots, of 2,049 in 1 x 683
    // and of 2,046 in 1 x 682 (then nothing is read past the length).
    for (int height : {683, 682}) {
        const auto start = std::chrono::steady_clock::now();
        openDecrypt(picture("white.bmp", test::plainPicture(1, height, 0xFFFFFF)));
        form.revealedMessage = U"earlier";
        form.decryptPassword = U"any";
        form.revealMessage();
        EXPECT_EQ(form.revealedMessage, U"");
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    }
    EXPECT_TRUE(ui.boxes.empty());
}

// A picture of any size that holds nothing: only its size is looked at.
class SizeOnly : public Picture {
  public:
    using Picture::Picture;
    Colour colourAt(std::int32_t, std::int32_t) const override { return 0; }
    Result<void> readRowBgr(std::int32_t, std::uint8_t*) const override { return {}; }
};

TEST(WorkingArea, IsThePicturesExactSizeHoweverTall) {
    // Above 2^24 points a float no longer holds every size; above 81,164,612 the
    // HIMETRIC size no longer fits 32 bits.
    for (std::int32_t tall : {16777217, 81164612, 81164613, 81200001, 2147483647}) {
        Canvas canvas;
        canvas.setPicture(std::make_shared<SizeOnly>(1, tall));
        WorkingArea area = areaFor(canvas);
        EXPECT_EQ(area.width, 1);
        EXPECT_EQ(area.height, tall);
        canvas.setPicture(std::make_shared<SizeOnly>(tall, 3));
        area = areaFor(canvas);
        EXPECT_EQ(area.width, tall);
        EXPECT_EQ(area.height, 3);
    }
}

}  // namespace
}  // namespace vm

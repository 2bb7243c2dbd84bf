#include <gtest/gtest.h>

#include "engine/bit_carrier.h"
#include "engine/code_page.h"
#include "engine/hide_reveal.h"
#include "engine/payload.h"
#include "platform/user_messages.h"
#include "support/test_pictures.h"

namespace vm {
namespace {

using test::patternPicture;
using test::plainPicture;

struct Scene {
    Scene(std::int32_t w, std::int32_t h, PictureRef picture = nullptr) {
        area = {w, h, true};
        canvas.setPicture(picture ? picture : patternPicture(w, h));
    }
    bool hide(std::u32string_view password, std::u32string_view message) {
        const Result<HidePlan> plan = prepareHide(password, message, area);
        return plan && hidePayload(*plan, canvas, area, generator);
    }
    Revealed reveal(std::u32string_view password) {
        Canvas saved;
        saved.setPicture(canvas.image());
        RandomSource fresh;
        const Result<std::int32_t> seed = seedFor(password);
        return seed ? revealPayload(*seed, saved, area, fresh) : Revealed{};
    }
    // Writes raw payload bytes the way a hide would, to try framings it never makes.
    void embedRaw(std::int32_t seed, const std::string& bytes) {
        resetGenerator(generator, seed);
        UsedSlots used;
        SlotDraw draw{generator, used, area};
        for (char b : bytes) ASSERT_TRUE(embedByte(draw, canvas, static_cast<std::uint8_t>(b)));
    }
    WorkingArea area;
    Canvas canvas;
    RandomSource generator;
};

TEST(HideReveal, EmptyPasswordEmptyMessageMatchesTheFixedSlotStream) {
    // Seed 0's first slot on 1000 x 1000 is blue of (332, 320); the length byte 3
    // puts a 1 there. On a black picture that point becomes 65536.
    Scene scene(1000, 1000, plainPicture(1000, 1000, 0));
    ASSERT_TRUE(scene.hide(U"", U""));
    EXPECT_EQ(scene.canvas.point(332, 320), 65536);
    EXPECT_EQ(scene.canvas.changedPoints(), 32u);  // 4 bytes, 32 slots written
    const Revealed r = scene.reveal(U"");
    EXPECT_TRUE(r.found);
    EXPECT_EQ(r.message, U"");
}

TEST(HideReveal, PayloadFraming) {
    const std::string bytes = framePayload(U"Hi€\r\n");
    EXPECT_EQ(bytes, std::string("\x08VMKHi\x80\r\n"));
    EXPECT_EQ(framePayload(U"").size(), 4u);
    EXPECT_EQ(framePayload(std::u32string(160, U'x')).front(), static_cast<char>(163));
    EXPECT_EQ(framePayload(std::u32string(252, U'x')).size(), 256u);
}

TEST(HideReveal, EveryCharacterOfTheCodePageRoundTrips) {
    std::u32string all;
    for (int b = 0; b < 256; ++b) all.push_back(charFromAnsi(static_cast<std::uint8_t>(b)));
    for (std::size_t start = 0; start < all.size(); start += 160) {
        Scene scene(300, 200);
        const std::u32string message = all.substr(start, 160);
        ASSERT_TRUE(scene.hide(U"pässwörd €", message));
        const Revealed r = scene.reveal(U"pässwörd €");
        ASSERT_TRUE(r.found);
        EXPECT_EQ(r.message, message);
    }
}

TEST(HideReveal, LongestMessageAndSpacesAndBreaksKeptExactly) {
    Scene scene(120, 90);
    const std::u32string longest(252, U'z');
    ASSERT_TRUE(scene.hide(U"pw", longest));
    EXPECT_EQ(scene.reveal(U"pw").message, longest);
    const std::u32string spaced = U"  two\r\nlines  ";
    ASSERT_TRUE(scene.hide(U"pw", spaced));
    EXPECT_EQ(scene.reveal(U"pw").message, spaced);
}

TEST(HideReveal, WrongPasswordOrNothingHiddenFindsNothing) {
    Scene scene(200, 200);
    ASSERT_TRUE(scene.hide(U"right", U"the message"));
    EXPECT_FALSE(scene.reveal(U"Right").found);
    EXPECT_FALSE(scene.reveal(U"").found);
    Scene untouched(200, 200);
    EXPECT_FALSE(untouched.reveal(U"right").found);
}

TEST(HideReveal, OnlyAnExactMarkerIsAccepted) {
    struct Case {
        std::string payload;
        bool found;
        std::u32string message;
    };
    const Case cases[] = {
        {std::string("\x00", 1), false, U""},
        {"\x01V", false, U""},
        {"\x02VM", false, U""},
        {"\x03VMK", true, U""},
        {"\x05vmkab", false, U""},
        {"\x05VMXab", false, U""},
        {"\x05VMKab", true, U"ab"},
        {"\x04VMK\x80", true, U"€"},
    };
    for (const Case& c : cases) {
        Scene scene(100, 100);
        scene.embedRaw(31337, c.payload);
        Canvas saved;
        saved.setPicture(scene.canvas.image());
        RandomSource fresh;
        const Revealed raw = revealPayload(31337, saved, scene.area, fresh);
        EXPECT_EQ(raw.found, c.found) << c.payload;
        EXPECT_EQ(raw.message, c.message) << c.payload;
    }
}

TEST(HideReveal, SamePasswordUsesTheSameSlots) {
    Scene scene(150, 150);
    ASSERT_TRUE(scene.hide(U"pw", U"first message"));
    const PictureRef once = scene.canvas.image();
    ASSERT_TRUE(scene.hide(U"pw", U"first message"));
    for (std::int32_t y = 0; y < 150; ++y)
        for (std::int32_t x = 0; x < 150; ++x)
            ASSERT_EQ(scene.canvas.point(x, y), once->colourAt(x, y));
    ASSERT_TRUE(scene.hide(U"pw", U"second"));
    EXPECT_EQ(scene.reveal(U"pw").message, U"second");
}

TEST(HideReveal, RefusalsComeBeforeAnythingChanges) {
    Scene scene(20, 20);  // 1,200 slots: 150 bytes at most
    struct Case {
        std::u32string password, message;
        Refusal refusal;
        const char* words;
    };
    const Case cases[] = {
        {U"ok", U"Ā", Refusal::MessageCharacter, "\"Ā\" (U+0100) at position 1"},
        {U"中", U"ok", Refusal::PasswordCharacter, "U+4E2D"},
        // Characters that cannot be seen are named, not quoted.
        {U"ok", U"a\uFEFFb", Refusal::MessageCharacter, "character U+FEFF at position 2"},
        {U"\u200Bok", U"ok", Refusal::PasswordCharacter, "character U+200B at position 1"},
        {std::u32string(32767, U'p'), U"", Refusal::PasswordTooLong, "32,766"},
        {U"ok", std::u32string(253, U'x'), Refusal::MessageTooLong, "252"},
        {U"ok", std::u32string(147, U'x'), Refusal::AreaTooSmall, "1,200"},
    };
    for (const Case& c : cases) {
        const Result<HidePlan> plan = prepareHide(c.password, c.message, scene.area);
        ASSERT_FALSE(plan);
        EXPECT_EQ(plan.kind().as<Refusal>(), c.refusal);
        EXPECT_NE(plan.error().find(c.words), std::string::npos) << plan.error();
    }
    EXPECT_TRUE(prepareHide(U"ok", std::u32string(146, U'x'), scene.area));
    EXPECT_EQ(scene.canvas.changedPoints(), 0u);
}

TEST(HideReveal, AHideThatRunsOutOfSlotsLeavesTheCanvasUntouched) {
    Scene scene(1, 1);
    HidePlan plan;
    plan.payload = framePayload(U"");  // 32 slots; the area has 3
    const Result<void> hidden = hidePayload(plan, scene.canvas, scene.area, scene.generator);
    EXPECT_EQ(hidden.kind(), Refusal::NoFreeSlots);
    EXPECT_EQ(hidden.error(), kNoFreeSlots);
    EXPECT_EQ(scene.canvas.changedPoints(), 0u);
}

TEST(HideReveal, RevealOnAreasTooSmallReadsNothingAndEnds) {
    for (auto [w, h] : {std::pair{1, 1}, {1, 2}, {2, 1}, {16, 16}}) {
        Scene scene(w, h);
        // A length byte read on 16 x 16 (768 slots) is usually more than the area holds.
        for (std::int32_t seed : {0, 1, -5, 123456}) {
            RandomSource g;
            const Revealed r = revealPayload(seed, scene.canvas, scene.area, g);
            EXPECT_FALSE(r.found);
        }
    }
}

TEST(HideReveal, TheAreaMustMatchToReadBack) {
    Scene scene(300, 200);
    ASSERT_TRUE(scene.hide(U"pw", U"area bound"));
    Canvas saved;
    saved.setPicture(scene.canvas.image());
    RandomSource g;
    EXPECT_FALSE(revealPayload(*seedFor(U"pw"), saved, WorkingArea{299, 200, true}, g).found);
    EXPECT_TRUE(revealPayload(*seedFor(U"pw"), saved, WorkingArea{300, 200, true}, g).found);
    // The largest area a reveal can be told: more slots than a 64-bit count holds.
    const WorkingArea largest{INT32_MAX, INT32_MAX, true};
    EXPECT_EQ(largest.slots(), INT64_MAX);
    EXPECT_FALSE(revealPayload(*seedFor(U"pw"), saved, largest, g).found);
}

}  // namespace
}  // namespace vm

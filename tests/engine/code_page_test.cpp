#include <gtest/gtest.h>

#include "engine/code_page.h"

namespace vm {
namespace {

TEST(CodePage, EveryByteRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        const char32_t ch = charFromAnsi(static_cast<std::uint8_t>(b));
        ASSERT_EQ(ansiCode(ch), b) << "byte " << b;
    }
}

TEST(CodePage, KnownCharacters) {
    EXPECT_EQ(ansiCode(U'A'), 65);
    EXPECT_EQ(ansiCode(U'a'), 97);
    EXPECT_EQ(ansiCode(U'\r'), 13);
    EXPECT_EQ(ansiCode(U'é'), 0xE9);
    EXPECT_EQ(ansiCode(U'ÿ'), 0xFF);
}

TEST(CodePage, EveryByteFrom0x80To0x9FStandsForItsOwnCharacter) {
    // Written out from the published table, not from the code: two entries
    // swapped would move a stored character. The five holes carry the control
    // character of the same value.
    // clang-format off
    constexpr char32_t kExpected[32] = {
        U'€',      U'\u0081', U'‚', U'ƒ', U'„', U'…',      U'†', U'‡',       // 0x80
        U'ˆ',      U'‰',      U'Š', U'‹', U'Œ', U'\u008D', U'Ž', U'\u008F',  // 0x88
        U'\u0090', U'‘',      U'’', U'“', U'”', U'•',      U'–', U'—',       // 0x90
        U'˜',      U'™',      U'š', U'›', U'œ', U'\u009D', U'ž', U'Ÿ'};      // 0x98
    // clang-format on
    for (unsigned b = 0x80; b <= 0x9F; ++b) {
        EXPECT_EQ(charFromAnsi(static_cast<std::uint8_t>(b)), kExpected[b - 0x80])
            << std::hex << "byte 0x" << b;
        EXPECT_EQ(ansiCode(kExpected[b - 0x80]), b) << std::hex << "byte 0x" << b;
    }
}

TEST(CodePage, CharactersOutsideAreRefusedNotReplaced) {
    for (char32_t ch : {char32_t{0x80}, char32_t{0x9F}, char32_t{0x100}, char32_t{0x4E2D},
                        char32_t{0x1F600}, char32_t{0xFFFD}})
        EXPECT_FALSE(ansiCode(ch).has_value()) << std::hex << static_cast<unsigned>(ch);
    EXPECT_EQ(firstUnsupported(U"abcĀdĀ"), 3u);
    EXPECT_FALSE(firstUnsupported(U"plain € text").has_value());
    EXPECT_EQ(firstUnsupported(U"x中"), 1u);
}

}  // namespace
}  // namespace vm

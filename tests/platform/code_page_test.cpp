#include <gtest/gtest.h>

#include "platform/code_page.h"

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
    EXPECT_EQ(ansiCode(U'€'), 0x80);
    EXPECT_EQ(ansiCode(U'Š'), 0x8A);
    EXPECT_EQ(ansiCode(U'Ÿ'), 0x9F);
    EXPECT_EQ(ansiCode(U'é'), 0xE9);
    EXPECT_EQ(ansiCode(U'ÿ'), 0xFF);
    // The five holes of the table carry the control of the same value.
    for (char32_t hole : {U'\u0081', U'\u008D', U'\u008F', U'\u0090', U'\u009D'})
        EXPECT_EQ(ansiCode(hole), hole);
}

TEST(CodePage, CharactersOutsideAreRefusedNotReplaced) {
    for (char32_t ch : {char32_t{0x80}, char32_t{0x9F}, char32_t{0x100}, char32_t{0x4E2D},
                        char32_t{0x1F600}, char32_t{0xFFFD}})
        EXPECT_FALSE(ansiCode(ch).has_value()) << std::hex << static_cast<unsigned>(ch);
    EXPECT_EQ(firstUnsupported(U"abcĀdĀ"), 3u);
    EXPECT_FALSE(firstUnsupported(U"plain € text").has_value());
    EXPECT_FALSE(toAnsi(U"x中").has_value());
    EXPECT_EQ(toAnsi(U"A€\r\n"), std::string("A\x80\r\n"));
}

}  // namespace
}  // namespace vm

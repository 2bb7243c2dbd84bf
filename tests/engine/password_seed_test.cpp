#include <gtest/gtest.h>

#include <string>

#include "engine/hide_reveal.h"
#include "engine/password_seed.h"
#include "platform/checked.h"

namespace vm {
namespace {

// The exponent cycles as a table, independent of the modular steps in the code.
constexpr int kA[19] = {3, 10, 17, 5, 12, 0, 7, 14, 2, 9, 16, 4, 11, 18, 6, 13, 1, 8, 15};
constexpr int kB[23] = {17, 7, 20, 10, 0,  13, 3,  16, 6, 19, 9, 22,
                        12, 2, 15, 5,  18, 8,  21, 11, 1, 14, 4};

std::int32_t referenceSeed(const std::string& latin1) {
    std::uint32_t acc = 0;
    for (std::size_t i = 0; i < latin1.size(); ++i) {
        const auto c = static_cast<std::uint32_t>(static_cast<unsigned char>(latin1[i]));
        acc ^= (c << kA[i % 19]) ^ (c << kB[i % 23]);
    }
    return static_cast<std::int32_t>(acc);
}

TEST(PasswordSeed, EmptyAndSingleCharacters) {
    EXPECT_EQ(passwordSeed(U""), 0);
    for (char32_t c : {U'A', U'a', U'0', U'ÿ', U'€'}) {
        const auto code = c == U'€' ? 0x80 : static_cast<std::int32_t>(c);
        EXPECT_EQ(passwordSeed(std::u32string(1, c)), (8 * code) ^ (131072 * code));
    }
}

TEST(PasswordSeed, MatchesTheExponentTableOnLongerPasswords) {
    EXPECT_EQ(passwordSeed(U"correct horse battery staple"),
              referenceSeed("correct horse battery staple"));
    std::string all;
    std::u32string all32;
    for (int i = 0; i < 3 * 437; ++i) {
        all.push_back(static_cast<char>(0x20 + i % 95));
        all32.push_back(static_cast<char32_t>(0x20 + i % 95));
    }
    EXPECT_EQ(passwordSeed(all32), referenceSeed(all));
    // Fixed values, so that a change to the fold cannot go unnoticed.
    EXPECT_EQ(passwordSeed(U"A"), 8520200);
    EXPECT_EQ(passwordSeed(U"ab"), referenceSeed("ab"));
}

TEST(PasswordSeed, CaseAndOrderMatter) {
    EXPECT_NE(passwordSeed(U"Secret"), passwordSeed(U"secret"));
    EXPECT_NE(passwordSeed(U"ab"), passwordSeed(U"ba"));
}

TEST(PasswordSeed, CharactersAtCancellingPositionsHaveNoEffect) {
    for (int position : {18,  38,  69,  89,  109, 120, 140, 160, 191,      211,      231,
                         262, 282, 313, 333, 353, 384, 404, 435, 18 + 437, 435 + 437}) {
        std::u32string a(static_cast<std::size_t>(position), U'x');
        std::u32string b = a;
        a[static_cast<std::size_t>(position - 1)] = U'Q';
        b[static_cast<std::size_t>(position - 1)] = U'z';
        EXPECT_EQ(passwordSeed(a), passwordSeed(b)) << "position " << position;
        std::u32string c = a;
        c[static_cast<std::size_t>(position - 2)] = U'z';  // the position before does count
        EXPECT_NE(passwordSeed(a), passwordSeed(c)) << "position " << position - 1;
    }
}

TEST(PasswordSeed, LengthLimit) {
    EXPECT_NO_THROW(passwordSeed(std::u32string(32766, U'p')));
    EXPECT_THROW(passwordSeed(std::u32string(32767, U'p')), OverflowError);
    EXPECT_THROW(passwordSeed(std::u32string(100000, U'p')), OverflowError);
}

TEST(PasswordSeed, WhatCannotFoldIsRefusedForTheUser) {
    const Result<std::int32_t> character = seedFor(U"abcĀ");
    EXPECT_EQ(character.kind(), Refusal::PasswordCharacter);
    EXPECT_NE(character.error().find("\"Ā\" (U+0100) at position 4"), std::string::npos)
        << character.error();
    EXPECT_EQ(seedFor(std::u32string(32767, U'p')).kind(), Refusal::PasswordTooLong);
    EXPECT_EQ(*seedFor(std::u32string(32766, U'p')), passwordSeed(std::u32string(32766, U'p')));
}

TEST(PasswordSeed, CodesBeyondOneByteOverflowWhereTheirTermDoes) {
    // Position 12 has b = 22: 511 << 22 fits, 512 << 22 does not; -512 << 22 fits exactly.
    std::int16_t codes[12] = {};
    codes[11] = 511;
    EXPECT_NO_THROW(passwordSeedFromCodes(codes, 12));
    codes[11] = -512;
    EXPECT_NO_THROW(passwordSeedFromCodes(codes, 12));
    codes[11] = 512;
    EXPECT_THROW(passwordSeedFromCodes(codes, 12), OverflowError);
    codes[11] = -513;
    EXPECT_THROW(passwordSeedFromCodes(codes, 12), OverflowError);
}

}  // namespace
}  // namespace vm

#include <gtest/gtest.h>

#include "engine/hide_reveal.h"
#include "engine/sealed_field.h"

namespace vm {
namespace {

std::string fromHex(std::string_view hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16)));
    return bytes;
}

SealSalt saltFrom(std::uint8_t first, std::uint8_t step) {
    SealSalt salt{};
    for (std::size_t i = 0; i < salt.size(); ++i)
        salt[i] = static_cast<std::uint8_t>(first + step * i);
    return salt;
}

struct Vector {
    const char* name;
    std::u32string_view password;
    SealSalt salt;
    std::u32string_view text;
    std::string_view field;  // hex
};

// The fixed vectors of the format: other programs read these bytes.
const Vector kVectors[] = {
    {"AnsiForm", U"tulip mountain", saltFrom(0x00, 1), U"Meet at noon.",
     "0101000102030405060708090a0b0c0d0e0f98f199836ab8a3e71095cd9dd3d60f56f5db6fff6eb7517dace56880"
     "ca104429c2c16a3e88fe90f4115dc1511689b7381388eaecce28d3de9ef5d98b34e9a13bbadb9932e9c20fa6b684"
     "ccc7282512bdf9754571687909bb32756dd026ee4ebcf20b73336d7708d2d5e9a8801b07ee3cdd4b8883c4103664"
     "11f7570a691d71272d0381d79f3210d1ef8d3fac37a24f9bc1b418eda74e3c85168a357aad020aeacd6388e44dcd"
     "19c3070e72793eb6e82559539214a266fa722f8829dd5913136b77571c096b2aad6b37a7c7cc9fe330b4b6fa82df"
     "389def53120b0a5de387156ba610678a8e753b2d2881"},
    {"AnsiFormBreaksAndEuro", U"correct horse battery staple", saltFrom(0xF0, 1),
     U"Café – 5 €\r\nBring the key.",
     "0101f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff404c8f93b61c66b61746e309d9a8ee0cd1548965c76a1b7b3375c283"
     "e2dee4071e35b291be04c9df917e202dcb314f1e1b91bff6d988e0604b4fbac9e092d023c5993f9a054e7a6ca1ac"
     "681c58cf383f8f657abb72bc10ce03bd0c38862efca38fe3a028b7be19419a69387a20fa2880efc6854f4f880adb"
     "12eceefc085de671a34ce964d8906ced3f9f15c40963789b5e4c5c615fee45f4d6dd146c8f99140ddb6a0f8dbae3"
     "37a1e6ed66f569263f6f997a1fd5f8935d6041e75aac17106442976947538d45acb5cfa0792c435f31fddc21f234"
     "8f02014d5c4731838d72a7f646d4ecca421d0929be05"},
    {"Utf8Form", U"Grüße, Zoë", saltFrom(0xA5, 0), U"Привет 👋 — ключ под ковриком",
     "0101a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5eb57375c31b298f6fb2eaeeecde167dc98d56403f937bf6b9a79c72c"
     "23c21defc1241d90e86a04841fce9d141db698d0eb38846e295a68fe821fb5349885d58ee65abb6356374eee3d8d"
     "f3afe72f84a96b00fab2a5d192e04cc7aac6c4c610692b1ddd61cb181d168eb01f1d052e30d17202b780bf62285d"
     "818cb05ae42c441752fd7253575eefc97cefad09ea6282f7f16c3a92e03bfc10f053a9e3fc6fbe91bcea8e9fcc4e"
     "017115978104c455ca5265b863cd0bfd1a3b1943806c7a4155f670040992362ef5dc7199d9c66f372938859ce5fb"
     "f9fffd41a24a99f5558f24d13ffe2fa5b22469b65f2d"},
};

class SealedVector : public testing::TestWithParam<Vector> {};

TEST_P(SealedVector, SealsByteForByteAndOpens) {
    const Vector& v = GetParam();
    const Result<std::string> field = sealTextWithSalt(v.password, v.text, v.salt);
    ASSERT_TRUE(field) << field.error();
    EXPECT_EQ(*field, fromHex(v.field));
    const Result<std::u32string> text = openField(v.password, fromHex(v.field));
    ASSERT_TRUE(text) << text.error();
    EXPECT_EQ(*text, v.text);
}

INSTANTIATE_TEST_SUITE_P(Format1, SealedVector, testing::ValuesIn(kVectors),
                         [](const testing::TestParamInfo<Vector>& p) {
                             return std::string(p.param.name);
                         });

TEST(SealedField, AChangedBitOrAWrongPasswordDoesNotOpen) {
    struct Case {
        std::size_t byte;  // of the first vector's field whose lowest bit flips; none past its end
        std::u32string_view password;
        SealProblem expected;
    };
    const Case cases[] = {
        {1, U"tulip mountain", SealProblem::NewerFormat},  // the format byte: no derivation
        {5, U"tulip mountain", SealProblem::NotOpened},    // salt
        {100, U"tulip mountain", SealProblem::NotOpened},  // ciphertext
        {251, U"tulip mountain", SealProblem::NotOpened},  // tag
        {kSealedFieldSize, U"tulip mountaim", SealProblem::NotOpened},
    };
    for (const Case& c : cases) {
        std::string field = fromHex(kVectors[0].field);
        if (c.byte < field.size()) field[c.byte] = static_cast<char>(field[c.byte] ^ 1);
        const Result<std::u32string> text = openField(c.password, field);
        ASSERT_FALSE(text) << "byte " << c.byte;
        EXPECT_EQ(text.kind(), c.expected) << "byte " << c.byte << ": " << text.error();
    }
}

TEST(SealedField, RefusesBeforeAnyKeyIsDerived) {
    struct Case {
        std::u32string password, text;
        FailureKind expected;  // none: sealable
    };
    const Case cases[] = {
        {U"", U"hi", SealProblem::EmptyPassword},
        {U"pw", std::u32string(216, U'é'), {}},  // one byte each in the code page
        {U"pw", std::u32string(217, U'é'), SealProblem::TextTooLong},
        {U"pw", std::u32string(108, U'ж'), {}},  // two bytes each in UTF-8
        {U"pw", std::u32string(108, U'ж') + U"x", SealProblem::TextTooLong},
        {U"pw ж", U"hi", Refusal::PasswordCharacter},
    };
    for (const Case& c : cases) {
        const Result<void> ok = checkSealable(c.password, c.text);
        EXPECT_EQ(ok.kind(), c.expected) << ok.error();
        EXPECT_EQ(!ok, !c.expected.none());
    }
}

}  // namespace
}  // namespace vm

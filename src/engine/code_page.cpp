#include "engine/code_page.h"

#include <array>

namespace vm {

namespace {
// 0x80..0x9F; the rest of the page is identical to Latin-1.
constexpr std::array<char32_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace

char32_t charFromAnsi(std::uint8_t code) {
    if (code >= 0x80 && code <= 0x9F) return kHigh[code - 0x80u];
    return code;
}

std::optional<std::uint8_t> ansiCode(char32_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) return static_cast<std::uint8_t>(ch);
    for (std::size_t i = 0; i < kHigh.size(); ++i)
        if (kHigh[i] == ch) return static_cast<std::uint8_t>(0x80 + i);
    return std::nullopt;
}

std::optional<std::size_t> firstUnsupported(std::u32string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!ansiCode(text[i])) return i;
    return std::nullopt;
}

}  // namespace vm

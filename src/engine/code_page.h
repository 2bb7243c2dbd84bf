#pragma once
// The single-byte code page every character of a payload or password is carried
// in: Windows-1252, with its five undefined bytes mapped to the C1 controls of the
// same value so that all 256 bytes round-trip. Fixed, so a picture reads the same
// on every machine.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vm {

// The byte for a character, or nothing when the code page has none.
std::optional<std::uint8_t> ansiCode(char32_t ch);

// The character a byte stands for.
char32_t charFromAnsi(std::uint8_t code);

// Index of the first character with no byte in the code page, if any.
std::optional<std::size_t> firstUnsupported(std::u32string_view text);

}  // namespace vm

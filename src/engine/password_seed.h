#pragma once
// Folds a password into the seed that decides which slots carry a message.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vm {

// The longest password that folds; one more character is an overflow failure.
inline constexpr std::size_t kMaxPasswordLength = 32766;

// For a password whose every character the code page carries (seedFor checks
// that, and the length, for the user). Throws OverflowError for 32,767 characters
// or more, or a term outside 32 bits; std::bad_optional_access for a character
// outside the code page.
std::int32_t passwordSeed(std::u32string_view password);

// The fold on character codes as given (a code may lie outside 0..255).
std::int32_t passwordSeedFromCodes(const std::int16_t* codes, std::size_t count);

}  // namespace vm

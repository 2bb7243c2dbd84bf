#pragma once
// A sealed message: the 252 bytes that follow the marker of an ordinary payload
// (whose length byte is then 255). Mark 0x01, format 0x01, a 16-byte salt, a
// 218-byte inner block (form, length, text, zeros) encrypted with
// XChaCha20-Poly1305 and its 16-byte tag. Key and nonce come from Argon2id over
// the password and the salt. The layout and the cost are fixed: a picture never
// chooses how much memory opening it takes, and a dearer cost is a new format byte.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/result.h"

namespace vm {

inline constexpr std::size_t kSealedFieldSize = 252;
inline constexpr std::size_t kMaxSealedText = 216;  // bytes, in either form
inline constexpr std::uint8_t kSealedMark = 0x01;   // no typed message starts with it
inline constexpr std::uint8_t kSealedFormat = 0x01;
using SealSalt = std::array<std::uint8_t, 16>;

// Why a seal or an opening fails: the kind of its failure.
enum class SealProblem {
    EmptyPassword = 1,
    TextTooLong,
    NotOpened,    // a wrong password, or a field changed since it was sealed
    NewerFormat,  // a format byte this version does not know
    NoMemory,     // the key derivation's 64 MiB (or the library's start) failed
};

// Whether payload text (the bytes after the marker) is a sealed field, of any format.
bool isSealedField(std::string_view payloadText);

// Why a password and a text cannot be sealed (an empty password, a character
// outside the code page in the password, a text over 216 bytes), before any key
// is derived; nothing when they can.
Result<void> checkSealable(std::u32string_view password, std::u32string_view text);

// The field for the text, under a fresh salt from the system's secure source.
// Derives the key once (about 0.1 s of one core here, and 64 MiB).
Result<std::string> sealText(std::u32string_view password, std::u32string_view text);
// The same with a given salt: for the fixed vectors only, never for a picture.
Result<std::string> sealTextWithSalt(std::u32string_view password, std::u32string_view text,
                                     const SealSalt& salt);

// The text a field holds, when the password opens it (NotOpened when it does not
// or the field was changed, NewerFormat for an unknown format byte).
Result<std::u32string> openField(std::u32string_view password, std::string_view field);

}  // namespace vm

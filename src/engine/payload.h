#pragma once
// The bytes that carry a message: a length byte L, then the marker "VMK" and the
// message, one byte per character in the code page. No terminator, no checksum.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vm {

inline constexpr std::u32string_view kMessageMarker = U"VMK";
inline constexpr std::size_t kMaxPayloadText = 255;  // what the length byte can count
inline constexpr std::size_t kMaxMessageLength = kMaxPayloadText - kMessageMarker.size();
// The first character of every sealed message, and of no plain one.
inline constexpr char32_t kSealedMessageMark = U'\u0001';

// Slots a payload of this many bytes (length byte included) takes.
constexpr std::int64_t slotsForPayload(std::size_t bytes) {
    return 8 * static_cast<std::int64_t>(bytes);
}

// L followed by the payload text's bytes, for a message whose every character
// the code page carries (prepareHide checks). Throws std::bad_optional_access
// for one it does not, OverflowError when L would exceed 255.
std::string framePayload(std::u32string_view message);

// The message of a payload text read back (what follows the marker), or nothing
// when the marker is not its first three characters (compared exactly, case
// included).
std::optional<std::u32string> unframePayloadText(std::u32string_view text);

}  // namespace vm

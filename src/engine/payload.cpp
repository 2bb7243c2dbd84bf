#include "engine/payload.h"

#include "engine/code_page.h"
#include "platform/checked.h"

namespace vm {

std::string framePayload(std::u32string_view message) {
    std::u32string text(kMessageMarker);
    text += message;
    std::string bytes;
    bytes.reserve(text.size() + 1);
    bytes.push_back(static_cast<char>(toByte(static_cast<std::int64_t>(text.size()))));
    for (char32_t ch : text) bytes.push_back(static_cast<char>(ansiCode(ch).value()));
    return bytes;
}

std::optional<std::u32string> unframePayloadText(std::u32string_view text) {
    if (text.substr(0, kMessageMarker.size()) != kMessageMarker) return std::nullopt;
    return std::u32string(text.substr(kMessageMarker.size()));
}

}  // namespace vm

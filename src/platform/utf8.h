#pragma once
// UTF-8 <-> UTF-32 for text that enters or leaves through files and terminals.

#include <optional>
#include <string>
#include <string_view>

namespace vm {

// Nothing on malformed UTF-8 (overlong forms, surrogates and stray bytes included).
std::optional<std::u32string> fromUtf8(std::string_view bytes);
std::string toUtf8(std::u32string_view text);

}  // namespace vm

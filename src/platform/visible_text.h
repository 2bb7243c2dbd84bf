#pragma once
// Text for a terminal. A message read from a picture of unknown origin, or a file
// name, may hold control characters that a terminal obeys (clear the screen, set
// the window's title); shown this way they appear as escapes instead, much as
// GNU ls shows such names: \a \b \t \n \v \f \r, a backslash as \\, and any other
// control character, C1 ones (U+0080 to U+009F) and bytes that are not UTF-8
// included, byte by byte as \ and three octal digits (ESC is \033).

#include <string>
#include <string_view>

namespace vm {

// keepLineBreaks: LF and CR LF stay line breaks, as a typed message has them.
std::string visibleText(std::string_view bytes, bool keepLineBreaks);

}  // namespace vm

#pragma once
// Writing to standard output, and what veilmark-cli says when it cannot take what
// is written.

#include <string>
#include <string_view>

#include "cli/console.h"
#include "platform/result.h"

namespace vm::cli {

// Writes the bytes whole to standard output; a failure (a file error) says "could
// not write WHAT to standard output" and why.
Result<void> writeOutput(Console& console, std::string_view bytes, const std::string& what);

}  // namespace vm::cli

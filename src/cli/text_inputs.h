#pragma once
// Where the password and the message come from: the options, a file, standard
// input, the environment or the terminal; each read as UTF-8 text.

#include <string>

#include "cli/args.h"
#include "cli/console.h"
#include "platform/result.h"

namespace vm::cli {

inline constexpr const char* kPasswordVariable = "VEILMARK_PASSWORD";

// -p, --password-file, the environment, or the terminal, in that order. A hide asks
// twice on the terminal (confirm): a typing error there would lose the message for
// good.
Result<std::u32string> obtainPassword(const Arguments& arguments, Console& console, bool confirm);

// -m, or --message-file (a file's bytes exactly; "-" is standard input).
Result<std::u32string> obtainMessage(const Arguments& arguments, Console& console);

}  // namespace vm::cli

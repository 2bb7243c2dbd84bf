#pragma once
// veilmark-cli reveal: writes the message hidden in INPUT under a password.

#include "cli/args.h"
#include "cli/console.h"

namespace vm::cli {

int reveal(const Arguments& arguments, Console& console);

}  // namespace vm::cli

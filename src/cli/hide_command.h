#pragma once
// veilmark-cli hide: hides a message in INPUT and writes OUTPUT as a bitmap.

#include "cli/args.h"
#include "cli/console.h"

namespace vm::cli {

int hide(const Arguments& arguments, Console& console);

}  // namespace vm::cli

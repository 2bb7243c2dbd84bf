#pragma once
// veilmark-cli scan: tries every slot sequence a password can give; needs no
// password.

#include "cli/args.h"
#include "cli/console.h"

namespace vm::cli {

int scan(const Arguments& arguments, Console& console);

}  // namespace vm::cli

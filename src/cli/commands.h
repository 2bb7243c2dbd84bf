#pragma once
// What veilmark-cli does once its line is parsed: one command each in
// hide_command, reveal_command and scan_command, the help in help_text.

#include <string>
#include <vector>

#include "cli/args.h"
#include "cli/console.h"
#include "cli/exit_status.h"

namespace vm::cli {

// Parses the words after the program's name and runs them; the exit status.
int runProgram(const std::vector<std::string>& words, Console& console);

int runCommand(const Arguments& arguments, Console& console);

}  // namespace vm::cli

#pragma once
// Asking for a password on a terminal without showing what is typed.

#include <optional>
#include <string>

namespace vm::cli {

// Writes the prompt to promptFd, then reads one line from the terminal ttyFd with
// echo off; the line break that ends it is not part of the result. Echo is
// restored afterwards, also when the program is interrupted meanwhile (the
// interruption then goes on as it would have). Nothing when ttyFd is not a
// terminal, or it ends before a line was typed (Ctrl-D at the start).
std::optional<std::string> readHiddenLine(int ttyFd, int promptFd, const std::string& prompt);

}  // namespace vm::cli

#pragma once
// Asking for a password on a terminal without showing what is typed.

#include <string>

#include "platform/result.h"

namespace vm::cli {

// Why no line came from the terminal.
enum class TerminalProblem {
    NothingTyped,  // it ended before a line was typed (Ctrl-D at the start)
    Unusable,      // not a terminal, or it could not be read or set; the sentence says why
};

// Writes the prompt to promptFd, then reads one line from the terminal ttyFd with
// echo off; the line break that ends it is not part of the result. Echo is
// restored afterwards, also when the program is interrupted meanwhile (the
// interruption then goes on as it would have). A failure of a TerminalProblem kind
// otherwise.
Result<std::string> readHiddenLine(int ttyFd, int promptFd, const std::string& prompt);

}  // namespace vm::cli

#pragma once
// veilmark-cli's exit statuses, which are also the kinds of the failures its
// commands report, and the status for any failure.

#include <string>

#include "platform/result.h"

namespace vm::cli {

enum ExitStatus : int {
    kDone = 0,
    kNothingFound = 1,  // wrong password or nothing hidden
    kUsage = 2,
    kFileError = 3,  // a file that cannot be read, decoded or written
    kRefused = 4,    // too long, a character outside the code page, a picture too small
};

// A failure of that kind.
Failure stopped(ExitStatus status, std::string why);

// The exit status for a failure: its own kind, kRefused for an engine's Refusal or
// a seal refused, kNothingFound for a sealed message that stays closed;
// any other kind (a lower layer's own, or none) is a file error, never kDone.
int exitStatusFor(const Failure& why);

}  // namespace vm::cli

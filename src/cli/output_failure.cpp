#include "cli/output_failure.h"

#include <cerrno>

#include "platform/user_messages.h"

namespace vm::cli {

std::string outputFailure(const std::string& what, int err) {
    std::string sentence = "could not write " + what + " to standard output";
    // Standard output is often no disk at all (a pipe, /dev/full), so not "the disk is full".
    if (err == ENOSPC) return sentence + ": no space left";
    if (err != 0) sentence += ": " + errnoWording(err, FileAccess::Writing);
    return sentence;
}

}  // namespace vm::cli

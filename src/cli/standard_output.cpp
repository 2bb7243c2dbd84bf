#include "cli/standard_output.h"

#include <cerrno>

#include "cli/exit_status.h"
#include "platform/file_io.h"
#include "platform/user_messages.h"

namespace vm::cli {

Result<void> writeOutput(Console& console, std::string_view bytes, const std::string& what) {
    const Result<void> written = console.writeOut(bytes);
    if (written) return {};
    std::string sentence = "could not write " + what + " to standard output";
    // Standard output is often no disk at all (a pipe, /dev/full), so not "the disk is full".
    const int err = errnoOf(written.why());
    sentence += err == ENOSPC ? std::string(": no space left")
                              : ": " + errnoWording(err, FileAccess::Writing);
    return stopped(kFileError, sentence);
}

}  // namespace vm::cli

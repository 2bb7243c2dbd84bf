// veilmark-cli: hides a short message in a picture and reads it back, from the
// command line. Everything but the wiring to the process lives in veilmark_cli_lib.
//
// The program itself does not link the toolkit: starting it would cost more than
// reading a message from a bitmap takes. The decoders come from a module beside
// the program, loaded when a file needs them.

#include <fcntl.h>
#include <unistd.h>
#include <cstdlib>
#include <iostream>

#include "cli/commands.h"
#include "cli/lazy_decoder.h"
#include "cli/terminal.h"
#include "platform/ending_signals.h"
#include "platform/file_io.h"
#include "platform/unique_fd.h"

namespace {
// The decoder module: beside the program in a build folder, in the library folder
// once installed; nothing when the program's own folder cannot be found.
std::string pictureModule() {
    const std::optional<std::string> folder = vm::cli::programFolder();
    if (!folder) return {};
    const std::string beside = *folder + VEILMARK_PICTURE_MODULE;
    if (::access(beside.c_str(), F_OK) == 0) return beside;
    return *folder + VEILMARK_INSTALLED_MODULE;
}
}  // namespace

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    // Interrupted or over a file-size limit, a save removes what it can and says so.
    vm::installEndingSignalPolicy();
    // Once its picture is in place, the command ends as a save that was made.
    vm::finishOnceCommitted();
    vm::cli::LazyDecoder decoder(pictureModule());
    // Passwords are asked on the controlling terminal, as gpg, ssh and sudo ask,
    // so that standard input may carry a picture or a message meanwhile.
    const vm::UniqueFd terminal(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC));
    vm::cli::Console console{
        std::cin,
        [](std::string_view bytes) {
            return vm::writeAll(STDOUT_FILENO, bytes.data(), bytes.size());
        },
        std::cerr,
        [](const char* name) -> std::optional<std::string> {
            const char* value = std::getenv(name);
            return value ? std::optional<std::string>(value) : std::nullopt;
        },
        static_cast<bool>(terminal),
        ::isatty(STDIN_FILENO) == 1,
        ::isatty(STDOUT_FILENO) == 1,
        ::isatty(STDERR_FILENO) == 1,
        [&terminal](const std::string& prompt) {
            return vm::cli::readHiddenLine(terminal.get(), terminal.get(), prompt);
        },
        [](const std::string& prompt) -> std::optional<std::string> {
            std::cerr << prompt << std::flush;
            std::string line;
            if (!std::getline(std::cin, line)) {
                std::cerr << '\n';  // Ctrl-D: the refusal goes on a line of its own
                return std::nullopt;
            }
            return line;
        },
        decoder,
    };
    return vm::cli::runProgram({argv + 1, argv + argc}, console);
}

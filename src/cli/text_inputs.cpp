#include "cli/text_inputs.h"

#include <fcntl.h>
#include <cerrno>
#include <istream>

#include "cli/terminal.h"
#include "platform/file_io.h"
#include "platform/unique_fd.h"
#include "platform/user_messages.h"
#include "platform/utf8.h"

namespace vm::cli {

namespace {

// Far more than any password or message that can be used; a larger file is refused
// rather than read whole.
constexpr std::size_t kTextFileLimit = std::size_t{1} << 20;

// The whole file, up to kTextFileLimit bytes. what: "password" or "message".
Result<std::string> readTextFile(const std::string& path, const char* what) {
    const std::string name = std::string("the ") + what + " file " + path;
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) return stopped(kFileError, "cannot read " + name + ": " + errnoWording(errno));
    std::string bytes;
    char buffer[16384];
    for (;;) {
        const Result<std::size_t> read = readUpTo(fd.get(), buffer, sizeof buffer);
        if (!read) return stopped(kFileError, "cannot read " + name + ": " + read.error());
        const std::size_t got = *read;
        bytes.append(buffer, got);
        if (bytes.size() > kTextFileLimit)
            return stopped(kRefused, name + " is too large to be a " + what + " (more than 1 MiB)");
        if (got < sizeof buffer) break;
    }
    return bytes;
}

Result<std::string> readStandardInput(std::istream& in) {
    std::string bytes;
    char buffer[16384];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kTextFileLimit)
            return stopped(kRefused,
                           "the message on standard input is too large (more than 1 MiB)");
    }
    if (in.bad()) return stopped(kFileError, "could not read the message from standard input");
    return bytes;
}

Result<std::u32string> decoded(const Result<std::string>& bytes, const char* what) {
    if (!bytes) return bytes.why();
    std::optional<std::u32string> text = fromUtf8(*bytes);
    if (!text) return stopped(kRefused, std::string("the ") + what + " is not valid UTF-8 text");
    return std::move(*text);
}

void dropOneLineBreak(std::string& text) {
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
        if (!text.empty() && text.back() == '\r') text.pop_back();
    }
}

}  // namespace

Result<std::u32string> obtainPassword(const Arguments& arguments, Console& console, bool confirm) {
    if (arguments.password) return decoded(*arguments.password, "password");
    if (arguments.passwordFile) {
        Result<std::string> bytes = readTextFile(*arguments.passwordFile, "password");
        if (bytes) dropOneLineBreak(*bytes);
        return decoded(bytes, "password");
    }
    if (console.environment) {
        if (std::optional<std::string> value = console.environment(kPasswordVariable))
            return decoded(std::move(*value), "password");
    }
    if (!console.terminal || !console.askHidden)
        return stopped(kUsage,
                       std::string("no password given: use -p PASSWORD, --password-file FILE or "
                                   "the environment variable ") +
                           kPasswordVariable + " (there is no terminal to ask on)");
    Result<std::string> typed = console.askHidden("Password: ");
    // Ctrl-D is the user's answer; a terminal that fails (hung up, say) is a file error.
    if (!typed && typed.kind() == TerminalProblem::NothingTyped)
        return stopped(kUsage, "no password was typed");
    if (!typed) return stopped(kFileError, typed.error());
    if (confirm) {
        const Result<std::string> again = console.askHidden("Password again: ");
        if (!again && again.kind() != TerminalProblem::NothingTyped)
            return stopped(kFileError, again.error());
        if (!again || *again != *typed)
            return stopped(kUsage, "the two passwords typed differ; nothing was hidden");
    }
    return decoded(typed.take(), "password");
}

Result<std::u32string> obtainMessage(const Arguments& arguments, Console& console) {
    if (arguments.message) return decoded(*arguments.message, "message");
    if (*arguments.messageFile == "-") return decoded(readStandardInput(console.in), "message");
    return decoded(readTextFile(*arguments.messageFile, "message"), "message");
}

}  // namespace vm::cli

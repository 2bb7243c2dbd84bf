#pragma once
// Everything veilmark-cli needs from the process (streams, environment, terminal)
// comes in through Console, so the commands run the same in a test as in the
// program; and the one way a command speaks on standard error.

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "cli/exit_status.h"
#include "imaging/picture_reader.h"
#include "platform/result.h"

namespace vm::cli {

inline constexpr const char* kProgram = "veilmark-cli";

struct Console {
    std::istream& in;
    // Writes the bytes whole to standard output, or why not (the errno as the kind).
    std::function<Result<void>(std::string_view bytes)> writeOut;
    std::ostream& err;
    // The value of an environment variable; nothing when it is not set.
    std::function<std::optional<std::string>(const char* name)> environment;
    // Whether the program has a controlling terminal to ask for a password on,
    // whatever its standard input is.
    bool terminal = false;
    // Which standard streams are terminals: output and error show control
    // characters visibly there, and a question (Replace?) is asked only when input
    // and error are.
    bool inputIsTerminal = false;
    bool outputIsTerminal = false;
    bool errorIsTerminal = false;
    // Asks for a line without echo on the controlling terminal; a failure of a
    // TerminalProblem kind when none could be read.
    std::function<Result<std::string>(const std::string& prompt)> askHidden;
    // Asks on standard error and reads the answer, one line, from standard input.
    std::function<std::optional<std::string>(const std::string& prompt)> askLine;
    // Reads what is not a plain bitmap (which is read in place).
    PictureDecoder& decoder;
};

// Text the user gave, or a picture held, as it may be shown on standard error
// (onError) or output.
std::string shown(const Console& console, const std::string& text, bool onError);

// One line on standard error, after the program's name.
void say(Console& console, const std::string& text);

// Says why a command stopped; its exit status.
int report(Console& console, const Failure& why);
int report(Console& console, ExitStatus status, const std::string& why);

}  // namespace vm::cli

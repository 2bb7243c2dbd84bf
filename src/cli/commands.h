#pragma once
// What veilmark-cli does once its line is parsed. Everything it needs from the
// process (streams, environment, terminal) comes in through Console, so the
// commands run the same in a test as in the program.

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "cli/args.h"
#include "imaging/picture_reader.h"

namespace vm::cli {

// The exit statuses, and the kind of every Failure the commands report.
enum ExitStatus : int {
    kDone = 0,
    kNothingFound = 1,  // wrong password or nothing hidden
    kUsage = 2,
    kFileError = 3,  // a file that cannot be read, decoded or written
    kRefused = 4,    // too long, a character outside the code page, a picture too small
};

// The exit status for a failure: its own kind, kRefused for an engine's Refusal;
// any other kind (a lower layer's own, or none) is a file error, never kDone.
int exitStatusFor(const Failure& why);

struct Console {
    std::istream& in;
    std::ostream& out;
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
    // Asks for a line without echo on the controlling terminal; nothing when none
    // could be read.
    std::function<std::optional<std::string>(const std::string& prompt)> askHidden;
    // Asks on standard error and reads the answer, one line, from standard input.
    std::function<std::optional<std::string>(const std::string& prompt)> askLine;
    // Reads what is not a plain bitmap (which is read in place).
    PictureDecoder& decoder;
};

inline constexpr const char* kPasswordVariable = "VEILMARK_PASSWORD";

// Parses the words after the program's name and runs them; the exit status.
int runProgram(const std::vector<std::string>& words, Console& console);

int runCommand(const Arguments& arguments, Console& console);
int hide(const Arguments& arguments, Console& console);
int reveal(const Arguments& arguments, Console& console);
// Tries every slot sequence a password can give; needs no password.
int scan(const Arguments& arguments, Console& console);

// All of it, or the part of one command (hide, reveal or scan).
std::string helpText(std::optional<Command> command = std::nullopt);
std::string versionText();  // one line, with its newline

}  // namespace vm::cli

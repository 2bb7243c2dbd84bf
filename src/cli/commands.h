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

enum ExitStatus : int {
    kDone = 0,
    kNothingFound = 1,  // wrong password or nothing hidden
    kUsage = 2,
    kFileError = 3,  // a file that cannot be read, decoded or written
    kRefused = 4,    // too long, a character outside the code page, a picture too small
};

struct Console {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    // The value of an environment variable; nothing when it is not set.
    std::function<std::optional<std::string>(const char* name)> environment;
    // Whether standard input is a terminal the password can be asked on.
    bool inputIsTerminal = false;
    // Asks for a line without echo; nothing when none could be read.
    std::function<std::optional<std::string>(const std::string& prompt)> askHidden;
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

std::string helpText();
std::string versionText();  // one line, with its newline

}  // namespace vm::cli

#pragma once
// The windowed program's command line, read before any window or display is
// needed: --help and --version are answered on the terminal, a picture named
// there is opened once the window is up (as a file manager's "Open with" does),
// --decrypt alone opens the window on its Decrypt tab (as a launcher's action
// does), Qt's own options are left to Qt, and anything else is an error.

#include <string>
#include <string_view>
#include <vector>

namespace vm::ui {

// A picture given on the command line, and the tab the window opens on.
struct PictureArgument {
    std::string path;  // empty: none given (the tab is still shown)
    bool onDecrypt = false;
};

struct ProgramOptions {
    enum class Action { Window, Help, Version, Usage };
    Action action = Action::Window;
    PictureArgument picture;
    std::string error;  // for Usage: what was wrong, naming the argument
};

// Reads the arguments after the program's name.
ProgramOptions parseProgramOptions(const std::vector<std::string_view>& args);

// Prints the help, the version or the usage error and gives the exit status.
int answerOnTerminal(const ProgramOptions& options);

}  // namespace vm::ui

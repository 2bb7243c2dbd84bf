#pragma once
// The two options the windowed program answers on the terminal, before any window
// or display is needed: --help and --version. Everything else is left to Qt.

#include <optional>

namespace vm::ui {

// Prints the help or the version and returns the exit status if the first argument
// asks for one; otherwise nothing, and the program goes on to open its window.
std::optional<int> answerInformationOption(int argc, char** argv);

}  // namespace vm::ui

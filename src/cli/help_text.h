#pragma once
// veilmark-cli's help and version texts.

#include <optional>
#include <string>

#include "cli/args.h"

namespace vm::cli {

// All of it, or the part of one command (hide, reveal or scan).
std::string helpText(std::optional<Command> command = std::nullopt);
std::string versionText();  // one line, with its newline

}  // namespace vm::cli

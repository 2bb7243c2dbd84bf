#pragma once
// The command line of veilmark-cli, parsed into a plain structure. Parsing only
// checks the shape of the line; where a password or message comes from, and
// whether it can be hidden, is decided when the command runs.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/result.h"

namespace vm::cli {

enum class Command { Hide, Reveal, Scan, Help, Version };

struct AreaSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// A file argument that names standard input (INPUT) or output (OUTPUT).
inline constexpr const char* kStandardStream = "-";

struct Arguments {
    Command command = Command::Help;
    std::optional<Command> helpTopic;         // "hide --help", "help hide": that command's part
    std::optional<std::string> password;      // -p, --password
    std::optional<std::string> passwordFile;  // --password-file
    std::optional<std::string> message;       // -m, --message
    std::optional<std::string> messageFile;   // --message-file ("-": standard input)
    std::optional<AreaSize> area;             // --area (reveal and scan)
    bool force = false;                       // -f, --force (hide): replace an existing OUTPUT
    bool raw = false;   // --raw (reveal and scan): the message's bytes, also to a terminal
    bool seal = false;  // --seal (hide): encrypt the message with the password
    std::string input;
    std::string output;  // hide only
};

// The command's name as typed ("hide", "reveal", "scan").
const char* commandName(Command command);

// words: the arguments after the program's name. Fails, saying why, on a line that
// is not well formed.
Result<Arguments> parseArguments(const std::vector<std::string>& words);

// "WIDTHxHEIGHT" with two positive whole numbers, or nothing.
std::optional<AreaSize> parseAreaSize(const std::string& text);

}  // namespace vm::cli

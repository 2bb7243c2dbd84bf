#include "cli/args.h"

#include <getopt.h>

#include <charconv>
#include <iterator>
#include <string_view>

namespace vm::cli {

namespace {

// getopt_long's values for the options without a short name start past any character.
enum Option : int {
    kPassword = 'p',
    kMessage = 'm',
    kForce = 'f',
    kHelp = 'h',
    kPasswordFile = 256,
    kMessageFile,
    kArea,
    kRaw,
    kVersion,
    kSeal,
};

// '-': files come back in turn as value 1, so that options and files mix in any
// order whatever POSIXLY_CORRECT says; ':': a missing value is told apart from an
// unknown option.
constexpr const char* kShortOptions = "-:p:m:fh";
constexpr int kFile = 1;
constexpr option kLongOptions[] = {
    {"password", required_argument, nullptr, kPassword},
    {"password-file", required_argument, nullptr, kPasswordFile},
    {"message", required_argument, nullptr, kMessage},
    {"message-file", required_argument, nullptr, kMessageFile},
    {"area", required_argument, nullptr, kArea},
    {"force", no_argument, nullptr, kForce},
    {"raw", no_argument, nullptr, kRaw},
    {"seal", no_argument, nullptr, kSeal},
    {"help", no_argument, nullptr, kHelp},
    {"version", no_argument, nullptr, kVersion},
    {nullptr, 0, nullptr, 0},
};

// "-p/--password" or "--area", as the option's messages name it.
std::string spelled(int value) {
    for (const option& o : kLongOptions) {
        if (o.name == nullptr || o.val != value) continue;
        const std::string longName = std::string("--") + o.name;
        return value < 256 ? std::string("-") + static_cast<char>(value) + "/" + longName
                           : longName;
    }
    return "?";
}

std::optional<std::int32_t> parseDimension(std::string_view text) {
    if (text.empty() || text.front() < '0' || text.front() > '9') return std::nullopt;
    const char* end = text.data() + text.size();
    std::int32_t value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || value <= 0) return std::nullopt;
    return value;
}

std::optional<Command> commandNamed(std::string_view word) {
    for (const Command c : {Command::Hide, Command::Reveal, Command::Scan})
        if (word == commandName(c)) return c;
    return std::nullopt;
}

bool knownOption(int value) {
    for (const option& o : kLongOptions)
        if (o.name != nullptr && o.val == value) return true;
    return false;
}

// Why getopt_long refused (returned '?' or ':'). A long option, or one missing its
// value, has been passed when it is refused, so word (the one before optind) is it;
// an unknown short option may sit inside a cluster, and only optopt names it.
std::string refusal(int returned, const std::string& word) {
    const std::string name = word.substr(0, word.find('='));
    if (returned == ':') {
        const bool isLong = word.rfind("--", 0) == 0;
        return "option " + (isLong ? name : std::string("-") + static_cast<char>(optopt)) +
               " needs a value";
    }
    if (optopt != 0 && knownOption(optopt)) return "option " + name + " takes no value";
    if (optopt != 0) return "unknown option -" + std::string(1, static_cast<char>(optopt));
    int matches = 0;
    for (const option& o : kLongOptions)
        if (o.name != nullptr && std::string_view(o.name).rfind(name.substr(2), 0) == 0) ++matches;
    if (matches > 1) return "option " + name + " is short for more than one option";
    return "unknown option " + name;
}

// Applies one option, or says why it does not belong on this line.
Result<void> apply(Arguments& a, int value, const char* text) {
    const std::string given = text != nullptr ? text : "";
    switch (value) {
        case kPassword:
        case kPasswordFile:
            if (a.command == Command::Scan)
                return failure("scan takes no password (" + spelled(value) +
                               "): it tries them all");
            if (a.password || a.passwordFile)
                return failure("give the password once: -p, --password or --password-file");
            (value == kPassword ? a.password : a.passwordFile) = given;
            return {};
        case kMessage:
        case kMessageFile:
            if (a.command != Command::Hide)
                return failure(std::string(commandName(a.command)) + " takes no message (" +
                               spelled(value) + ")");
            if (a.message || a.messageFile)
                return failure("give the message once: -m, --message or --message-file");
            (value == kMessage ? a.message : a.messageFile) = given;
            return {};
        case kArea:
            if (a.command == Command::Hide)
                return failure(
                    "--area is for reveal and scan only; hide always uses the size of INPUT");
            if (a.area) return failure("give --area once");
            a.area = parseAreaSize(given);
            if (!a.area)
                return failure("--area wants WIDTHxHEIGHT in points, such as 640x480, not '" +
                               given + "'");
            return {};
        case kForce:
            if (a.command != Command::Hide)
                return failure("-f/--force is for hide only, which replaces OUTPUT");
            a.force = true;
            return {};
        case kRaw:
            if (a.command == Command::Hide)
                return failure("--raw is for reveal and scan only, which print a message");
            a.raw = true;
            return {};
        case kSeal:
            if (a.command != Command::Hide)
                return failure("--seal is for hide only; reveal opens a sealed message by itself");
            a.seal = true;
            return {};
        default:
            return failure("unknown option");
    }
}

Result<Arguments> placeFiles(Arguments a, const std::vector<std::string>& files) {
    const std::string name = commandName(a.command);
    if (a.command == Command::Hide) {
        if (!a.message && !a.messageFile)
            return failure("hide needs a message: -m MESSAGE or --message-file FILE");
        if (files.size() < 2) return failure("hide needs two files: INPUT and OUTPUT");
        if (files.size() > 2)
            return failure("hide takes two files, INPUT and OUTPUT; '" + files[2] +
                           "' is one too many");
        a.input = files[0];
        a.output = files[1];
        if (a.input == kStandardStream && a.messageFile == kStandardStream)
            return failure(
                "standard input can give the message or the picture, not both; name a file for "
                "one of them");
        return a;
    }
    if (files.empty()) return failure(name + " needs the file to read: INPUT");
    if (files.size() > 1)
        return failure(name + " takes one file, INPUT; '" + files[1] + "' is one too many");
    a.input = files[0];
    return a;
}

// "help" alone, or "help COMMAND".
Result<Arguments> helpLine(const std::vector<std::string>& words) {
    Arguments a;
    a.command = Command::Help;
    if (words.size() > 2) return failure("help takes one command at most");
    if (words.size() == 2) {
        a.helpTopic = commandNamed(words[1]);
        if (!a.helpTopic)
            return failure("unknown command '" + words[1] + "'; use hide, reveal or scan");
    }
    return a;
}

}  // namespace

const char* commandName(Command command) {
    switch (command) {
        case Command::Hide:
            return "hide";
        case Command::Scan:
            return "scan";
        case Command::Reveal:
            return "reveal";
        case Command::Help:
            return "help";
        case Command::Version:
            return "version";
    }
    return "";
}

std::optional<AreaSize> parseAreaSize(const std::string& text) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return std::nullopt;
    const std::string_view all(text);
    const std::optional<std::int32_t> width = parseDimension(all.substr(0, x));
    const std::optional<std::int32_t> height = parseDimension(all.substr(x + 1));
    if (!width || !height) return std::nullopt;
    AreaSize size;
    size.width = *width;
    size.height = *height;
    return size;
}

Result<Arguments> parseArguments(const std::vector<std::string>& words) {
    if (words.empty()) return failure("no command given; use hide, reveal or scan");
    const std::string& first = words.front();
    Arguments a;
    if (first == "--help" || first == "-h") return a;
    if (first == "help") return helpLine(words);
    if (first == "--version") {
        a.command = Command::Version;
        return a;
    }
    if (const std::optional<Command> command = commandNamed(first)) {
        a.command = *command;
    } else if (!first.empty() && first.front() == '-') {
        return failure("the command (hide, reveal or scan) comes before the options, not " + first);
    } else {
        return failure("unknown command '" + first + "'; use hide, reveal or scan");
    }

    // getopt_long may reorder its vector: it gets copies, the command in argv[0]'s place.
    std::vector<std::string> copies = words;
    std::vector<char*> argv;
    for (std::string& word : copies) argv.push_back(word.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(copies.size());
    optind = 0;  // a full restart, for a second parse in one process
    opterr = 0;  // the refusals are ours, in one line
    std::vector<std::string> files;
    for (;;) {
        const int value = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, nullptr);
        if (value == -1) break;
        if (value == kFile) {
            files.emplace_back(optarg);
            continue;
        }
        if (value == '?' || value == ':')
            return failure(refusal(value, argv[static_cast<std::size_t>(optind) - 1]));
        // Help and the version win over whatever follows them.
        if (value == kHelp) {
            Arguments help;
            help.helpTopic = a.command;
            return help;
        }
        if (value == kVersion) {
            a.command = Command::Version;
            return a;
        }
        if (Result<void> applied = apply(a, value, optarg); !applied) return applied.why();
    }
    files.insert(files.end(), argv.begin() + optind, argv.begin() + argc);  // after "--"
    return placeFiles(std::move(a), files);
}

}  // namespace vm::cli

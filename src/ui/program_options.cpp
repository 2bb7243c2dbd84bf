#include "ui/program_options.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>

#include "platform/visible_text.h"

namespace vm::ui {

namespace {

constexpr std::string_view kHelp = R"(Usage: veilmark [PICTURE | --decrypt PICTURE] [Qt options]
       veilmark --help | --version

Opens Veilmark's window, which hides a short text message in a picture and
reads it back with the same password. A PICTURE named here opens on the
Encrypt tab, or with --decrypt on the Decrypt tab, as if opened by hand.
Qt's own options, such as -platform NAME, are accepted too; any other
option is an error.

  -h, --help               show this help
      --version            show the version
      --decrypt PICTURE    open PICTURE on the Decrypt tab, to read its message

veilmark-cli does the same from the command line; see veilmark-cli --help.
)";

// Qt's options, as QGuiApplication, QApplication and the X11 plugin take them
// (with one dash or two); these must reach Qt untouched.
constexpr std::array<std::string_view, 14> kQtOptionsWithValue = {
    "-platform",        "-platformpluginpath", "-platformtheme", "-plugin",
    "-qwindowgeometry", "-qwindowicon",        "-qwindowtitle",  "-session",
    "-display",         "-geometry",           "-title",         "-name",
    "-style",           "-stylesheet"};
constexpr std::array<std::string_view, 5> kQtFlags = {"-reverse", "-widgetcount", "-nograb",
                                                      "-dograb", "-sync"};
constexpr std::array<std::string_view, 3> kQtOptionsWithJoinedValue = {
    "-style=", "-stylesheet=", "-qmljsdebugger="};

template <std::size_t N>
bool isOneOf(std::string_view word, const std::array<std::string_view, N>& list) {
    for (std::string_view item : list)
        if (word == item) return true;
    return false;
}

ProgramOptions usage(std::string error) {
    ProgramOptions options;
    options.action = ProgramOptions::Action::Usage;
    // Said on a terminal: a name's control characters are shown, not obeyed.
    options.error = visibleText(error, false);
    return options;
}

ProgramOptions secondPicture(std::string_view path) {
    return usage("one picture at most, but " + std::string(path) + " is another");
}

bool isQtOption(std::string_view word) {
    return isOneOf(word, kQtFlags) ||
           std::any_of(kQtOptionsWithJoinedValue.begin(), kQtOptionsWithJoinedValue.end(),
                       [word](std::string_view prefix) { return word.starts_with(prefix); });
}

int print(std::FILE* stream, std::string_view text) {
    const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    return std::fflush(stream) == 0 && written ? 0 : 1;
}

}  // namespace

ProgramOptions parseProgramOptions(const std::vector<std::string_view>& args) {
    ProgramOptions options;
    bool onlyPictures = false;
    auto takePicture = [&options](std::string_view path, bool onDecrypt) {
        if (!options.picture.path.empty()) return false;
        options.picture = {std::string(path), onDecrypt};
        return true;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view word = args[i];
        if (onlyPictures || word.size() < 2 || word[0] != '-') {
            if (!takePicture(word, false)) return secondPicture(word);
            continue;
        }
        if (word == "--") {
            onlyPictures = true;
        } else if (word == "-h" || word == "--help") {
            options.action = ProgramOptions::Action::Help;
            return options;
        } else if (word == "--version") {
            options.action = ProgramOptions::Action::Version;
            return options;
        } else if (word == "--decrypt" || word.starts_with("--decrypt=")) {
            const bool joined = word != "--decrypt";
            if (!joined && i + 1 == args.size()) return usage("option --decrypt needs a picture");
            const std::string_view path = joined ? word.substr(10) : args[++i];
            if (path.empty()) return usage("option --decrypt needs a picture");
            if (!takePicture(path, true)) return secondPicture(path);
        } else {
            // Qt reads its options with one dash or two.
            const std::string_view qt = word.starts_with("--") ? word.substr(1) : word;
            if (isOneOf(qt, kQtOptionsWithValue)) {
                ++i;
            } else if (!isQtOption(qt)) {
                return usage("unknown option " + std::string(word));
            }
        }
    }
    return options;
}

int answerOnTerminal(const ProgramOptions& options) {
    switch (options.action) {
        case ProgramOptions::Action::Help:
            return print(stdout, kHelp);
        case ProgramOptions::Action::Version:
            return print(stdout, "veilmark " VEILMARK_VERSION "\n");
        case ProgramOptions::Action::Usage:
            print(stderr, "veilmark: " + options.error + " (see veilmark --help)\n");
            return 2;
        case ProgramOptions::Action::Window:
            break;
    }
    return 0;
}

}  // namespace vm::ui

#include "ui/program_options.h"

#include <cstdio>
#include <string_view>

namespace vm::ui {

namespace {

constexpr std::string_view kHelp = R"(Usage: veilmark [--help | --version] [Qt options]

Opens Veilmark's window, which hides a short text message in a picture and
reads it back with the same password. Qt's own options, such as
-platform NAME, are accepted too.

  -h, --help     show this help
      --version  show the version

veilmark-cli does the same from the command line; see veilmark-cli --help.
)";

int print(std::string_view text) {
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    return std::fflush(stdout) == 0 && written ? 0 : 1;
}

}  // namespace

std::optional<int> answerInformationOption(int argc, char** argv) {
    if (argc < 2) return std::nullopt;
    const std::string_view first = argv[1];
    if (first == "--help" || first == "-h") return print(kHelp);
    if (first == "--version") return print("veilmark " VEILMARK_VERSION "\n");
    return std::nullopt;
}

}  // namespace vm::ui

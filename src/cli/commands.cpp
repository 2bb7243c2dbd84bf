#include "cli/commands.h"

#include <new>
#include <ostream>

#include "cli/help_text.h"
#include "cli/hide_command.h"
#include "cli/reveal_command.h"
#include "cli/scan_command.h"
#include "cli/standard_output.h"

namespace vm::cli {

namespace {

std::string usageLine(const std::string& error) {
    return error + " (see " + kProgram + " --help)";
}

}  // namespace

int runCommand(const Arguments& arguments, Console& console) {
    try {
        switch (arguments.command) {
            case Command::Help:
            case Command::Version:
                if (Result<void> written =
                        arguments.command == Command::Help
                            ? writeOutput(console, helpText(arguments.helpTopic), "the help")
                            : writeOutput(console, versionText(), "the version");
                    !written)
                    return report(console, written.why());
                return kDone;
            case Command::Hide:
                return hide(arguments, console);
            case Command::Reveal:
                return reveal(arguments, console);
            case Command::Scan:
                return scan(arguments, console);
        }
    } catch (const std::bad_alloc&) {
        return report(console, kFileError, "there is not enough memory for this picture");
    } catch (const std::exception& e) {
        return report(console, kFileError, e.what());
    }
    return kUsage;
}

int runProgram(const std::vector<std::string>& words, Console& console) {
    const Result<Arguments> parsed = parseArguments(words);
    if (!parsed) return report(console, kUsage, usageLine(parsed.error()));
    return runCommand(*parsed, console);
}

}  // namespace vm::cli

#include <QApplication>

#include <string_view>
#include <vector>

#include "platform/ending_signals.h"
#include "ui/app_main.h"
#include "ui/program_options.h"

int main(int argc, char** argv) {
    // Read before Qt, so that --help, --version and a wrong option need no display.
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const vm::ui::ProgramOptions options = vm::ui::parseProgramOptions(args);
    if (options.action != vm::ui::ProgramOptions::Action::Window)
        return vm::ui::answerOnTerminal(options);
    // Before Qt starts a thread: each inherits the signals held for the one policy.
    vm::installEndingSignalPolicy();
    QApplication app(argc, argv);
    return vm::ui::runApplication(app, options.picture);
}

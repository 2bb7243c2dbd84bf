#include <QApplication>

#include "platform/ending_signals.h"
#include "ui/app_main.h"
#include "ui/program_options.h"

int main(int argc, char** argv) {
    if (const auto status = vm::ui::answerInformationOption(argc, argv)) return *status;
    // Before Qt starts a thread: each inherits the signals held for the one policy.
    vm::installEndingSignalPolicy();
    QApplication app(argc, argv);
    return vm::ui::runApplication(app);
}

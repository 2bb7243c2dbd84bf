#include <QApplication>

#include "ui/app_main.h"
#include "ui/program_options.h"

int main(int argc, char** argv) {
    if (const auto status = vm::ui::answerInformationOption(argc, argv)) return *status;
    QApplication app(argc, argv);
    return vm::ui::runApplication(app);
}

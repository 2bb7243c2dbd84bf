#include <QApplication>

#include "ui/app_main.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return vm::ui::runApplication(app);
}

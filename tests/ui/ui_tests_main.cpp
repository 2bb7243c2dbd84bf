// The window tests: one binary, each suite runnable alone ("veilmark_ui_tests
// MainWindowTest [Qt Test options]"), all of them without an argument.

#include <QApplication>
#include <QStandardPaths>
#include <QTest>

#include "ui/app_style.h"
#include "ui_test_support.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QApplication::setFont(vm::ui::appFont());

    QStringList args = app.arguments();
    QString only;
    if (args.size() > 1 && vm::uitest::suites().count(args.at(1))) only = args.takeAt(1);

    int failures = 0;
    for (const auto& [name, make] : vm::uitest::suites()) {
        if (!only.isEmpty() && name != only) continue;
        std::unique_ptr<QObject> suite = make();
        failures += QTest::qExec(suite.get(), args);
    }
    return failures == 0 ? 0 : 1;
}

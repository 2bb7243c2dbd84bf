#pragma once
// What main() runs once the application object exists: the program's name, font
// and icon, then the main window until the program ends.

#include <functional>

class QApplication;
class QWidget;

namespace vm::ui {

// The name, font and icon every window and dialog of the program carries.
void setUpApplication();

// Sets the application up, shows the main window and runs the event loop.
// beforeShow, when given, is handed the main window just before it is shown.
int runApplication(QApplication& app, const std::function<void(QWidget& main)>& beforeShow = {});

}  // namespace vm::ui

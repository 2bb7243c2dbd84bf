#pragma once
// What main() runs once the application object exists: the program's name, font
// and icon, then the main window until the program ends.

#include <functional>

#include "ui/program_options.h"

class QApplication;
class QWidget;

namespace vm::ui {

// The name, font and icon every window and dialog of the program carries.
void setUpApplication();

// Sets the application up, shows the main window and runs the event loop.
// beforeShow, when given, is handed the main window just before it is shown.
int runApplication(QApplication& app, const std::function<void(QWidget& main)>& beforeShow = {});

// As above; once the window is up, the picture given on the command line (if any)
// opens on its tab as a picture dropped there does, with the same message if it cannot.
int runApplication(QApplication& app, const PictureArgument& picture);

}  // namespace vm::ui

#pragma once
// What main() runs once the application object exists: the program's name, font
// and icon, the main window, and two options for tooling that users never need:
//   --screenshot DIR [PICTURE]  saves a picture of each window into DIR and ends
//   --quit-when-shown           ends as soon as the main window has been drawn

class QApplication;

namespace vm::ui {

int runApplication(QApplication& app);

}  // namespace vm::ui

#pragma once
// Pictures of every window for the documentation: the main window on each tab
// after a real hide and reveal of an example message, then About and Help.

#include <QString>

namespace vm::ui {

// Saves main-encrypt.png, main-decrypt.png, about.png and help.png into dir.
// picture, when given, is opened on both tabs. Returns the process's exit code.
int takeScreenshots(const QString& dir, const QString& picture);

}  // namespace vm::ui

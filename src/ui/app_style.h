#pragma once
// What every window of the program shares: its font, the twips its layout is
// drawn in, and its icon.

#include <QFont>
#include <QIcon>
#include <QRect>

#include "platform/compatibility_names.h"  // twips

namespace vm::ui {

// Layouts are kept in twips; Qt scales device-independent pixels for denser
// screens by itself.
constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twips(left), twips(top), twips(width), twips(height));
}

// Arial 9 points, or its metric twin Liberation Sans where Arial is not installed.
QFont appFont(int pointSize = 9);

// The application icon, 16 to 256 pixels, rendered from the same drawing as the
// icons installed for launchers; for the main window and the Help window.
QIcon appIcon();

}  // namespace vm::ui

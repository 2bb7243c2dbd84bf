#pragma once
// What screen readers are told the program's own widgets are. A plain widget is a
// "filler" to them; the About and Help windows are windows, and a preview is a picture.

namespace vm::ui {

// Once per program; later calls do nothing. Tab bars get tabs that claim the focus
// only when they have it.
void announceOwnWidgets();

}  // namespace vm::ui

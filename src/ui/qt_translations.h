#pragma once
// Qt's standard dialogs (open, save, the buttons of a message box) in the user's
// language, from Qt's own translations where they are installed. Veilmark's own
// texts are not translated.

class QCoreApplication;

namespace vm::ui {

// Installs Qt's translation for the system's language on the application; without
// one (not installed, or English) Qt speaks English, as before.
void loadQtTranslations(QCoreApplication& app);

}  // namespace vm::ui

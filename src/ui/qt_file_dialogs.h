#pragma once
// Open and save dialogs as Qt file dialogs. A request's filter pairs become Qt's
// name filters, the first one selected; the default extension is added to a
// name typed without one; a cancel is the empty text.

#include <QString>
#include <QStringList>

#include "platform/file_dialogs.h"

namespace vm::ui {

// "Bitmap (*.bmp)|*.bmp|All Files (*.*)|*.*" -> {"Bitmap (*.bmp)", "All Files (*)"}.
// A pattern list "*.a;*.b" becomes "*.a *.b"; "*.*" is every file, as the user means it.
QStringList qtNameFilters(const std::string& filter);

class QtFileDialogs : public FileDialogs {
  public:
    std::string ShowOpen(const FileDialogRequest& request) override;
    std::string ShowSave(const FileDialogRequest& request) override;

  private:
    std::string show(const FileDialogRequest& request, bool save);

    // The folder of the last chosen file, where the next dialog of this run opens.
    QString m_folder;
};

}  // namespace vm::ui

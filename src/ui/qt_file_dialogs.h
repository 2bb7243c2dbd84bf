#pragma once
// Open and save dialogs as Qt file dialogs. A request's filter pairs become Qt's
// name filters, the first one selected; the default extension is added to a
// name typed without one; a cancel is the empty text.

#include <QDateTime>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "flows/file_dialogs.h"

namespace vm::ui {

// "Bitmap (*.bmp)|*.bmp|All Files (*.*)|*.*" -> {"Bitmap (*.bmp)", "All Files (*)"}.
// A pattern list "*.a;*.b" becomes "*.a *.b"; "*.*" is every file, as the user means it.
QStringList qtNameFilters(const std::string& filter);

class QtFileDialogs : public FileDialogs {
  public:
    // The window whose handlers ask; the dialogs are its children.
    void setOwner(QWidget* owner) { m_owner = owner; }

    std::string showOpen(const FileDialogRequest& request) override;
    std::string showSave(const FileDialogRequest& request) override;

  private:
    std::string show(const FileDialogRequest& request, bool save);
    QString startFolder();

    // The folder of the last file opened or saved, where the next dialog of this run
    // opens; a folder chosen for a save counts once the file is there, written since.
    QString m_folder;
    QString m_savedFile;
    QDateTime m_savedSince;
    QPointer<QWidget> m_owner;
};

}  // namespace vm::ui

#include "ui/qt_file_dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include "ui/window_fit.h"

namespace vm::ui {

QStringList qtNameFilters(const std::string& filter) {
    QStringList filters;
    for (const auto& [label, pattern] : filterPairs(filter)) {
        QStringList patterns = QString::fromStdString(pattern).split(u';', Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == QLatin1String("*.*")) p = QStringLiteral("*");
        }
        const QString joined = patterns.join(u' ');
        // Labels carry their own pattern in brackets ("Bitmap (*.bmp)"): Qt reads the
        // patterns from there, so that part is rewritten rather than repeated.
        QString text = QString::fromStdString(label).trimmed();
        const qsizetype open = text.lastIndexOf(u'(');
        if (open >= 0 && text.endsWith(u')')) text = text.left(open).trimmed();
        filters << QStringLiteral("%1 (%2)").arg(text, joined);
    }
    return filters;
}

std::string QtFileDialogs::showOpen(const FileDialogRequest& request) {
    return show(request, false);
}

std::string QtFileDialogs::showSave(const FileDialogRequest& request) {
    return show(request, true);
}

namespace {
// /proc, /sys and /dev, where listing a folder can read a device (or wait on one, as
// /proc/kmsg does).
bool systemFolder(const QString& folder) {
    const QString real = QFileInfo(folder).canonicalFilePath();
    for (const char* system : {"/proc", "/sys", "/dev"}) {
        const QString root = QString::fromLatin1(system);
        if (real == root || real.startsWith(root + u'/')) return true;
    }
    return false;
}
}  // namespace

// Where the next dialog opens: the folder of the last file saved or opened, never a
// system folder. It is always named: an unnamed one would be the toolkit's own last
// folder, which a refused save in /proc has already set.
QString QtFileDialogs::startFolder() {
    if (!m_savedFile.isEmpty()) {
        const QFileInfo saved(m_savedFile);
        if (saved.exists() && saved.lastModified() >= m_savedSince) m_folder = saved.absolutePath();
        m_savedFile.clear();
    }
    if (!m_folder.isEmpty() && !systemFolder(m_folder)) return m_folder;
    return systemFolder(QDir::currentPath()) ? QDir::homePath() : QDir::currentPath();
}

std::string QtFileDialogs::show(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(m_owner ? m_owner.data() : QApplication::activeWindow(),
                       QString::fromStdString(request.title), startFolder());
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = qtNameFilters(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.front());
    }
    QString suffix = QString::fromStdString(request.defaultExtension);
    if (suffix.startsWith(u'.')) suffix.remove(0, 1);
    dialog.setDefaultSuffix(suffix);

    fitToScreen(dialog);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.front().isEmpty()) return {};
    const QFileInfo file(chosen.front());
    if (file.fileName().isEmpty()) return {};
    if (save) {
        // Kept only if the save succeeds: a refused one must not pick the next start.
        m_savedFile = file.absoluteFilePath();
        m_savedSince = QDateTime::currentDateTime().addSecs(-1);
    } else {
        m_folder = file.absolutePath();
    }
    // Qt adds the suffix itself; this covers a native dialog that does not.
    return withDefaultExtension(file.absoluteFilePath().toStdString(), request.defaultExtension);
}

}  // namespace vm::ui

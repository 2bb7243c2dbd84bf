#include "ui/qt_file_dialogs.h"

#include <QApplication>
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

std::string QtFileDialogs::show(const FileDialogRequest& request, bool save) {
    QFileDialog dialog(m_owner ? m_owner.data() : QApplication::activeWindow(),
                       QString::fromStdString(request.title), m_folder);
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
    m_folder = file.absolutePath();
    // Qt adds the suffix itself; this covers a native dialog that does not.
    return withDefaultExtension(file.absoluteFilePath().toStdString(), request.defaultExtension);
}

}  // namespace vm::ui

#include "ui/qt_message_boxes.h"

#include <QApplication>

namespace vm::ui {

QMessageBox::Icon iconForCode(int code) {
    switch (code & 0x70) {
        case 16:
            return QMessageBox::Critical;
        case 32:
            return QMessageBox::Question;
        case 48:
            return QMessageBox::Warning;
        case 64:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

namespace {

int showBox(QWidget* owner, const std::string& prompt, QMessageBox::Icon icon,
            const std::string& title, QMessageBox::StandardButtons buttons) {
    QMessageBox box(owner ? owner : QApplication::activeWindow());
    box.setWindowTitle(QString::fromStdString(title));
    // Prompts carry file names; nothing in them is markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(prompt));
    box.setIcon(icon);
    box.setStandardButtons(buttons);
    return box.exec();
}

}  // namespace

void QtMessageBoxes::showMessage(const std::string& prompt, int code,
                                 const std::optional<std::string>& title) {
    showBox(m_owner, prompt, iconForCode(code), title.value_or(kAppTitle), QMessageBox::Ok);
}

bool QtMessageBoxes::confirm(const std::string& prompt, const std::string& title) {
    return showBox(m_owner, prompt, QMessageBox::Warning, title,
                   QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

}  // namespace vm::ui

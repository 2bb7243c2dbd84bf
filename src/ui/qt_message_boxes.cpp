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

void QtMessageBoxes::MsgBox(const std::string& prompt, int code,
                            const std::optional<std::string>& title) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromStdString(title.value_or(kAppTitle)));
    // Prompts carry file names; nothing in them is markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(prompt));
    box.setIcon(iconForCode(code));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

}  // namespace vm::ui

#include "ui/qt_message_boxes.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMoveEvent>

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

// What a screen reader says for the box's icon, which is only a picture.
QString iconName(QMessageBox::Icon icon) {
    switch (icon) {
        case QMessageBox::Critical:
            return QStringLiteral("Error");
        case QMessageBox::Warning:
            return QStringLiteral("Warning");
        case QMessageBox::Question:
            return QStringLiteral("Question");
        case QMessageBox::Information:
            return QStringLiteral("Information");
        default:
            return {};
    }
}

void nameParts(QMessageBox& box, const QString& iconText) {
    // Without names a screen reader meets an unnamed picture and an unnamed panel.
    box.setAccessibleName(box.windowTitle());
    if (auto* icon = box.findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"))) {
        icon->setAccessibleName(iconText);
    }
    if (auto* buttons = box.findChild<QDialogButtonBox*>(QStringLiteral("qt_msgbox_buttonbox")))
        buttons->setAccessibleName(QStringLiteral("Buttons"));
}

// Moves the box with its owner while it is open. A box asked for at start-up is
// centred on where the toolkit thinks the window is, and a window manager may only
// then say where it really put the window: the box follows it there.
class FollowOwner : public QObject {
  public:
    FollowOwner(QWidget* owner, QMessageBox& box) : QObject(&box), m_owner(owner), m_box(box) {
        if (owner) owner->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_owner && event->type() == QEvent::Move && m_box.isVisible()) {
            const auto* moved = static_cast<QMoveEvent*>(event);
            m_box.move(m_box.pos() + moved->pos() - moved->oldPos());
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QWidget* m_owner;
    QMessageBox& m_box;
};

int showBox(QWidget* owner, const std::string& prompt, QMessageBox::Icon icon,
            const std::string& title, QMessageBox::StandardButtons buttons,
            QMessageBox::StandardButton byDefault) {
    QMessageBox box(owner ? owner : QApplication::activeWindow());
    new FollowOwner(box.parentWidget(), box);
    box.setWindowTitle(QString::fromStdString(title));
    // Prompts carry file names; nothing in them is markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromStdString(prompt));
    box.setIcon(icon);
    box.setStandardButtons(buttons);
    box.setDefaultButton(byDefault);
    box.setEscapeButton(buttons.testFlag(QMessageBox::Cancel) ? QMessageBox::Cancel
                                                              : QMessageBox::Ok);
    nameParts(box, iconName(icon));
    return box.exec();
}

}  // namespace

void QtMessageBoxes::showMessage(const std::string& prompt, int code,
                                 const std::optional<std::string>& title) {
    showBox(m_owner, prompt, iconForCode(code), title.value_or(kAppTitle), QMessageBox::Ok,
            QMessageBox::Ok);
}

bool QtMessageBoxes::confirm(const std::string& prompt, const std::string& title) {
    return showBox(m_owner, prompt, QMessageBox::Warning, title,
                   QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel) == QMessageBox::Ok;
}

}  // namespace vm::ui

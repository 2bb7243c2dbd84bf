#include "ui/about_window.h"

#include <QLabel>
#include <QPixmap>

#include "ui/app_style.h"
#include "ui/taskbar_hint.h"

namespace vm::ui {

AboutWindow::AboutWindow(WindowHost& host) : SmallWindow(host, WindowId::About, Qt::Window) {
    setObjectName(QStringLiteral("aboutWindow"));
    setWindowTitle(QStringLiteral("About Veilmark"));
    // A blank icon, so the application's own is not put on this small window.
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    setWindowIcon(QIcon(blank));
    setContentSize(QSize(twips(1845), twips(1185)));

    addLabel("productLabel", QStringLiteral("Veilmark - Tolvane"), twipsRect(120, 120, 1305, 225))
        ->adjustSize();
    addCloseButton(twipsRect(120, 840, 1575, 255));
}

void AboutWindow::showEvent(QShowEvent* event) {
    keepOutOfTaskbar(this);  // before the window is mapped, which follows this event
    SmallWindow::showEvent(event);
}

}  // namespace vm::ui

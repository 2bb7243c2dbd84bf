#include "ui/qt_window_host.h"

#include <QCoreApplication>

#include "ui/about_window.h"
#include "ui/help_window.h"

namespace vm::ui {

QtWindowHost::QtWindowHost(Quit quit) : m_quit(std::move(quit)) {
    if (!m_quit) m_quit = [] { QCoreApplication::exit(0); };
}

QtWindowHost::~QtWindowHost() {
    delete m_about.data();
    delete m_help.data();
}

QPointer<QWidget>& QtWindowHost::slot(WindowId window) {
    switch (window) {
        case WindowId::About:
            return m_about;
        case WindowId::Help:
            return m_help;
        case WindowId::Main:
            break;
    }
    return m_main;
}

QWidget* QtWindowHost::window(WindowId window) const {
    switch (window) {
        case WindowId::About:
            return m_about.data();
        case WindowId::Help:
            return m_help.data();
        case WindowId::Main:
            break;
    }
    return m_main.data();
}

QWidget* QtWindowHost::create(WindowId window) {
    QWidget* made = nullptr;
    if (window == WindowId::About) made = new AboutWindow(*this);
    if (window == WindowId::Help) made = new HelpWindow(*this);
    if (made) made->setAttribute(Qt::WA_DeleteOnClose);
    return made;
}

void QtWindowHost::show(WindowId window) {
    if (m_ended) return;
    QPointer<QWidget>& held = slot(window);
    if (!held) held = create(window);
    if (!held) return;
    QWidget* w = held.data();
    if (w->isMinimized())
        w->showNormal();
    else
        w->show();
    w->raise();
    w->activateWindow();
}

void QtWindowHost::hide(WindowId window) {
    QWidget* w = slot(window).data();
    if (!w) return;
    // Pin the place it had, so showing it again puts it back there rather than
    // letting the window manager choose anew.
    const QPoint place = w->pos();
    w->hide();
    w->move(place);
}

void QtWindowHost::end() {
    if (m_ended) return;
    m_ended = true;
    delete m_about.data();
    delete m_help.data();
    if (m_main) m_main->hide();
    m_quit();
}

}  // namespace vm::ui

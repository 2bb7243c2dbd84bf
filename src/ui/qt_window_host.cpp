#include "ui/qt_window_host.h"

#include <QCoreApplication>
#include <QWindow>

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
    if (!held) {
        m_places.erase(window);  // a new window is placed anew
        held = create(window);
    }
    if (!held) return;
    QWidget* w = held.data();
    if (const auto place = m_places.find(window); place != m_places.end() && !w->isVisible()) {
        // Back where Close left it. Given to the window itself, which always passes
        // it on as a position the window manager keeps (QWidget::move skips a place
        // it thinks the window has already), so it is not placed anew.
        if (QWindow* handle = w->windowHandle()) handle->setPosition(place->second);
    }
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
    m_places[window] = w->geometry().topLeft();  // inside the frame, as the window sets it
    w->hide();
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

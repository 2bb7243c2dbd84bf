#pragma once
// The program's windows: the main window for the whole run, the About and Help windows
// made on first use. Both are modeless and have no owner (About is a utility window
// kept off the taskbar). Close hides either (it keeps its place), its close box destroys
// it (the QPointer goes null, so the next show makes a new one). end() closes
// everything at once.

#include <QPointer>
#include <QWidget>

#include <functional>
#include <map>

#include "ui/window_host.h"

namespace vm::ui {

class QtWindowHost : public WindowHost {
  public:
    using Quit = std::function<void()>;
    // quit ends the event loop; tests pass their own to see that it was asked for.
    explicit QtWindowHost(Quit quit = {});
    ~QtWindowHost() override;
    QtWindowHost(const QtWindowHost&) = delete;
    QtWindowHost& operator=(const QtWindowHost&) = delete;

    void setMain(QWidget* main) { m_main = main; }

    void show(WindowId window) override;
    void hide(WindowId window) override;
    void end() override;

    // The window as it exists now; nullptr before its first Show or after its close box.
    QWidget* window(WindowId window) const;

  private:
    QPointer<QWidget>& slot(WindowId window);
    QWidget* create(WindowId window);

    QPointer<QWidget> m_main;
    QPointer<QWidget> m_about;
    QPointer<QWidget> m_help;
    std::map<WindowId, QPoint> m_places;  // where Close found each window
    Quit m_quit;
    bool m_ended = false;
};

}  // namespace vm::ui

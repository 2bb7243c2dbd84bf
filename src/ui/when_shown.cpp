#include "ui/when_shown.h"

#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <utility>

namespace vm::ui {

namespace {

class ExposeWatch : public QObject {
  public:
    ExposeWatch(QWindow* window, std::function<void()> act)
        : QObject(window), m_window(window), m_act(std::move(act)) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::Expose && m_window->isExposed() &&
            m_act) {
            // Queued behind the window system's word on where the window now is.
            QTimer::singleShot(0, m_window, std::exchange(m_act, {}));
            deleteLater();
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QWindow* m_window;
    std::function<void()> m_act;
};

}  // namespace

void whenShown(QWidget& window, std::function<void()> act) {
    QWindow* handle = window.windowHandle();
    if (!handle || handle->isExposed()) {
        QTimer::singleShot(0, &window, std::move(act));
        return;
    }
    new ExposeWatch(handle, std::move(act));
}

}  // namespace vm::ui

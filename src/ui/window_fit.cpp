#include "ui/window_fit.h"

#include <QEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <QWindow>

namespace vm::ui {

namespace {

// Title bar and border, until the window system says what they are.
constexpr QMargins kAssumedFrame(4, 32, 4, 4);

}  // namespace

QSize fittedSize(QSize content, QSize room, int scrollBarExtent) {
    QSize size = content.boundedTo(room);
    const bool cutWidth = size.width() < content.width();
    const bool cutHeight = size.height() < content.height();
    // A vertical scroll bar takes width from the content, and a horizontal one height.
    if (cutHeight && !cutWidth)
        size.setWidth(std::min(content.width() + scrollBarExtent, room.width()));
    if (cutWidth && !cutHeight)
        size.setHeight(std::min(content.height() + scrollBarExtent, room.height()));
    return size;
}

QScrollArea* makeContentScroller(QWidget* content, QWidget* parent) {
    auto* scroller = new QScrollArea(parent);
    scroller->setObjectName(QStringLiteral("contentScroller"));
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setAlignment(Qt::AlignCenter);
    scroller->setWidget(content);
    scroller->setWidgetResizable(false);
    scroller->setFocusPolicy(Qt::NoFocus);
    return scroller;
}

WindowFit::WindowFit(QWidget* window, QScrollArea* scroller, QSize around)
    : QObject(window), m_window(window), m_scroller(scroller), m_around(around) {
    window->installEventFilter(this);
    apply();
}

void WindowFit::apply() {
    // Not while the window is, or is about to be, as large as the window system says.
    if (!m_window || m_released) return;
    const QSize content = m_scroller->widget()->size();
    QSize room = content;
    if (QScreen* screen = m_window->screen()) {
        QMargins frame =
            m_window->windowHandle() ? m_window->windowHandle()->frameMargins() : QMargins();
        if (frame.isNull()) frame = kAssumedFrame;
        room = screen->availableGeometry().size().shrunkBy(frame) - m_around;
    }
    const int extent = m_window->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize fitted = fittedSize(content, room.expandedTo(QSize(1, 1)), extent);
    m_scroller->setMinimumSize(fitted);
    m_window->setFixedSize(fitted + m_around);
}

bool WindowFit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_window) {
        switch (event->type()) {
            case QEvent::Show:
                if (QWindow* handle = m_window->windowHandle(); handle && !m_watching) {
                    m_watching = true;
                    connect(handle, &QWindow::windowStateChanged, this, &WindowFit::stateRequested);
                    connect(handle, &QWindow::screenChanged, this, &WindowFit::apply);
                }
                apply();
                // Again once the window system has framed the window.
                QTimer::singleShot(300, this, &WindowFit::apply);
                break;
            case QEvent::WindowStateChange:
                // Only the window system's answer counts: a request may still be refused,
                // and a size changed before the answer would not match what it allows.
                if (!event->spontaneous()) break;
                if (m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
                    m_released = true;
                    m_window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
                    // Back to the fixed size; the window stays this large until the
                    // window system agrees.
                    QTimer::singleShot(0, this, [this] {
                        if (m_window && m_window->windowHandle())
                            m_window->windowHandle()->setWindowStates(Qt::WindowNoState);
                    });
                } else {
                    m_released = false;
                    apply();
                }
                break;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void WindowFit::stateRequested(Qt::WindowState state) {
    // Asked before the compositor answers (a click on Qt's own title bar): let the
    // window take whatever size the answer brings, so the window stays valid.
    if (state == Qt::WindowMaximized || state == Qt::WindowFullScreen) {
        m_released = true;
        m_window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        // A window system that ignores the request leaves the window as it was: fixed again.
        QTimer::singleShot(2000, this, [this] {
            if (m_window &&
                !(m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen))) {
                m_released = false;
                apply();
            }
        });
    }
}

}  // namespace vm::ui

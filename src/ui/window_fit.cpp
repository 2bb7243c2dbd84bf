#include "ui/window_fit.h"

#include <QEvent>
#include <QGuiApplication>
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
    if (!m_window) return;
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
    if (!compositorSetsSize()) {
        m_window->setFixedSize(fitted + m_around);
        return;
    }
    m_window->setMinimumSize(fitted + m_around);
    m_window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // Maximised or full screen, the compositor's size stands until the state is left.
    if (!(m_window->windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        m_window->resize(fitted + m_around);
}

bool WindowFit::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::Show) {
        if (QWindow* handle = m_window->windowHandle(); handle && !m_watching) {
            m_watching = true;
            connect(handle, &QWindow::screenChanged, this, &WindowFit::apply);
        }
        apply();
        // Again once the window system has framed the window.
        QTimer::singleShot(300, this, &WindowFit::apply);
    } else if (event->type() == QEvent::WindowStateChange && event->spontaneous() &&
               compositorSetsSize()) {
        // Left maximised or full screen: the window's own size again.
        apply();
    }
    return QObject::eventFilter(watched, event);
}

void fitToScreen(QWidget& dialog) {
    const QWidget* owner = dialog.parentWidget() ? dialog.parentWidget()->window() : &dialog;
    QScreen* screen = owner->screen();
    if (!screen) return;
    const QSize room = screen->availableGeometry().size().shrunkBy(kAssumedFrame);
    dialog.ensurePolished();
    const QSize wanted = dialog.testAttribute(Qt::WA_Resized) ? dialog.size() : dialog.sizeHint();
    // Only its first size: a greatest size would end the program under a Wayland
    // compositor that maximises the dialog.
    dialog.resize(wanted.boundedTo(room));
}

bool compositorSetsSize() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace vm::ui

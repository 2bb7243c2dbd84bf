#include "ui/small_window.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "ui/accessible_roles.h"
#include "ui/app_style.h"
#include "ui/window_fit.h"

namespace vm::ui {

SmallWindow::SmallWindow(WindowHost& host, WindowId id, Qt::WindowFlags flags)
    : QWidget(nullptr,
              flags | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_host(host),
      m_id(id),
      m_content(new QWidget) {
    announceOwnWidgets();
    setFont(appFont());
    m_content->setObjectName(QStringLiteral("content"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_scroller = makeContentScroller(m_content, this);
    layout->addWidget(m_scroller);
}

void SmallWindow::setContentSize(QSize size) {
    m_content->setFixedSize(size);
    if (!m_fit)
        m_fit = new WindowFit(this, m_scroller, QSize(0, 0));
    else
        m_fit->apply();
}

QLabel* SmallWindow::addLabel(const char* name, const QString& text, const QRect& box) {
    auto* label = new QLabel(text, m_content);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(box);
    return label;
}

QPushButton* SmallWindow::addCloseButton(const QRect& box) {
    auto* button = new QPushButton(QStringLiteral("Close"), m_content);
    button->setObjectName(QStringLiteral("closeButton"));
    button->setGeometry(box);
    button->setAutoDefault(true);
    button->setFocus();
    connect(button, &QPushButton::clicked, this, &SmallWindow::putAway);
    return button;
}

void SmallWindow::putAway() {
    m_host.hide(m_id);
    m_host.show(WindowId::Main);
}

}  // namespace vm::ui

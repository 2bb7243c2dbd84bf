#include "ui/small_window.h"

#include <QLabel>
#include <QPushButton>

#include "ui/app_style.h"

namespace vm::ui {

SmallWindow::SmallWindow(WindowHost& host, WindowId id, Qt::WindowFlags flags)
    : QWidget(nullptr,
              flags | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_host(host),
      m_id(id) {
    setFont(appFont());
}

QLabel* SmallWindow::addLabel(const char* name, const QString& text, const QRect& box) {
    auto* label = new QLabel(text, this);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(box);
    return label;
}

QPushButton* SmallWindow::addCloseButton(const QRect& box) {
    auto* button = new QPushButton(QStringLiteral("Close"), this);
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

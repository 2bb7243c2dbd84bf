#include "ui/form1.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "ui/app_style.h"

namespace vm::ui {

Form1::Form1(WindowHost& host, QWidget* parent)
    : QWidget(parent,
              Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_host(host) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("About Veilmark"));
    // A blank icon, so the application's own is not put on this small window.
    QPixmap blank(16, 16);
    blank.fill(Qt::transparent);
    setWindowIcon(QIcon(blank));
    setFont(appFont());
    setFixedSize(twips(1845), twips(1185));

    m_label1 = new QLabel(QStringLiteral("Veilmark - Tolvane"), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setGeometry(twipsRect(120, 120, 1305, 225));
    m_label1->adjustSize();

    m_command1 = addCloseButton(this, twipsRect(120, 840, 1575, 255));
    connect(m_command1, &QPushButton::clicked, this, &Form1::Command1_Click);
}

void Form1::Command1_Click() {
    m_host.Hide(WindowId::About);
    m_host.Show(WindowId::Main);
}

}  // namespace vm::ui

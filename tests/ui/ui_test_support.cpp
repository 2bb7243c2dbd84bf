#include "ui_test_support.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include "ui/message_text_edit.h"

namespace vm::uitest {

std::map<QString, SuiteFactory>& suites() {
    static std::map<QString, SuiteFactory> all;
    return all;
}

Session::Session() {
    host.setMain(&window);
    window.show();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window)) qWarning("the main window did not become active");
}

void Session::selectTab(int index) {
    auto* tabs = child<QTabWidget>(&window, "tabs");
    QTabBar* bar = tabs->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
}

void Session::click(const char* button) {
    QTest::mouseClick(child<QPushButton>(&window, button), Qt::LeftButton);
}

QString Session::text(const char* box) const {
    if (auto* line = window.findChild<QLineEdit*>(QString::fromLatin1(box))) return line->text();
    return child<vm::ui::MessageTextEdit>(&window, box)->boxText();
}

void Session::type(const char* box, const QString& text) {
    QWidget* target = window.findChild<QWidget*>(QString::fromLatin1(box));
    if (!target)
        return QTest::qFail(qPrintable(QStringLiteral("no box %1").arg(box)), __FILE__, __LINE__);
    target->setFocus(Qt::OtherFocusReason);
    for (QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(target, ch.toLatin1());
            continue;
        }
        // A key of a keyboard layout that types this character directly.
        QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

QString writePicture(const vm::test::TempDir& dir, const std::string& name, const QImage& image) {
    const QString path = QString::fromStdString(dir.file(name));
    if (!image.save(path)) QTest::qFail("could not write a test picture", __FILE__, __LINE__);
    return path;
}

}  // namespace vm::uitest

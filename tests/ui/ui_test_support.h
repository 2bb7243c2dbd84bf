#pragma once
// Shared by the window tests: a registry of the suites (one binary, one CTest
// entry per suite), the main window as a new user meets it with a scripted user
// behind its dialogs, and a way to answer a real modal dialog from inside its loop.

#include <QApplication>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTest>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>

#include "support/scripted_platform.h"
#include "support/test_pictures.h"
#include "ui/main_window.h"
#include "ui/qt_window_host.h"

namespace vm::uitest {

using SuiteFactory = std::function<std::unique_ptr<QObject>()>;
std::map<QString, SuiteFactory>& suites();

template <class Suite>
struct RegisterSuite {
    explicit RegisterSuite(const char* name) {
        suites()[QString::fromLatin1(name)] = [] { return std::make_unique<Suite>(); };
    }
};

// A child of a window by its object name; fails the test when it is missing.
template <class T>
T* child(const QObject* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        QTest::qFail(qPrintable(QStringLiteral("no child %1").arg(name)), __FILE__, __LINE__);
    return found;
}

// The program as started: the main window shown and active, its dialogs and message
// boxes answered by a script, and ending the program recorded instead of done.
struct Session {
    vm::test::ScriptedPlatform user;
    int quits = 0;
    vm::ui::QtWindowHost host{[this] { ++quits; }};
    vm::ui::MainWindow window{host, user, user};

    Session();
    // Shows the tab as a click on its caption would.
    void selectTab(int index);
    void click(const char* button);
    QString text(const char* box) const;
    // Types into a box the way a user does, focus first.
    void type(const char* box, const QString& text);
};

// Runs act on the first modal dialog of type T that shows up, from inside its own
// event loop. A dialog that never comes is reported, and one that is never closed
// is rejected after a few seconds so a test cannot hang.
template <class T>
void whenModal(std::function<void(T*)> act) {
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act, waited = 0]() mutable {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            QPointer<T> guard(dialog);
            act(dialog);
            QTimer::singleShot(5000, [guard] {
                if (guard && guard->isVisible()) guard->reject();
            });
        } else if (++waited > 500) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start();
}

// Writes a picture file for the tests; returns its path.
QString writePicture(const vm::test::TempDir& dir, const std::string& name, const QImage& image);

}  // namespace vm::uitest

#include "ui/app_main.h"

#include <QApplication>
#include <QTimer>

#include "ui/app_style.h"
#include "ui/main_window.h"
#include "ui/qt_file_dialogs.h"
#include "ui/qt_message_boxes.h"
#include "ui/qt_window_host.h"
#include "ui/screenshot.h"

namespace vm::ui {

namespace {

// Ends the program once the window it watches has been painted the first time.
class QuitWhenShown : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    bool m_done = false;
};

}  // namespace

int runApplication(QApplication& app) {
    QCoreApplication::setApplicationName(QStringLiteral("Veilmark"));
    QGuiApplication::setDesktopFileName(QStringLiteral("veilmark"));
    QApplication::setFont(appFont());
    // Dialogs and message boxes carry it too; the About window sets a blank one of its own.
    QApplication::setWindowIcon(appIcon());

    const QStringList args = QCoreApplication::arguments();
    const qsizetype shot = args.indexOf(QStringLiteral("--screenshot"));
    if (shot >= 0 && shot + 1 < args.size())
        return takeScreenshots(args.at(shot + 1), shot + 2 < args.size() ? args.at(shot + 2) : "");

    QtMessageBoxes boxes;
    QtFileDialogs dialogs;
    QtWindowHost host;
    MainWindow main(host, boxes, dialogs);
    host.setMain(&main);
    QuitWhenShown probe;
    if (args.contains(QStringLiteral("--quit-when-shown"))) main.installEventFilter(&probe);
    main.show();
    return app.exec();
}

}  // namespace vm::ui

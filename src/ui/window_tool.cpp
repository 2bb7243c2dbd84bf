// Tools for the windows that users never need, kept out of the installed program:
//   veilmark_window_tool --screenshot DIR [PICTURE]
//       saves a picture of each window into DIR (after a real hide and reveal of an
//       example message in PICTURE, when given) and ends
//   veilmark_window_tool --quit-when-shown
//       starts as veilmark does and ends once the main window has been drawn, for
//       timing the start-up

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>

#include "ui/app_main.h"
#include "ui/screenshot.h"

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

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() >= 3 && args.size() <= 4 && args.at(1) == QLatin1String("--screenshot")) {
        vm::ui::setUpApplication();
        return vm::ui::takeScreenshots(args.at(2), args.size() == 4 ? args.at(3) : QString());
    }
    if (args.size() == 2 && args.at(1) == QLatin1String("--quit-when-shown")) {
        QuitWhenShown probe;
        return vm::ui::runApplication(app,
                                      [&probe](QWidget& main) { main.installEventFilter(&probe); });
    }
    std::fprintf(stderr, "usage: %s --screenshot DIR [PICTURE] | --quit-when-shown\n", argv[0]);
    return 2;
}

#include "ui/app_main.h"

#include <QApplication>

#include "ui/app_style.h"
#include "ui/main_window.h"
#include "ui/qt_file_dialogs.h"
#include "ui/qt_message_boxes.h"
#include "ui/qt_window_host.h"

namespace vm::ui {

void setUpApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("Veilmark"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.veilmark.Veilmark"));
    QApplication::setFont(appFont());
    // Dialogs and message boxes carry it too; the About window sets a blank one of its own.
    QApplication::setWindowIcon(appIcon());
}

int runApplication(QApplication& app, const std::function<void(QWidget& main)>& beforeShow) {
    setUpApplication();
    QtMessageBoxes boxes;
    QtFileDialogs dialogs;
    QtWindowHost host;
    MainWindow main(host, boxes, dialogs);
    host.setMain(&main);
    boxes.setOwner(&main);
    dialogs.setOwner(&main);
    if (beforeShow) beforeShow(main);
    main.show();
    return app.exec();
}

}  // namespace vm::ui

#include "ui/app_main.h"

#include <QApplication>
#include <QSettings>

#include "ui/app_style.h"
#include "ui/main_window.h"
#include "ui/qt_file_dialogs.h"
#include "ui/qt_message_boxes.h"
#include "ui/qt_translations.h"
#include "ui/qt_window_host.h"
#include "ui/when_shown.h"

namespace vm::ui {

void setUpApplication() {
    // The window keeps nothing between runs, but Qt's file dialog writes its history
    // and last folder to the user's settings (QtProject.conf): those go where nothing
    // can be written, a folder that cannot exist.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QStringLiteral("/proc/veilmark-keeps-no-settings"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope,
                       QStringLiteral("/proc/veilmark-keeps-no-settings"));
    QCoreApplication::setApplicationName(QStringLiteral("Veilmark"));
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.veilmark.Veilmark"));
    QApplication::setFont(appFont());
    // Dialogs and message boxes carry it too; the About window sets a blank one of its own.
    QApplication::setWindowIcon(appIcon());
    loadQtTranslations(*QCoreApplication::instance());
}

namespace {

int run(QApplication& app, const std::function<void(QWidget& main)>& beforeShow,
        const PictureArgument& picture) {
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
    if (!picture.path.empty() || picture.onDecrypt) {
        // Once the window is placed, so that a refusal's message box is centred on it.
        const auto tab = picture.onDecrypt ? MainWindow::Tab::Decrypt : MainWindow::Tab::Encrypt;
        const QString path = QString::fromStdString(picture.path);
        whenShown(main, [&main, tab, path] { main.openOnTab(tab, path); });
    }
    return app.exec();
}

}  // namespace

int runApplication(QApplication& app, const std::function<void(QWidget& main)>& beforeShow) {
    return run(app, beforeShow, {});
}

int runApplication(QApplication& app, const PictureArgument& picture) {
    return run(app, {}, picture);
}

}  // namespace vm::ui

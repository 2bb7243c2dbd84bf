#include "ui/screenshot.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>

#include <cstdio>

#include "flows/file_dialogs.h"
#include "flows/message_box.h"
#include "platform/visible_text.h"
#include "ui/main_window.h"
#include "ui/message_text_edit.h"
#include "ui/qt_window_host.h"

namespace vm::ui {

namespace {

// Answers the save dialog with a fixed file and keeps message boxes off the screen;
// an error one is printed and remembered, so that the run fails.
class Unattended : public MessageBoxes, public FileDialogs {
  public:
    explicit Unattended(std::string savePath) : m_savePath(std::move(savePath)) {}
    void showMessage(const std::string& prompt, int code,
                     const std::optional<std::string>&) override {
        if (code != vbCritical) return;
        std::fprintf(stderr, "veilmark: %s\n", visibleText(prompt, false).c_str());
        m_failed = true;
    }
    bool confirm(const std::string&, const std::string&) override { return true; }
    std::string showOpen(const FileDialogRequest&) override { return {}; }
    std::string showSave(const FileDialogRequest&) override { return m_savePath; }

    bool failed() const { return m_failed; }

  private:
    std::string m_savePath;
    bool m_failed = false;
};

void settle(int ms = 150) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool save(QWidget* window, const QDir& dir, const QString& name) {
    settle();
    const QString path = dir.filePath(name);
    if (window->grab().save(path)) return true;
    std::fprintf(stderr, "veilmark: could not write %s\n", qPrintable(path));
    return false;
}

}  // namespace

int takeScreenshots(const QString& dirPath, const QString& picture) {
    QDir dir(dirPath);
    if (!dir.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "veilmark: cannot make the folder %s\n", qPrintable(dirPath));
        return 1;
    }
    QTemporaryDir work;
    Unattended platform(work.filePath(QStringLiteral("example.bmp")).toStdString());
    QtWindowHost host([] {});
    MainWindow main(host, platform, platform);
    host.setMain(&main);
    main.show();
    settle(300);

    auto* tabs = main.findChild<QTabWidget*>(QStringLiteral("tabs"));
    if (!picture.isEmpty()) {
        main.openDropped(MainWindow::Tab::Encrypt, picture);
        main.findChild<QLineEdit*>(QStringLiteral("encryptPassword"))
            ->setText(QStringLiteral("tulip"));
        main.findChild<MessageTextEdit*>(QStringLiteral("message"))
            ->setBoxText(QStringLiteral("Meet me by the old mill at noon.\nBring the map."));
        main.findChild<QPushButton*>(QStringLiteral("hideButton"))->click();
        main.openDropped(MainWindow::Tab::Decrypt, work.filePath(QStringLiteral("example.bmp")));
        main.findChild<QLineEdit*>(QStringLiteral("decryptPassword"))
            ->setText(QStringLiteral("tulip"));
        main.findChild<QPushButton*>(QStringLiteral("revealButton"))->click();
    }
    bool ok = save(&main, dir, QStringLiteral("main-encrypt.png"));
    tabs->setCurrentIndex(1);
    ok = save(&main, dir, QStringLiteral("main-decrypt.png")) && ok;
    tabs->setCurrentIndex(0);

    host.show(WindowId::About);
    ok = save(host.window(WindowId::About), dir, QStringLiteral("about.png")) && ok;
    host.show(WindowId::Help);
    ok = save(host.window(WindowId::Help), dir, QStringLiteral("help.png")) && ok;
    return ok && !platform.failed() ? 0 : 1;
}

}  // namespace vm::ui

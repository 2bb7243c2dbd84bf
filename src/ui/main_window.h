#pragma once
// The main window. How the pieces meet:
//  - vm::WindowModel (engine) holds everything the handlers work on: the four texts,
//    both canvases and previews, the working area and the generator. This window
//    owns one and only wires it to widgets: before a handler it copies the boxes'
//    text into the model (line breaks as CR LF), after it shows what changed.
//  - Messages and file dialogs go through vm::MessageBoxes and vm::FileDialogs,
//    given at construction (Qt dialogs in the program, a scripted fake in tests).
//  - Pictures are read and written by the imaging code the model calls; this
//    window only shows the previews it is handed.
//  - The About and Help windows, and ending the program, go through vm::WindowHost.

#include <QMainWindow>

#include <functional>

#include "flows/window_model.h"
#include "imaging/qt_picture_decoder.h"
#include "ui/window_host.h"

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace vm::ui {

class MessageTextEdit;
class PreviewBox;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    MainWindow(WindowHost& host, MessageBoxes& boxes, FileDialogs& dialogs,
               QWidget* parent = nullptr);

    enum class Tab { Encrypt, Decrypt };
    // Opens a picture on a tab as Open Image would, for a file dropped there.
    void openDropped(Tab tab, const QString& path);
    // Shows the tab, then opens a picture there (if any) as a drop would; for the command line.
    void openOnTab(Tab tab, const QString& path);

    const WindowModel& form() const { return m_form; }

    // The buttons' and menu items' handlers.
    void openOnEncrypt();
    void hideMessage();
    void revealMessage();
    void openOnDecrypt();
    void saveEncryptPicture();
    void clearAll();
    void exitProgram();
    void showHelp();
    void showAbout();
    void setSealing(bool on);

  protected:
    void closeEvent(QCloseEvent* event) override;  // ends the program

  private:
    QWidget* buildPage(bool encrypt);
    void buildOffscreenButtons(QWidget* client);
    void buildMenus();
    void orderFocus();

    // Runs slow work (a decode, a key derivation) on another thread while the
    // window waits, busy but drawn.
    void runAside(const std::function<void()>& work);
    // Runs a model handler between copying the boxes in and showing the result.
    void run(const std::function<void()>& handler);
    void pullBoxes();
    void showModel();

    // The boxes the model speaks through. Before one comes up the window shows what
    // the handler has done so far, so that a box emptied by a wrong password is
    // empty while the message says why.
    class ShownFirst : public MessageBoxes {
      public:
        ShownFirst(MainWindow& window, MessageBoxes& boxes) : m_window(window), m_boxes(boxes) {}
        void showMessage(const std::string& prompt, int code,
                         const std::optional<std::string>& title) override;
        bool confirm(const std::string& prompt, const std::string& title) override;

      private:
        MainWindow& m_window;
        MessageBoxes& m_boxes;
    };

    WindowHost& m_host;
    MessageBoxes& m_boxes;
    ShownFirst m_formBoxes;      // before the form, which keeps them
    QtPictureDecoder m_decoder;  // before the form, which keeps it
    WindowModel m_form;
    PictureRef m_shownEncrypt, m_shownDecrypt;  // what the previews show now

    QTabWidget* m_tabs = nullptr;
    // What the window reads, fills and orders for the keyboard on each tab.
    struct TabWidgets {
        PreviewBox* preview = nullptr;
        QLineEdit* password = nullptr;
        MessageTextEdit* message = nullptr;  // the message to hide, or the one revealed
        QPushButton* open = nullptr;
        QPushButton* action = nullptr;  // Encrypt or Decrypt
    };
    TabWidgets m_encrypt, m_decrypt;
    QPushButton* m_offscreenEncrypt = nullptr;
    QPushButton* m_offscreenDecrypt = nullptr;
    QPushButton* m_offscreenSave = nullptr;
    QPushButton* m_offscreenOpen = nullptr;
    QAction* m_sealAction = nullptr;
};

}  // namespace vm::ui

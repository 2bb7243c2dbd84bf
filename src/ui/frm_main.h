#pragma once
// The main window. How the pieces meet:
//  - vm::MainForm (engine) holds everything the handlers work on: the four texts,
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

#include "engine/main_form.h"
#include "platform/window_host.h"

class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;

namespace vm::ui {

class MessageTextEdit;
class PreviewBox;

class frmMain : public QMainWindow {
    Q_OBJECT
  public:
    frmMain(WindowHost& host, MessageBoxes& boxes, FileDialogs& dialogs, QWidget* parent = nullptr);

    enum class Tab { Encrypt, Decrypt };
    // Opens a picture on a tab as Open Image would, for a file dropped there.
    void openDropped(Tab tab, const QString& path);

    const MainForm& form() const { return m_form; }

    // Handlers, named after their control and event.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void cmdSave_Click();
    void mnuClear_Click();
    void mnuExit_Click();
    void mnuContents_Click();
    void mnuAbout_Click();

  protected:
    void closeEvent(QCloseEvent* event) override;  // Form_Unload: ends the program

  private:
    void buildTabs();
    QWidget* buildPage(bool encrypt);
    void buildHiddenButtons(QWidget* client);
    void buildMenus();
    void orderFocus();

    // Runs a model handler between copying the boxes in and showing the result.
    void run(const std::function<void()>& handler);
    void pullBoxes();
    void showModel();

    WindowHost& m_host;
    MessageBoxes& m_boxes;
    MainForm m_form;
    PictureRef m_shown1, m_shown2;  // what the previews show now

    QTabWidget* m_sstab1 = nullptr;
    PreviewBox* m_image1 = nullptr;
    PreviewBox* m_image2 = nullptr;
    QLineEdit* m_text1 = nullptr;
    MessageTextEdit* m_text2 = nullptr;
    MessageTextEdit* m_text3 = nullptr;
    QLineEdit* m_text4 = nullptr;
    QLabel* m_count2 = nullptr;
    QLabel* m_count3 = nullptr;
    QPushButton* m_command1 = nullptr;
    QPushButton* m_command2 = nullptr;
    QPushButton* m_command3 = nullptr;
    QPushButton* m_command4 = nullptr;
    QPushButton* m_cmdEncode = nullptr;
    QPushButton* m_cmdDecode = nullptr;
    QPushButton* m_cmdSave = nullptr;
    QPushButton* m_cmdLoad = nullptr;
};

}  // namespace vm::ui

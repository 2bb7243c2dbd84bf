#include "ui/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QShortcut>
#include <QTabWidget>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <future>

#include "imaging/decoded_picture.h"
#include "imaging/picture_input.h"
#include "platform/user_messages.h"
#include "ui/accessible_roles.h"
#include "ui/app_style.h"
#include "ui/message_length.h"
#include "ui/message_text_edit.h"
#include "ui/picture_drop.h"
#include "ui/preview_box.h"
#include "ui/window_fit.h"

namespace vm::ui {

namespace {

// Ends the program without waiting for a decode that may run for a minute more (or
// block on a pipe), or a key derivation: neither writes anything, so nothing is left
// half done.
[[noreturn]] void endWithoutWaiting() {
    std::fflush(nullptr);
    std::_Exit(0);
}

constexpr qsizetype kLimit = static_cast<qsizetype>(kMessageBoxLimit);

QPushButton* makeButton(const QString& name, const QString& caption, const QRect& box,
                        QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(box);
    button->setAutoDefault(true);  // Enter presses the focused button
    return button;
}

QLabel* makeLabel(const QString& name, const QString& caption, const QRect& box, QWidget* parent,
                  bool sizeToCaption) {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setGeometry(box);
    if (sizeToCaption) label->adjustSize();
    return label;
}

// The names and captions that differ between the two mirrored pages.
struct PageNames {
    const char* preview;
    const char* previewName;
    const char* frame;
    const char* frameCaption;
    const char* passwordLabel;
    const char* password;
    const char* messageLabel;
    const char* message;
    const char* count;
    const char* open;
    const char* action;
    const char* actionCaption;
};

const PageNames kEncryptPage{
    "encryptPreview",       "Picture to hide in",  "encryptFrame", "Embed in image:",
    "encryptPasswordLabel", "encryptPassword",     "messageLabel", "message",
    "messageCount",         "openOnEncryptButton", "hideButton",   "Encrypt"};
const PageNames kDecryptPage{"decryptPreview",       "Picture to read",      "decryptFrame",
                             "Read image:",          "decryptPasswordLabel", "decryptPassword",
                             "revealedMessageLabel", "revealedMessage",      "revealedMessageCount",
                             "openOnDecryptButton",  "revealButton",         "Decrypt"};

}  // namespace

MainWindow::MainWindow(WindowHost& host, MessageBoxes& boxes, FileDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      m_host(host),
      m_boxes(boxes),
      m_formBoxes(*this, boxes),
      m_form(m_formBoxes, dialogs, m_decoder) {
    m_form.setSlowRunner([this](const std::function<void()>& work) { runAside(work); });
    announceOwnWidgets();
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Veilmark"));
    setWindowIcon(appIcon());
    setFont(appFont());

    auto* client = new QWidget;
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twips(6135), twips(7830));
    setCentralWidget(makeContentScroller(client, this));

    m_tabs = new QTabWidget(client);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->setGeometry(twipsRect(0, 0, 6135, 7575));
    m_tabs->addTab(buildPage(true), QStringLiteral("Encrypt"));
    m_tabs->addTab(buildPage(false), QStringLiteral("Decrypt"));
    m_tabs->setCurrentIndex(0);

    buildOffscreenButtons(client);
    buildMenus();
    orderFocus();

    // No resizing: the window is the menu bar and the fixed client area, as far as
    // the screen holds them.
    new WindowFit(this, static_cast<QScrollArea*>(centralWidget()),
                  QSize(0, menuBar()->sizeHint().height()));
    m_offscreenEncrypt->setFocus();
}

QWidget* MainWindow::buildPage(bool encrypt) {
    const PageNames& n = encrypt ? kEncryptPage : kDecryptPage;
    auto* page = new QWidget;
    page->setObjectName(encrypt ? QStringLiteral("encryptPage") : QStringLiteral("decryptPage"));

    auto* preview = new PreviewBox(page);
    preview->setObjectName(QString::fromLatin1(n.preview));
    preview->setGeometry(twipsRect(120, 120, 5895, 4095));
    preview->setAccessibleName(QString::fromLatin1(n.previewName));

    auto* frame = new QGroupBox(QString::fromLatin1(n.frameCaption), page);
    frame->setObjectName(QString::fromLatin1(n.frame));
    frame->setGeometry(twipsRect(240, 4320, 5655, 2775));

    // Each box is named after its label for screen readers, which would otherwise
    // take the frame's caption for both.
    auto* password = new QLineEdit(frame);  // shown as typed, not masked
    password->setObjectName(QString::fromLatin1(n.password));
    password->setGeometry(twipsRect(1080, 300, 4335, 285));
    password->setAccessibleName(QStringLiteral("Password"));
    makeLabel(QString::fromLatin1(n.passwordLabel), QStringLiteral("Password:"),
              twipsRect(120, 360, 885, 225), frame, true)
        ->setBuddy(password);

    auto* message = new MessageTextEdit(kLimit, frame);
    message->setObjectName(QString::fromLatin1(n.message));
    message->setGeometry(twipsRect(1080, 720, 4335, 1455));
    message->setAccessibleName(QStringLiteral("Message"));
    makeLabel(QString::fromLatin1(n.messageLabel), QStringLiteral("Message:"),
              twipsRect(120, 720, 855, 255), frame, false)
        ->setBuddy(message);

    auto* open = makeButton(QString::fromLatin1(n.open), QStringLiteral("Open Image"),
                            twipsRect(120, 2280, 1455, 375), frame);
    auto* action = makeButton(QString::fromLatin1(n.action), QString::fromLatin1(n.actionCaption),
                              twipsRect(3960, 2280, 1455, 375), frame);

    // How much of the message box is used, between the two buttons.
    QLabel* count = makeLabel(QString::fromLatin1(n.count), lengthCaption(0, kLimit),
                              twipsRect(1695, 2280, 2145, 375), frame, false);
    count->setAlignment(Qt::AlignCenter);
    count->setForegroundRole(QPalette::PlaceholderText);
    count->setAccessibleName(lengthSpoken(0, kLimit));
    connect(message, &QPlainTextEdit::textChanged, count, [count, message] {
        count->setText(lengthCaption(message->length(), kLimit));
        count->setAccessibleName(lengthSpoken(message->length(), kLimit));
        count->setToolTip(lengthToolTip(message->length(), kLimit));
    });

    (encrypt ? m_encrypt : m_decrypt) = {preview, password, message, open, action};
    connect(open, &QPushButton::clicked, this,
            encrypt ? &MainWindow::openOnEncrypt : &MainWindow::openOnDecrypt);
    connect(action, &QPushButton::clicked, this,
            encrypt ? &MainWindow::hideMessage : &MainWindow::revealMessage);
    const Tab tab = encrypt ? Tab::Encrypt : Tab::Decrypt;
    new PictureDrop(page, [this, tab](const QString& path) { openDropped(tab, path); });
    return page;
}

void MainWindow::buildOffscreenButtons(QWidget* client) {
    // Placed beyond the client area, so never seen, but there all the same: their
    // access keys work and the focus passes through them.
    m_offscreenEncrypt = makeButton(QStringLiteral("offscreenEncrypt"), QStringLiteral("&Encrypt"),
                                    twipsRect(8040, 1920, 1335, 375), client);
    m_offscreenDecrypt = makeButton(QStringLiteral("offscreenDecrypt"), QStringLiteral("&Decrypt"),
                                    twipsRect(6240, 600, 1335, 375), client);
    m_offscreenSave = makeButton(QStringLiteral("offscreenSave"), QStringLiteral("&Save Image"),
                                 twipsRect(8040, 2760, 1335, 375), client);
    m_offscreenOpen = makeButton(QStringLiteral("offscreenOpen"), QStringLiteral("&Open Image"),
                                 twipsRect(6240, 120, 1335, 375), client);
    connect(m_offscreenSave, &QPushButton::clicked, this, &MainWindow::saveEncryptPicture);
    // A screen reader meets them first in the focus order: say what they are.
    m_offscreenEncrypt->setAccessibleName(QStringLiteral("Alt+E, off screen, does nothing"));
    m_offscreenDecrypt->setAccessibleName(QStringLiteral("Alt+D, off screen, does nothing"));
    m_offscreenSave->setAccessibleName(
        QStringLiteral("Alt+S, off screen: save the Encrypt tab's picture as a bitmap"));
    m_offscreenOpen->setAccessibleName(QStringLiteral("Alt+O, off screen, does nothing"));
}

void MainWindow::buildMenus() {
    auto addItem = [this](QMenu* menu, const QString& name, const QString& caption,
                          void (MainWindow::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
    };
    // The menus' captions carry no access keys; F10 opens File from the keyboard, as
    // on other desktops, and the Seal command's own key (P) works once it is open.
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("fileMenu"));
    file->setToolTipsVisible(true);
    addItem(file, QStringLiteral("clearAction"), QStringLiteral("Clear"), &MainWindow::clearAll);
    // A menu command rather than a box on the Encrypt tab, whose layout is fixed.
    m_sealAction = file->addAction(QStringLiteral("Seal Message With &Password"));
    m_sealAction->setObjectName(QStringLiteral("sealAction"));
    m_sealAction->setCheckable(true);
    m_sealAction->setToolTip(
        QStringLiteral("Encrypt seals the message: only its password opens it, and any change "
                       "to it is found. It may then hold any characters, up to 216 bytes."));
    m_sealAction->setStatusTip(m_sealAction->toolTip());
    connect(m_sealAction, &QAction::toggled, this, &MainWindow::setSealing);
    file->addSeparator()->setObjectName(QStringLiteral("fileSeparator"));
    addItem(file, QStringLiteral("exitAction"), QStringLiteral("Exit"), &MainWindow::exitProgram);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("helpMenu"));
    addItem(help, QStringLiteral("contentsAction"), QStringLiteral("Contents"),
            &MainWindow::showHelp);
    addItem(help, QStringLiteral("aboutAction"), QStringLiteral("About"), &MainWindow::showAbout);

    // Every desktop program's keys for opening and quitting, beside the menus' own.
    auto* open = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_O), this);
    connect(open, &QShortcut::activated, this,
            [this] { m_tabs->currentIndex() == 0 ? openOnEncrypt() : openOnDecrypt(); });
    auto* quit = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), this);
    connect(quit, &QShortcut::activated, this, &MainWindow::exitProgram);
    auto* menus = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(menus, &QShortcut::activated, this,
            [this, file] { menuBar()->setActiveAction(file->menuAction()); });
}

void MainWindow::orderFocus() {
    // Labels and frames take no focus; the controls of the page
    // not shown are skipped while it is hidden.
    QWidget* const order[] = {
        m_offscreenEncrypt, m_offscreenDecrypt, m_offscreenSave, m_offscreenOpen,  m_tabs,
        m_encrypt.password, m_encrypt.message,  m_encrypt.open,  m_encrypt.action, m_decrypt.open,
        m_decrypt.message,  m_decrypt.password, m_decrypt.action};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

void MainWindow::pullBoxes() {
    m_form.encryptPassword = m_encrypt.password->text().toStdU32String();
    m_form.message = toCrLf(m_encrypt.message->boxText().toStdU32String());
    m_form.revealedMessage = toCrLf(m_decrypt.message->boxText().toStdU32String());
    m_form.decryptPassword = m_decrypt.password->text().toStdU32String();
}

void MainWindow::showModel() {
    const auto setLine = [](QLineEdit* box, const std::u32string& text) {
        const QString shown = QString::fromStdU32String(text);
        if (box->text() != shown) box->setText(shown);
    };
    setLine(m_encrypt.password, m_form.encryptPassword);
    m_encrypt.message->setBoxText(QString::fromStdU32String(fromCrLf(m_form.message)));
    m_decrypt.message->setBoxText(QString::fromStdU32String(fromCrLf(m_form.revealedMessage)));
    setLine(m_decrypt.password, m_form.decryptPassword);
    if (m_shownEncrypt != m_form.encryptPreview) {
        m_shownEncrypt = m_form.encryptPreview;
        m_encrypt.preview->setImage(toQImage(m_shownEncrypt));
    }
    if (m_shownDecrypt != m_form.decryptPreview) {
        m_shownDecrypt = m_form.decryptPreview;
        m_decrypt.preview->setImage(toQImage(m_shownDecrypt));
    }
}

void MainWindow::ShownFirst::showMessage(const std::string& prompt, int code,
                                         const std::optional<std::string>& title) {
    m_window.showModel();
    m_boxes.showMessage(prompt, code, title);
}

bool MainWindow::ShownFirst::confirm(const std::string& prompt, const std::string& title) {
    m_window.showModel();
    return m_boxes.confirm(prompt, title);
}

void MainWindow::run(const std::function<void()>& handler) {
    pullBoxes();
    try {
        handler();
    } catch (const std::exception& e) {
        // Nothing the model does should throw this far; if it does, the command
        // stops and the program goes on.
        m_boxes.showMessage(std::string(kCommandUnfinished) + e.what(), vbCritical,
                            std::string(kErrorTitle));
    }
    showModel();
}

void MainWindow::openOnTab(Tab tab, const QString& path) {
    m_tabs->setCurrentIndex(tab == Tab::Encrypt ? 0 : 1);
    if (!path.isEmpty()) openDropped(tab, path);
}

void MainWindow::runAside(const std::function<void()>& work) {
    QEventLoop wait;
    std::atomic<bool> finished{false};
    std::future<void> job = std::async(std::launch::async, [&work, &wait, &finished] {
        // The loop is told to end also when the work throws; get() passes it on.
        struct Wake {
            QEventLoop& loop;
            std::atomic<bool>& done;
            ~Wake() {
                done.store(true);
                QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
            }
        } wake{wait, finished};
        work();
    });
    // Most pictures are done before anyone would notice a pause.
    if (job.wait_for(std::chrono::milliseconds(150)) == std::future_status::ready) return job.get();

    // A large picture or a key derivation: the window keeps drawing, shows it is busy,
    // and takes no input, so no second open, Encrypt or Clear can start before this
    // one has ended.
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QPointer<QWidget> focus = QApplication::focusWidget();
    setEnabled(false);
    wait.exec();
    // The program is ending (the window was closed) while the work still runs:
    // nothing is being saved, so it ends now rather than when the work does.
    if (!finished.load()) endWithoutWaiting();
    setEnabled(true);
    if (focus) focus->setFocus();
    QApplication::restoreOverrideCursor();
    job.get();
}

void MainWindow::openDropped(Tab tab, const QString& path) {
    const std::string file = path.toStdString();
    run([this, tab, &file] {
        if (const Result<void> plain = checkPlainFile(file); !plain) {
            m_boxes.showMessage(plain.error(), vbCritical, std::string(kErrorTitle));
            return;
        }
        if (tab == Tab::Encrypt)
            m_form.dropOnEncrypt(file);
        else
            m_form.dropOnDecrypt(file);
    });
}

void MainWindow::openOnEncrypt() {
    run([this] { m_form.openOnEncrypt(); });
}
void MainWindow::hideMessage() {
    run([this] { m_form.hideMessage(); });
}
void MainWindow::revealMessage() {
    run([this] { m_form.revealMessage(); });
}
void MainWindow::openOnDecrypt() {
    run([this] { m_form.openOnDecrypt(); });
}
void MainWindow::saveEncryptPicture() {
    run([this] { m_form.saveEncryptPicture(); });
}
void MainWindow::clearAll() {
    run([this] { m_form.clearAll(); });
}

void MainWindow::setSealing(bool on) {
    m_form.sealing = on;
}

void MainWindow::exitProgram() {
    m_host.end();
}
void MainWindow::showHelp() {
    m_host.show(WindowId::Help);
}
void MainWindow::showAbout() {
    m_host.show(WindowId::About);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->accept();
    m_host.end();
}

}  // namespace vm::ui

#include "ui/frm_main.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>

#include <exception>

#include "imaging/decoded_picture.h"
#include "imaging/open_image.h"
#include "ui/app_style.h"
#include "ui/message_length.h"
#include "ui/message_text_edit.h"
#include "ui/picture_drop.h"
#include "ui/preview_box.h"

namespace vm::ui {

namespace {

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
    const char* canvas;
    int canvasLeft;
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
    "Image1", "Picture1", 480,         "Frame1",   "Embed in image:", "Label1", "Text1",
    "Label2", "Text2",    "lblCount2", "Command1", "Command2",        "Encrypt"};
const PageNames kDecryptPage{
    "Image2", "Picture2", 720,         "Frame2",   "Read image:", "Label4", "Text4",
    "Label3", "Text3",    "lblCount3", "Command4", "Command3",    "Decrypt"};

}  // namespace

frmMain::frmMain(WindowHost& host, MessageBoxes& boxes, FileDialogs& dialogs, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      m_host(host),
      m_boxes(boxes),
      m_form(boxes, dialogs) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Veilmark"));
    setWindowIcon(appIcon());
    setFont(appFont());

    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(twips(6135), twips(7830));
    setCentralWidget(client);

    m_sstab1 = new QTabWidget(client);
    m_sstab1->setObjectName(QStringLiteral("SSTab1"));
    m_sstab1->setGeometry(twipsRect(0, 0, 6135, 7575));
    m_sstab1->addTab(buildPage(true), QStringLiteral("Encrypt"));
    m_sstab1->addTab(buildPage(false), QStringLiteral("Decrypt"));
    m_sstab1->setCurrentIndex(0);

    buildHiddenButtons(client);
    buildMenus();
    orderFocus();

    // No resizing: the window is the menu bar and the fixed client area.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    m_cmdEncode->setFocus();
}

QWidget* frmMain::buildPage(bool encrypt) {
    const PageNames& n = encrypt ? kEncryptPage : kDecryptPage;
    auto* page = new QWidget;
    page->setObjectName(encrypt ? QStringLiteral("pageEncrypt") : QStringLiteral("pageDecrypt"));

    auto* preview = new PreviewBox(page);
    preview->setObjectName(QString::fromLatin1(n.preview));
    preview->setGeometry(twipsRect(120, 120, 5895, 4095));

    // The canvas lives in the model; this stands where its picture box would, never shown.
    auto* canvas = new QWidget(page);
    canvas->setObjectName(QString::fromLatin1(n.canvas));
    canvas->setGeometry(twipsRect(n.canvasLeft, 5520, 375, 375));
    canvas->hide();

    auto* frame = new QGroupBox(QString::fromLatin1(n.frameCaption), page);
    frame->setObjectName(QString::fromLatin1(n.frame));
    frame->setGeometry(twipsRect(240, 4320, 5655, 2775));

    makeLabel(QString::fromLatin1(n.passwordLabel), QStringLiteral("Password:"),
              twipsRect(120, 360, 885, 225), frame, true);
    auto* password = new QLineEdit(frame);  // shown as typed, not masked
    password->setObjectName(QString::fromLatin1(n.password));
    password->setGeometry(twipsRect(1080, 300, 4335, 285));

    makeLabel(QString::fromLatin1(n.messageLabel), QStringLiteral("Message:"),
              twipsRect(120, 720, 855, 255), frame, false);
    auto* message = new MessageTextEdit(kLimit, frame);
    message->setObjectName(QString::fromLatin1(n.message));
    message->setGeometry(twipsRect(1080, 720, 4335, 1455));

    auto* open = makeButton(QString::fromLatin1(n.open), QStringLiteral("Open Image"),
                            twipsRect(120, 2280, 1455, 375), frame);
    auto* action = makeButton(QString::fromLatin1(n.action), QString::fromLatin1(n.actionCaption),
                              twipsRect(3960, 2280, 1455, 375), frame);

    // How much of the message box is used, between the two buttons.
    QLabel* count = makeLabel(QString::fromLatin1(n.count), lengthCaption(0, kLimit),
                              twipsRect(1695, 2280, 2145, 375), frame, false);
    count->setAlignment(Qt::AlignCenter);
    count->setForegroundRole(QPalette::PlaceholderText);
    connect(message, &QPlainTextEdit::textChanged, count,
            [count, message] { count->setText(lengthCaption(message->length(), kLimit)); });

    if (encrypt) {
        m_image1 = preview;
        m_text1 = password;
        m_text2 = message;
        m_count2 = count;
        m_command1 = open;
        m_command2 = action;
        connect(open, &QPushButton::clicked, this, &frmMain::Command1_Click);
        connect(action, &QPushButton::clicked, this, &frmMain::Command2_Click);
    } else {
        m_image2 = preview;
        m_text4 = password;
        m_text3 = message;
        m_count3 = count;
        m_command4 = open;
        m_command3 = action;
        connect(open, &QPushButton::clicked, this, &frmMain::Command4_Click);
        connect(action, &QPushButton::clicked, this, &frmMain::Command3_Click);
    }
    const Tab tab = encrypt ? Tab::Encrypt : Tab::Decrypt;
    new PictureDrop(page, [this, tab](const QString& path) { openDropped(tab, path); });
    return page;
}

void frmMain::buildHiddenButtons(QWidget* client) {
    // Placed beyond the client area, so never seen, but there all the same: their
    // access keys work and the focus passes through them.
    m_cmdEncode = makeButton(QStringLiteral("cmdEncode"), QStringLiteral("&Encrypt"),
                             twipsRect(8040, 1920, 1335, 375), client);
    m_cmdDecode = makeButton(QStringLiteral("cmdDecode"), QStringLiteral("&Decrypt"),
                             twipsRect(6240, 600, 1335, 375), client);
    m_cmdSave = makeButton(QStringLiteral("cmdSave"), QStringLiteral("&Save Image"),
                           twipsRect(8040, 2760, 1335, 375), client);
    m_cmdLoad = makeButton(QStringLiteral("cmdLoad"), QStringLiteral("&Open Image"),
                           twipsRect(6240, 120, 1335, 375), client);
    connect(m_cmdSave, &QPushButton::clicked, this, &frmMain::cmdSave_Click);
}

void frmMain::buildMenus() {
    auto addItem = [this](QMenu* menu, const QString& name, const QString& caption,
                          void (frmMain::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(name);
        connect(action, &QAction::triggered, this, handler);
    };
    QMenu* file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    addItem(file, QStringLiteral("mnuClear"), QStringLiteral("Clear"), &frmMain::mnuClear_Click);
    file->addSeparator()->setObjectName(QStringLiteral("md1"));
    addItem(file, QStringLiteral("mnuExit"), QStringLiteral("Exit"), &frmMain::mnuExit_Click);

    QMenu* help = menuBar()->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("mnuHelp"));
    addItem(help, QStringLiteral("mnuContents"), QStringLiteral("Contents"),
            &frmMain::mnuContents_Click);
    addItem(help, QStringLiteral("mnuAbout"), QStringLiteral("About"), &frmMain::mnuAbout_Click);
}

void frmMain::orderFocus() {
    // Labels, frames and the hidden canvases take no focus; the controls of the page
    // not shown are skipped while it is hidden.
    QWidget* const order[] = {m_cmdEncode, m_cmdDecode, m_cmdSave,  m_cmdLoad,  m_sstab1,
                              m_text1,     m_text2,     m_command1, m_command2, m_command4,
                              m_text3,     m_text4,     m_command3};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

void frmMain::pullBoxes() {
    m_form.Text1 = m_text1->text().toStdU32String();
    m_form.Text2 = toCrLf(m_text2->boxText().toStdU32String());
    m_form.Text3 = toCrLf(m_text3->boxText().toStdU32String());
    m_form.Text4 = m_text4->text().toStdU32String();
}

void frmMain::showModel() {
    const auto setLine = [](QLineEdit* box, const std::u32string& text) {
        const QString shown = QString::fromStdU32String(text);
        if (box->text() != shown) box->setText(shown);
    };
    setLine(m_text1, m_form.Text1);
    m_text2->setBoxText(QString::fromStdU32String(fromCrLf(m_form.Text2)));
    m_text3->setBoxText(QString::fromStdU32String(fromCrLf(m_form.Text3)));
    setLine(m_text4, m_form.Text4);
    if (m_shown1 != m_form.Image1) {
        m_shown1 = m_form.Image1;
        m_image1->setImage(toQImage(m_shown1));
    }
    if (m_shown2 != m_form.Image2) {
        m_shown2 = m_form.Image2;
        m_image2->setImage(toQImage(m_shown2));
    }
}

void frmMain::run(const std::function<void()>& handler) {
    pullBoxes();
    try {
        handler();
    } catch (const std::exception& e) {
        // Nothing the model does should throw this far; if it does, the command
        // stops and the program goes on.
        m_boxes.MsgBox(std::string("The command could not finish: ") + e.what(), vbCritical,
                       std::string(kErrorTitle));
    }
    showModel();
}

void frmMain::openDropped(Tab tab, const QString& path) {
    const std::string file = path.toStdString();
    run([this, tab, &file] {
        if (tab == Tab::Encrypt)
            m_form.dropOnEncrypt(file);
        else
            m_form.dropOnDecrypt(file);
    });
}

void frmMain::Command1_Click() {
    run([this] { m_form.Command1_Click(); });
}
void frmMain::Command2_Click() {
    run([this] { m_form.Command2_Click(); });
}
void frmMain::Command3_Click() {
    run([this] { m_form.Command3_Click(); });
}
void frmMain::Command4_Click() {
    run([this] { m_form.Command4_Click(); });
}
void frmMain::cmdSave_Click() {
    run([this] { m_form.cmdSave_Click(); });
}
void frmMain::mnuClear_Click() {
    run([this] { m_form.mnuClear_Click(); });
}

void frmMain::mnuExit_Click() {
    m_host.End();
}
void frmMain::mnuContents_Click() {
    m_host.Show(WindowId::Help);
}
void frmMain::mnuAbout_Click() {
    m_host.Show(WindowId::About);
}

void frmMain::closeEvent(QCloseEvent* event) {
    event->accept();
    m_host.End();
}

}  // namespace vm::ui

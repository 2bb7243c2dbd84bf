#include "ui/form2.h"

#include <QLabel>
#include <QPushButton>

#include "ui/app_style.h"

namespace vm::ui {

namespace {

struct Section {
    const char* name;
    QRect box;
    const char* text;
    bool heading;
};

const Section kSections[] = {
    {"Label1", twipsRect(120, 120, 885, 285), "General", true},
    {"Label2", twipsRect(120, 480, 4455, 1095),
     "Veilmark will embed a hidden message in any image. The image will still appear normal. "
     "Also, because a password is used to extract the embedded text, your message is safe even "
     "if the image is opened in any text editors.",
     false},
    {"Label3", twipsRect(120, 1800, 900, 285), "Encrypt", true},
    {"Label4", twipsRect(120, 2160, 4455, 1215),
     "First off, you need to open an image to hide the message in. Then you will need to type in "
     "your desired password and the message to hide. Finally click Encrypt button and save your "
     "new image. Yes, you can change the format if you desire.",
     false},
    {"Label5", twipsRect(120, 3600, 900, 285), "Decrypt", true},
    {"Label6", twipsRect(120, 3960, 4455, 735),
     "Open the image with the message hidden in it. Then all you have to do is type in the "
     "password and click Decrypt. The message will appear in the box.",
     false},
    {"Label7", twipsRect(120, 4920, 675, 285), "Notes", true},
    {"Label8", twipsRect(120, 5280, 4455, 1455),
     "Veilmark has been tested on .bmp, .gif (Still), and .jpg images and is guarenteed to work "
     "with these formats. There is no need to change the format of the image prior to embedding. "
     "You can, for example, open a .bmp image and embed a message then save it as a .jpg.",
     false},
};

}  // namespace

Form2::Form2(WindowHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_host(host) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Veilmark - Help"));
    setWindowIcon(appIcon());
    setFont(appFont());
    setFixedSize(twips(4680), twips(7410));

    QFont headingFont = appFont(12);
    headingFont.setBold(true);
    headingFont.setUnderline(true);
    for (const Section& section : kSections) {
        auto* label = new QLabel(QString::fromLatin1(section.text), this);
        label->setObjectName(QString::fromLatin1(section.name));
        label->setGeometry(section.box);
        if (section.heading) {
            label->setFont(headingFont);
            label->adjustSize();  // headings size themselves to their caption
        } else {
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        }
    }

    m_command1 = addCloseButton(this, twipsRect(3000, 6960, 1575, 375));
    connect(m_command1, &QPushButton::clicked, this, &Form2::Command1_Click);
}

void Form2::Command1_Click() {
    m_host.Hide(WindowId::Help);
    m_host.Show(WindowId::Main);
}

}  // namespace vm::ui

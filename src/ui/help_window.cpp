#include "ui/help_window.h"

#include <QLabel>

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
    {"generalHeading", twipsRect(120, 120, 885, 285), "General", true},
    {"generalText", twipsRect(120, 480, 4455, 1095),
     "Veilmark will embed a hidden message in any image. The image will still appear normal. "
     "Also, because a password is used to extract the embedded text, your message is safe even "
     "if the image is opened in any text editors.",
     false},
    {"encryptHeading", twipsRect(120, 1800, 900, 285), "Encrypt", true},
    {"encryptText", twipsRect(120, 2160, 4455, 1215),
     "First off, you need to open an image to hide the message in. Then you will need to type in "
     "your desired password and the message to hide. Finally click Encrypt button and save your "
     "new image. Yes, you can change the format if you desire.",
     false},
    {"decryptHeading", twipsRect(120, 3600, 900, 285), "Decrypt", true},
    {"decryptText", twipsRect(120, 3960, 4455, 735),
     "Open the image with the message hidden in it. Then all you have to do is type in the "
     "password and click Decrypt. The message will appear in the box.",
     false},
    {"notesHeading", twipsRect(120, 4920, 675, 285), "Notes", true},
    {"notesText", twipsRect(120, 5280, 4455, 1455),
     "Veilmark has been tested on .bmp, .gif (Still), and .jpg images and is guarenteed to work "
     "with these formats. There is no need to change the format of the image prior to embedding. "
     "You can, for example, open a .bmp image and embed a message then save it as a .jpg.",
     false},
};

// Follows the four sections, which stay as they have always read: they promise more
// than a plain message gives, and the last one suggests a format that destroys it.
constexpr const char* kSafetyNote =
    "A plain message is concealed, not protected: anyone with Veilmark can read it without "
    "the password. With File > Seal Message With Password on, Encrypt seals it: only its "
    "password opens it, and any change to it is detected. Anyone can still see that a sealed "
    "message is there, and a short or common password can still be guessed (about 0.1 to 0.2 s "
    "of one processor core per guess). Converting the picture to JPEG destroys any message; PNG "
    "keeps it.";

}  // namespace

HelpWindow::HelpWindow(WindowHost& host)
    : SmallWindow(host, WindowId::Help,
                  Qt::Window | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("Veilmark - Help"));
    setWindowIcon(appIcon());
    setContentSize(QSize(twips(4680), twips(9435)));

    QFont headingFont = appFont(12);
    headingFont.setBold(true);
    headingFont.setUnderline(true);
    for (const Section& section : kSections) {
        QLabel* label = addLabel(section.name, QString::fromLatin1(section.text), section.box);
        if (section.heading) {
            label->setFont(headingFont);
            label->adjustSize();  // headings size themselves to their caption
        } else {
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        }
    }
    QLabel* note =
        addLabel("safetyNote", QString::fromLatin1(kSafetyNote), twipsRect(120, 6840, 4455, 2025));
    note->setWordWrap(true);
    note->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    note->setFrameShape(QFrame::Panel);  // set apart from the sections above
    addCloseButton(twipsRect(3000, 8985, 1575, 375));
}

}  // namespace vm::ui

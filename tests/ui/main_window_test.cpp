// The main window driven as a new user would: open, type, encrypt, save, open the
// result on the other tab, decrypt; the messages before any picture; Clear; the
// keyboard (focus order and access keys); dropping a picture on a tab.

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QUrl>

#include "flows/open_flow.h"
#include "flows/save_flow.h"
#include "flows/window_model.h"
#include "platform/user_messages.h"
#include "ui/message_text_edit.h"
#include "ui/preview_box.h"
#include "ui/window_fit.h"
#include "ui_test_support.h"

using vm::test::TempDir;
using vm::ui::MessageTextEdit;
using vm::ui::PreviewBox;

namespace vm::uitest {

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    TempDir m_dir;
    QString m_picture;  // 64 x 48, every point a different colour

    QAction* action(Session& s, const char* name) { return child<QAction>(&s.window, name); }
    // The window a menu command opens (the main one for no command), or null if none came up.
    QWidget* windowOpenedBy(Session& s, const QString& command) {
        if (command.isEmpty()) return &s.window;
        action(s, qPrintable(command))->trigger();
        QWidget* shown = nullptr;
        const bool came = QTest::qWaitFor([&] {
            shown = QApplication::activeWindow();
            return shown && shown != &s.window;
        });
        return came ? shown : nullptr;
    }

  private Q_SLOTS:
    void initTestCase() {
        m_picture = writePicture(m_dir, "cover.png", vm::test::patternImage(64, 48));
    }

    // The icon is built into the program as a resource of a static library; if that
    // resource is not linked in, the window silently shows no icon at all.
    void carriesTheIconFromSmallToLauncherSizes() {
        Session s;
        const QIcon icon = s.window.windowIcon();
        for (int size : {16, 48, 256}) {
            const QImage image = icon.pixmap(size).toImage();
            QCOMPARE(image.size(), QSize(size, size));
            QVERIFY2(image.pixelColor(size / 2, size / 2).alpha() == 255, "centre not opaque");
        }
    }

    void startsEmptyOnTheEncryptTabAtItsFixedSize() {
        Session s;
        auto* tabs = child<QTabWidget>(&s.window, "tabs");
        QCOMPARE(s.window.windowTitle(), QStringLiteral("Veilmark"));
        QCOMPARE(tabs->count(), 2);
        QCOMPARE(tabs->tabText(0), QStringLiteral("Encrypt"));
        QCOMPARE(tabs->tabText(1), QStringLiteral("Decrypt"));
        QCOMPARE(tabs->currentIndex(), 0);
        for (const char* box : {"encryptPassword", "message", "revealedMessage", "decryptPassword"})
            QVERIFY(s.text(box).isEmpty());
        QVERIFY(child<PreviewBox>(&s.window, "encryptPreview")->isEmpty());
        QVERIFY(child<PreviewBox>(&s.window, "decryptPreview")->isEmpty());
        QVERIFY(!s.window.form().area.loaded);

        // The client area below the menu bar is 409 x 522 and cannot be resized.
        QCOMPARE(s.window.centralWidget()->size(), QSize(409, 522));
        QCOMPARE(s.window.height(), 522 + s.window.menuBar()->height());
        QCOMPARE(s.window.minimumSize(), s.window.maximumSize());
        QVERIFY(!(s.window.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(s.window.windowFlags() & Qt::WindowMinimizeButtonHint);

        // Arial 9, or the metric-compatible face standing in for it.
        const QFontInfo font(child<QLineEdit>(&s.window, "encryptPassword")->font());
        QVERIFY2(font.family() == "Arial" || font.family() == "Liberation Sans",
                 qPrintable(font.family()));
        QCOMPARE(font.pointSize(), 9);
    }

    void controlsSitWhereTheLayoutPutsThem_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("geometry");
        // Twips / 15, relative to the page, the frame or the client area.
        QTest::newRow("encryptPreview") << "encryptPreview" << QRect(8, 8, 393, 273);
        QTest::newRow("decryptFrame") << "decryptFrame" << QRect(16, 288, 377, 185);
        QTest::newRow("message") << "message" << QRect(72, 48, 289, 97);
        QTest::newRow("revealButton") << "revealButton" << QRect(264, 152, 97, 25);
        QTest::newRow("offscreenSave") << "offscreenSave" << QRect(536, 184, 89, 25);
    }
    void controlsSitWhereTheLayoutPutsThem() {
        QFETCH(QString, name);
        QFETCH(QRect, geometry);
        Session s;
        auto* w = s.window.findChild<QWidget*>(name);
        QVERIFY(w);
        QCOMPARE(w->geometry(), geometry);
    }

    // Where the screen's free area is too small the window shrinks to it and scrolls.
    void theScrolledAreaFitsTheRoomLeft_data() {
        QTest::addColumn<QSize>("room");
        QTest::addColumn<QSize>("fitted");
        const int bar = 16;  // the scroll bars' width
        QTest::newRow("room to spare") << QSize(900, 700) << QSize(409, 522);
        QTest::newRow("exactly enough") << QSize(409, 522) << QSize(409, 522);
        QTest::newRow("too low: a bar beside") << QSize(900, 400) << QSize(409 + bar, 400);
        QTest::newRow("too low, no room for the bar") << QSize(410, 400) << QSize(410, 400);
        QTest::newRow("too narrow: a bar below") << QSize(300, 700) << QSize(300, 522 + bar);
        QTest::newRow("both") << QSize(300, 400) << QSize(300, 400);
    }
    void theScrolledAreaFitsTheRoomLeft() {
        QFETCH(QSize, room);
        QFETCH(QSize, fitted);
        QCOMPARE(vm::ui::fittedSize(QSize(409, 522), room, 16), fitted);
    }

    void theFramesFitInsideTheirTabPage() {
        Session s;
        for (const char* frame : {"encryptFrame", "decryptFrame"}) {
            auto* box = child<QGroupBox>(&s.window, frame);
            QVERIFY2(box->parentWidget()->rect().contains(box->geometry()), frame);
        }
    }

    void theOffScreenButtonsAreNeverSeenButWork() {
        Session s;
        const QRect client = s.window.centralWidget()->rect();
        for (const char* name :
             {"offscreenEncrypt", "offscreenDecrypt", "offscreenSave", "offscreenOpen"}) {
            auto* button = child<QPushButton>(&s.window, name);
            QVERIFY2(!client.intersects(button->geometry()), name);
            QVERIFY2(button->isVisible() && button->isEnabled(), name);
        }
    }

    void screenReadersHearWhatEachControlIs_data() {
        QTest::addColumn<QString>("window");  // the menu item that shows it; empty: main
        QTest::addColumn<QString>("name");    // the control; empty: the window itself
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("heard");
        const auto row = [](const char* tag, const char* window, const char* name,
                            QAccessible::Role role, const QString& heard) {
            QTest::newRow(tag) << window << name << int(role) << heard;
        };
        row("main window", "", "", QAccessible::Window, "Veilmark");
        row("Help window", "contentsAction", "", QAccessible::Window, "Veilmark - Help");
        row("About window", "aboutAction", "", QAccessible::Window, "About Veilmark");
        row("Help's Close", "contentsAction", "closeButton", QAccessible::Button, "Close");
        row("About's text", "aboutAction", "productLabel", QAccessible::StaticText,
            "Veilmark - Tolvane");
        row("encryptPassword", "", "encryptPassword", QAccessible::EditableText, "Password");
        row("message", "", "message", QAccessible::EditableText, "Message");
        row("messageCount", "", "messageCount", QAccessible::StaticText,
            "Characters used: 0 of 160");
        row("revealedMessageCount", "", "revealedMessageCount", QAccessible::StaticText,
            "Characters used: 0 of 160");
        row("openOnEncryptButton", "", "openOnEncryptButton", QAccessible::Button, "Open Image");
        row("hideButton", "", "hideButton", QAccessible::Button, "Encrypt");
        row("decryptPassword", "", "decryptPassword", QAccessible::EditableText, "Password");
        row("revealedMessage", "", "revealedMessage", QAccessible::EditableText, "Message");
        row("revealButton", "", "revealButton", QAccessible::Button, "Decrypt");
        row("encryptPreview", "", "encryptPreview", QAccessible::Graphic, "Picture to hide in");
        row("decryptPreview", "", "decryptPreview", QAccessible::Graphic, "Picture to read");
        row("encryptFrame", "", "encryptFrame", QAccessible::Grouping, "Embed in image:");
        row("offscreenEncrypt", "", "offscreenEncrypt", QAccessible::Button,
            "Alt+E, off screen, does nothing");
        row("offscreenSave", "", "offscreenSave", QAccessible::Button,
            "Alt+S, off screen: save the Encrypt tab's picture as a bitmap");
    }
    void screenReadersHearWhatEachControlIs() {
        QFETCH(QString, window);
        QFETCH(QString, name);
        QFETCH(int, role);
        QFETCH(QString, heard);
        Session s;
        QWidget* shown = windowOpenedBy(s, window);
        QVERIFY(shown);
        QWidget* control = name.isEmpty() ? shown : child<QWidget>(shown, qPrintable(name));
        QVERIFY(control);
        QAccessibleInterface* said = QAccessible::queryAccessibleInterface(control);
        QVERIFY(said);
        QCOMPARE(int(said->role()), role);
        QCOMPARE(said->text(QAccessible::Name), heard);
    }

    // A screen reader follows whatever says it has the focus; two such would confuse it.
    void exactlyOneObjectClaimsTheFocus() {
        Session s;
        for (const char* focus : {"offscreenEncrypt", "encryptPassword", "hideButton"}) {
            child<QWidget>(&s.window, focus)->setFocus();
            QStringList claiming;
            std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
                if (node->state().focused) claiming << node->text(QAccessible::Name);
                for (int i = 0; i < node->childCount(); ++i)
                    if (QAccessibleInterface* c = node->child(i)) walk(c);
            };
            walk(QAccessible::queryAccessibleInterface(&s.window));
            QVERIFY2(claiming.size() == 1, qPrintable(focus + (": " + claiming.join(", "))));
        }
    }

    void aMessageGoesInOnOneTabAndComesBackOnTheOther() {
        Session s;
        TempDir out;
        s.user.answer(m_picture.toStdString());
        s.click("openOnEncryptButton");
        QVERIFY(!child<PreviewBox>(&s.window, "encryptPreview")->isEmpty());
        QVERIFY(s.window.form().area.loaded);

        s.type("encryptPassword", "open sesame");
        s.type("message", "Meet at noon.");
        QTest::keyClick(child<MessageTextEdit>(&s.window, "message"), Qt::Key_Return);
        s.type("message", QStringLiteral("Caf\u00e9 by the mill, bring \u20ac5"));
        // A name typed without an extension is saved as a bitmap.
        s.user.answer(out.file("secret"));
        s.click("hideButton");

        const std::string saved = out.file("secret.bmp");
        QVERIFY(std::filesystem::exists(saved));
        QCOMPARE(s.user.boxes.size(), 1u);
        QCOMPARE(s.user.boxes[0].prompt, std::string(kSavedPrompt) + saved);
        QCOMPARE(s.user.boxes[0].code, int(vbOKOnly));
        QCOMPARE(s.user.boxes[0].title.value_or(""), std::string(kSavedTitle));

        s.selectTab(1);
        QCOMPARE(child<QTabWidget>(&s.window, "tabs")->currentIndex(), 1);
        s.user.answer(saved);
        s.click("openOnDecryptButton");
        QVERIFY(!child<PreviewBox>(&s.window, "decryptPreview")->isEmpty());
        s.type("decryptPassword", "open sesame");
        s.click("revealButton");
        QCOMPARE(s.text("revealedMessage"),
                 QStringLiteral("Meet at noon.\nCaf\u00e9 by the mill, bring \u20ac5"));
        // The model holds the line break as CR LF, as it was hidden.
        QCOMPARE(s.window.form().revealedMessage,
                 std::u32string(U"Meet at noon.\r\nCaf\u00e9 by the mill, bring \u20ac5"));

        // One wrong character in the password, and the box is emptied.
        QTest::keyClick(child<QLineEdit>(&s.window, "decryptPassword"), Qt::Key_Backspace);
        s.type("decryptPassword", "!");
        s.click("revealButton");
        QVERIFY(s.text("revealedMessage").isEmpty());
        QCOMPARE(s.user.boxes.size(), 1u);  // and nothing is said
    }

    void aLongRevealIsShownWhole() {
        // Only the user's typing is limited: a message the program puts there is not cut.
        Session s;
        TempDir out;
        s.user.answer(m_picture.toStdString());
        s.click("openOnEncryptButton");
        const QString longMessage(200, u'm');
        child<MessageTextEdit>(&s.window, "message")->setBoxText(longMessage);
        s.user.answer(out.file("long.bmp"));
        s.click("hideButton");
        s.user.answer(out.file("long.bmp"));
        s.click("openOnDecryptButton");
        s.click("revealButton");
        QCOMPARE(s.text("revealedMessage"), longMessage);
        const QLabel* counter = child<QLabel>(&s.window, "revealedMessageCount");
        QCOMPARE(counter->text(), QStringLiteral("200/160 (over limit)"));
        QVERIFY(counter->toolTip().contains(QStringLiteral("shown whole")));
    }

    void beforeAnyPictureEncryptAndDecryptAnswerDifferently() {
        Session s;
        s.click("hideButton");
        s.selectTab(1);
        s.click("revealButton");
        QCOMPARE(s.user.boxes.size(), 2u);
        QCOMPARE(s.user.boxes[0].prompt, std::string(kLoadFirst));
        QCOMPARE(s.user.boxes[0].code, int(vbCritical));
        QCOMPARE(s.user.boxes[0].title, std::optional<std::string>(kErrorTitle));
        QCOMPARE(s.user.boxes[1].prompt, std::string(kLoadFirst));
        QCOMPARE(s.user.boxes[1].code, int(vbOKOnly));
        QVERIFY(!s.user.boxes[1].title.has_value());  // so it bears the application title
        QVERIFY(s.user.dialogs.empty());
    }

    void clearEmptiesBothTabsAndKeepsTheTab() {
        Session s;
        s.user.answer(m_picture.toStdString());
        s.click("openOnEncryptButton");
        s.type("encryptPassword", "pw");
        s.type("message", "hello");
        s.selectTab(1);
        s.user.answer(m_picture.toStdString());
        s.click("openOnDecryptButton");
        s.type("decryptPassword", "pw");
        s.type("revealedMessage", "typed here too");
        s.selectTab(0);

        action(s, "clearAction")->trigger();
        for (const char* box : {"encryptPassword", "message", "revealedMessage", "decryptPassword"})
            QVERIFY2(s.text(box).isEmpty(), box);
        QVERIFY(child<PreviewBox>(&s.window, "encryptPreview")->isEmpty());
        QVERIFY(child<PreviewBox>(&s.window, "decryptPreview")->isEmpty());
        QVERIFY(!s.window.form().area.loaded);
        QCOMPARE(child<QTabWidget>(&s.window, "tabs")->currentIndex(), 0);
        QCOMPARE(child<QLabel>(&s.window, "messageCount")->text(), QStringLiteral("0/160"));

        // As if no picture had ever been opened.
        s.click("hideButton");
        QCOMPARE(s.user.boxes.size(), 1u);
        QCOMPARE(s.user.boxes[0].code, int(vbCritical));
        QCOMPARE(s.user.dialogs.size(), 2u);  // only the two opens
    }

    void thePreviewStretchesThePictureToFillItsBox() {
        Session s;
        QImage halves(2, 1, QImage::Format_RGB32);
        halves.setPixel(0, 0, qRgb(255, 0, 0));
        halves.setPixel(1, 0, qRgb(0, 0, 255));
        s.user.answer(writePicture(m_dir, "halves.png", halves).toStdString());
        s.click("openOnEncryptButton");
        const QImage shown = child<PreviewBox>(&s.window, "encryptPreview")->grab().toImage();
        QCOMPARE(shown.size(), QSize(393, 273));
        const QColor left = shown.pixelColor(20, 260), right = shown.pixelColor(370, 10);
        QVERIFY2(left.red() > 200 && left.blue() < 60, qPrintable(left.name()));
        QVERIFY2(right.blue() > 200 && right.red() < 60, qPrintable(right.name()));
        // The other tab's preview is its own.
        QVERIFY(child<PreviewBox>(&s.window, "decryptPreview")->isEmpty());
    }

    void aDroppedPictureOpensOnThatTab() {
        Session s;
        s.selectTab(1);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(m_picture)});
        mime.setText(m_picture);
        // Let go over the message box: the picture opens, its name is not typed in.
        auto* revealedBox = child<MessageTextEdit>(&s.window, "revealedMessage");
        const QPoint at = revealedBox->viewport()->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(revealedBox->viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(revealedBox->viewport(), &drop);

        QVERIFY(drop.isAccepted());
        QVERIFY(s.text("revealedMessage").isEmpty());
        QVERIFY(!child<PreviewBox>(&s.window, "decryptPreview")->isEmpty());
        QVERIFY(child<PreviewBox>(&s.window, "encryptPreview")->isEmpty());
        QVERIFY(s.window.form().decryptCanvas.picture());
        QCOMPARE(s.window.form().area.width, 64);
        QVERIFY(s.user.dialogs.empty());  // no dialog on the way

        // A file that is no picture is refused as Open Image would refuse it.
        QMimeData bad;
        const std::string notPicture = m_dir.file("notes.txt");
        vm::test::writeFile(notPicture, "just words");
        bad.setUrls({QUrl::fromLocalFile(QString::fromStdString(notPicture))});
        QWidget* page = child<QWidget>(&s.window, "decryptPage");
        QDragEnterEvent badEnter(QPoint(5, 5), Qt::CopyAction, &bad, Qt::LeftButton,
                                 Qt::NoModifier);
        QApplication::sendEvent(page, &badEnter);
        QDropEvent badDrop(QPointF(5, 5), Qt::CopyAction, &bad, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(page, &badDrop);
        QCOMPARE(s.user.boxes.size(), 1u);
        QCOMPARE(s.user.boxes[0].code, int(vbCritical));
        QVERIFY(
            !child<PreviewBox>(&s.window, "decryptPreview")->isEmpty());  // the earlier one stays
    }

    void focusStartsOffScreenAndTabFollowsTheOrder_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QStringList>("order");
        const QStringList start{"offscreenEncrypt", "offscreenDecrypt", "offscreenSave",
                                "offscreenOpen", "tabs"};
        QTest::newRow("Encrypt") << 0
                                 << start + QStringList{"encryptPassword", "message",
                                                        "openOnEncryptButton", "hideButton",
                                                        "offscreenEncrypt"};
        QTest::newRow("Decrypt") << 1
                                 << start + QStringList{"openOnDecryptButton", "revealedMessage",
                                                        "decryptPassword", "revealButton",
                                                        "offscreenEncrypt"};
    }
    void focusStartsOffScreenAndTabFollowsTheOrder() {
        QFETCH(int, tab);
        QFETCH(QStringList, order);
        Session s;
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(&s.window, "offscreenEncrypt"));
        child<QTabWidget>(&s.window, "tabs")->setCurrentIndex(tab);
        auto* tabs = child<QTabWidget>(&s.window, "tabs");
        for (qsizetype i = 1; i < order.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* focus = QApplication::focusWidget();
            // The tab control takes the focus on its row of tabs.
            const QString name =
                focus == tabs->tabBar() ? QStringLiteral("tabs") : focus->objectName();
            QCOMPARE(name, order.at(i));
        }
    }

    void altSSavesAndTheOtherAccessKeysDoNothing() {
        Session s;
        TempDir out;
        s.user.answer(m_picture.toStdString());
        s.click("openOnEncryptButton");
        s.type("message", "untouched");
        const auto dialogsBefore = s.user.dialogs.size();

        for (Qt::Key key : {Qt::Key_E, Qt::Key_D, Qt::Key_O})
            QTest::keyClick(&s.window, key, Qt::AltModifier);
        QTest::qWait(300);  // an access key clicks after a short delay
        QCOMPARE(s.user.dialogs.size(), dialogsBefore);
        QVERIFY(s.user.boxes.empty());
        QCOMPARE(s.text("message"), QStringLiteral("untouched"));
        QCOMPARE(child<QTabWidget>(&s.window, "tabs")->currentIndex(), 0);

        s.user.answer(out.file("plain"));
        QTest::keyClick(&s.window, Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(s.user.dialogs.size(), dialogsBefore + 1);
        QVERIFY(s.user.dialogs.back().save);
        QCOMPARE(s.user.dialogs.back().request.filter, std::string(kSaveOnlyBitmapFilter));
        QVERIFY(std::filesystem::exists(out.file("plain.bmp")));
        QVERIFY(s.user.boxes.empty());  // it says nothing
    }

    // F10 opens File and P turns sealing on, then off; off at start, heard as a check item.
    void sealingTurnsOnAndOffFromTheKeyboard() {
        Session s;
        QAction* seal = action(s, "sealAction");
        QVERIFY(!seal->isChecked() && !s.window.form().sealing);
        for (const bool on : {true, false}) {
            QTest::keyClick(&s.window, Qt::Key_F10);
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu && menu->objectName() == QStringLiteral("fileMenu"));
            QTest::keyClick(menu, Qt::Key_P);
            QCOMPARE(s.window.form().sealing, on);
            QAccessibleInterface* item = QAccessible::queryAccessibleInterface(menu)->child(
                int(menu->actions().indexOf(seal)));
            QCOMPARE(item->text(QAccessible::Name), QStringLiteral("Seal Message With Password"));
            QVERIFY(item->state().checkable && bool(item->state().checked) == on);
        }
    }

    // Sealing on, Encrypt seals any characters; Decrypt opens them only with their
    // password, and otherwise empties the box and says why.
    void aSealedMessageOpensOnlyWithItsPassword_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("opens");
        QTest::newRow("its password") << "tulip mountain" << true;
        QTest::newRow("another password") << "tulip mountains" << false;
    }
    void aSealedMessageOpensOnlyWithItsPassword() {
        QFETCH(QString, password);
        QFETCH(bool, opens);
        const QString text = QStringLiteral("\u041f\u0440\u0438\u0432\u0435\u0442 \U0001F44B");
        Session s;
        TempDir out;
        action(s, "sealAction")->trigger();
        s.user.answer(m_picture.toStdString());
        s.click("openOnEncryptButton");
        s.type("encryptPassword", "tulip mountain");
        child<MessageTextEdit>(&s.window, "message")->setBoxText(text);
        s.user.answer(out.file("sealed.bmp"));
        s.click("hideButton");
        s.selectTab(1);
        s.user.answer(out.file("sealed.bmp"));
        s.click("openOnDecryptButton");
        s.type("revealedMessage", "left from before");
        s.type("decryptPassword", password);
        s.click("revealButton");
        QCOMPARE(s.text("revealedMessage"), opens ? text : QString());
        QCOMPARE(s.user.boxes.size(), opens ? 1u : 2u);  // saved, then why it stays closed
        if (!opens)
            QCOMPARE(s.user.boxes[1].prompt, std::string("A sealed message is hidden here, and "
                                                         "this password does not open it."));
    }

    void ctrlOOpensOnTheTabShownAndCtrlQQuits_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("opened");  // the preview that shows the picture, or none
        QTest::newRow("Ctrl+O on Encrypt") << 0 << int(Qt::Key_O) << "encryptPreview";
        QTest::newRow("Ctrl+O on Decrypt") << 1 << int(Qt::Key_O) << "decryptPreview";
        QTest::newRow("Ctrl+Q") << 1 << int(Qt::Key_Q) << "";
    }
    void ctrlOOpensOnTheTabShownAndCtrlQQuits() {
        QFETCH(int, tab);
        QFETCH(int, key);
        QFETCH(QString, opened);
        Session s;
        s.selectTab(tab);
        s.user.answer(m_picture.toStdString());
        QTest::keyClick(&s.window, Qt::Key(key), Qt::ControlModifier);
        QCOMPARE(s.user.dialogs.size(), opened.isEmpty() ? 0u : 1u);
        QCOMPARE(s.quits, opened.isEmpty() ? 1 : 0);
        for (const char* preview : {"encryptPreview", "decryptPreview"})
            QCOMPARE(child<PreviewBox>(&s.window, preview)->isEmpty(), opened != preview);
    }

    void enterPressesTheFocusedButton() {
        Session s;
        auto* command2 = child<QPushButton>(&s.window, "hideButton");
        command2->setFocus();
        QTest::keyClick(command2, Qt::Key_Return);
        QCOMPARE(s.user.boxes.size(), 1u);
        QCOMPARE(s.user.boxes[0].prompt, std::string(kLoadFirst));
    }
};

static RegisterSuite<MainWindowTest> g_registered("MainWindowTest");

}  // namespace vm::uitest

#include "main_window_test.moc"

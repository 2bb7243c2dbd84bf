// The two message boxes take at most 160 characters from the user, a line break
// counting two, whether typed or pasted; the counter beside the buttons follows.

#include <QAccessible>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>

#include "ui/message_length.h"
#include "ui/message_text_edit.h"
#include "ui_test_support.h"

using vm::ui::boxLength;
using vm::ui::fitInsertion;
using vm::ui::MessageTextEdit;

namespace vm::uitest {

class MessageLimitTest : public QObject {
    Q_OBJECT

  private:
    // Both message boxes behave alike; each case runs on each.
    static void boxes() {
        QTest::addColumn<QString>("box");
        QTest::newRow("message") << "message";
        QTest::newRow("revealedMessage") << "revealedMessage";
    }
    static MessageTextEdit* shownBox(Session& s, const QString& name) {
        s.selectTab(name == "message" ? 0 : 1);
        auto* box = child<MessageTextEdit>(&s.window, qPrintable(name));
        box->setFocus();
        return box;
    }

  private Q_SLOTS:
    void counting() {
        QCOMPARE(boxLength(u"abc"), 3);
        QCOMPARE(boxLength(u"a\nb"), 4);
        QCOMPARE(boxLength(u"a\r\nb"), 4);
        QCOMPARE(boxLength(QStringLiteral("a\u2029b")), 4);  // a paragraph break in the document
        QCOMPARE(boxLength(QString::fromUcs4(U"\U0001F600x")),
                 2);  // one character, two UTF-16 units
    }

    void cutting() {
        QCOMPARE(fitInsertion(u"abcdef", 4), QStringLiteral("abcd"));
        QCOMPARE(fitInsertion(u"ab\ncd", 4), QStringLiteral("ab\n"));
        QCOMPARE(fitInsertion(u"ab\ncd", 3), QStringLiteral("ab"));  // a break is not split
        QCOMPARE(fitInsertion(QString::fromUcs4(U"a\U0001F600"), 1), QStringLiteral("a"));
        QCOMPARE(fitInsertion(u"abc", 0), QString());
    }

    void theHundredAndSixtyFirstTypedCharacterIsRefused_data() { boxes(); }
    void theHundredAndSixtyFirstTypedCharacterIsRefused() {
        QFETCH(QString, box);
        Session s;
        MessageTextEdit* edit = shownBox(s, box);
        QTest::keyClicks(edit, QString(159, u'a'));
        QTest::keyClicks(edit, "bc");
        QCOMPARE(edit->boxText(), QString(159, u'a') + "b");
        QCOMPARE(edit->length(), 160);
        // Nor does a character typed with AltGr, which some systems report as Ctrl+Alt.
        const auto altGr = Qt::ControlModifier | Qt::AltModifier;
        QTest::sendKeyEvent(QTest::Press, edit, Qt::Key_E, QStringLiteral("\u20ac"), altGr);
        QTest::sendKeyEvent(QTest::Release, edit, Qt::Key_E, QStringLiteral("\u20ac"), altGr);
        QCOMPARE(edit->length(), 160);
        // Deleting makes room again.
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClicks(edit, "z");
        QVERIFY(edit->boxText().endsWith("az"));
    }

    void aLineBreakCountsTwo_data() { boxes(); }
    void aLineBreakCountsTwo() {
        QFETCH(QString, box);
        Session s;
        MessageTextEdit* edit = shownBox(s, box);
        QTest::keyClicks(edit, QString(159, u'a'));
        QTest::keyClick(edit, Qt::Key_Return);  // needs two places, one is left
        QCOMPARE(edit->boxText(), QString(159, u'a'));
        QTest::keyClick(edit, Qt::Key_Backspace);
        QTest::keyClick(edit, Qt::Key_Return, Qt::ShiftModifier);
        QCOMPARE(edit->boxText(), QString(158, u'a') + "\n");
        QCOMPARE(edit->length(), 160);
        const QString counter = box == "message" ? "messageCount" : "revealedMessageCount";
        QCOMPARE(child<QLabel>(&s.window, qPrintable(counter))->text(), QStringLiteral("160/160"));
    }

    void aPasteIsCutToWhatFits_data() { boxes(); }
    void aPasteIsCutToWhatFits() {
        QFETCH(QString, box);
        Session s;
        MessageTextEdit* edit = shownBox(s, box);
        QTest::keyClicks(edit, QString(150, u'a'));
        // Ten places left: three letters, a CR LF worth two, then five more letters.
        QApplication::clipboard()->setText(QStringLiteral("xyz\r\n1234567890"));
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->boxText(), QString(150, u'a') + "xyz\n12345");
        QCOMPARE(edit->length(), 160);
        // Full: a further paste adds nothing.
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->length(), 160);
    }

    void aPasteOverASelectionUsesItsRoom() {
        Session s;
        MessageTextEdit* edit = shownBox(s, "message");
        QTest::keyClicks(edit, QString(160, u'a'));
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QApplication::clipboard()->setText(QString(300, u'b'));
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(edit->boxText(), QString(160, u'b'));
        // Typing over a selection at the limit replaces it.
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(edit, "c");
        QCOMPARE(edit->boxText(), QStringLiteral("c"));
    }

    void theBoxKeepsCharactersThatPlainTextWouldChange() {
        // A no-break space is a character of its own in the message.
        MessageTextEdit edit(160);
        const QString text = QStringLiteral("a\u00a0b\nc");
        edit.setBoxText(text);
        QCOMPARE(edit.boxText(), text);
    }

    void tabMovesOnInsteadOfTyping() {
        Session s;
        MessageTextEdit* edit = shownBox(s, "message");
        QTest::keyClick(edit, Qt::Key_Tab);
        QVERIFY(edit->boxText().isEmpty());
        QVERIFY(!edit->hasFocus());
    }

    void theCounterFollowsTheBox() {
        Session s;
        auto* counter = child<QLabel>(&s.window, "messageCount");
        QCOMPARE(counter->text(), QStringLiteral("0/160"));
        s.type("message", "hi");
        QTest::keyClick(child<MessageTextEdit>(&s.window, "message"), Qt::Key_Return);
        s.type("message", "you");
        QCOMPARE(counter->text(), QStringLiteral("7/160"));
        QCOMPARE(QAccessible::queryAccessibleInterface(counter)->text(QAccessible::Name),
                 QStringLiteral("Characters used: 7 of 160"));
    }
};

static RegisterSuite<MessageLimitTest> g_registered("MessageLimitTest");

}  // namespace vm::uitest

#include "message_limit_test.moc"

// About and Help: made on first use, never two of a kind, Close hides and brings
// the main window back, the close box destroys; Exit and closing the main window
// end everything at once.

#include <QAction>
#include <QLabel>
#include <QPushButton>

#include "ui/message_text_edit.h"
#include "ui_test_support.h"

using vm::WindowId;

namespace vm::uitest {

class SecondaryWindowsTest : public QObject {
    Q_OBJECT

  private:
    static void choose(Session& s, const char* item) { child<QAction>(&s.window, item)->trigger(); }
    static int visibleTopLevels(const char* name) {
        int n = 0;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String(name) && w->isVisible()) ++n;
        return n;
    }
    static void windows() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("window");
        QTest::newRow("About") << "aboutAction" << int(WindowId::About);
        QTest::newRow("Help") << "contentsAction" << int(WindowId::Help);
    }

  private Q_SLOTS:
    void noneExistsUntilChosen() {
        Session s;
        QVERIFY(!s.host.window(WindowId::About));
        QVERIFY(!s.host.window(WindowId::Help));
    }

    void choosingTwiceShowsOneWindow_data() { windows(); }
    void choosingTwiceShowsOneWindow() {
        QFETCH(QString, item);
        QFETCH(int, window);
        Session s;
        choose(s, qPrintable(item));
        QWidget* first = s.host.window(WindowId(window));
        QVERIFY(first && first->isVisible());
        choose(s, qPrintable(item));
        QCOMPARE(s.host.window(WindowId(window)), first);
        QCOMPARE(visibleTopLevels(qPrintable(first->objectName())), 1);
    }

    void closeHidesAndTheNextChoiceShowsItWhereItWas_data() { windows(); }
    void closeHidesAndTheNextChoiceShowsItWhereItWas() {
        QFETCH(QString, item);
        QFETCH(int, window);
        Session s;
        choose(s, qPrintable(item));
        QWidget* w = s.host.window(WindowId(window));
        QVERIFY(QTest::qWaitForWindowActive(w));
        w->move(150, 120);
        const QPoint place = w->pos();

        QTest::mouseClick(child<QPushButton>(w, "closeButton"), Qt::LeftButton);
        QVERIFY(!w->isVisible());
        QCOMPARE(s.host.window(WindowId(window)), w);  // hidden, not gone
        QTRY_COMPARE(QApplication::activeWindow(), &s.window);

        choose(s, qPrintable(item));
        QCOMPARE(s.host.window(WindowId(window)), w);
        QVERIFY(w->isVisible());
        QCOMPARE(w->pos(), place);
    }

    void theCloseBoxDestroysAndTheNextChoiceMakesANewOne_data() { windows(); }
    void theCloseBoxDestroysAndTheNextChoiceMakesANewOne() {
        QFETCH(QString, item);
        QFETCH(int, window);
        Session s;
        choose(s, qPrintable(item));
        QPointer<QWidget> old = s.host.window(WindowId(window));
        QVERIFY(old);
        old->close();
        QTRY_VERIFY(!old);
        QVERIFY(!s.host.window(WindowId(window)));
        QVERIFY(s.window.isVisible());  // the program goes on

        choose(s, qPrintable(item));
        QVERIFY(s.host.window(WindowId(window)));
        QVERIFY(s.host.window(WindowId(window))->isVisible());
    }

    void enterOrSpaceClosesAndEscDoesNothing_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("window");
        QTest::addColumn<int>("key");
        QTest::newRow("About, Enter")
            << "aboutAction" << int(WindowId::About) << int(Qt::Key_Return);
        QTest::newRow("Help, Enter")
            << "contentsAction" << int(WindowId::Help) << int(Qt::Key_Return);
        QTest::newRow("Help, Space")
            << "contentsAction" << int(WindowId::Help) << int(Qt::Key_Space);
    }
    void enterOrSpaceClosesAndEscDoesNothing() {
        QFETCH(QString, item);
        QFETCH(int, window);
        QFETCH(int, key);
        Session s;
        choose(s, qPrintable(item));
        QWidget* w = s.host.window(WindowId(window));
        QVERIFY(QTest::qWaitForWindowActive(w));
        // The Close button is all that takes the focus.
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(w, "closeButton"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(w->isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QTRY_VERIFY(!w->isVisible());
        QTRY_COMPARE(QApplication::activeWindow(), &s.window);
    }

    void aboutIsASmallWindowAndHelpAnOrdinaryOne() {
        Session s;
        choose(s, "aboutAction");
        choose(s, "contentsAction");
        QWidget* about = s.host.window(WindowId::About);
        QWidget* help = s.host.window(WindowId::Help);
        QCOMPARE(about->windowTitle(), QStringLiteral("About Veilmark"));
        QCOMPARE(help->windowTitle(), QStringLiteral("Veilmark - Help"));
        // Neither is owned by the main window; neither can be resized.
        QVERIFY(!about->parentWidget() && !about->windowHandle()->transientParent());
        QVERIFY(!(about->windowFlags() & Qt::WindowMinimizeButtonHint));
        QCOMPARE(help->windowType(), Qt::Window);
        QVERIFY(help->windowFlags() & Qt::WindowMinimizeButtonHint);
        QVERIFY(!(help->windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(about->size(), QSize(123, 79));
        QCOMPARE(help->size(), QSize(312, 629));  // with the note under the four sections
        QCOMPARE(about->minimumSize(), about->maximumSize());
        QCOMPARE(help->minimumSize(), help->maximumSize());
        // Both stay open beside the main window; closing one leaves the others.
        about->close();
        QVERIFY(help->isVisible() && s.window.isVisible());
    }

    void theHelpTextsFitTheirBoxes() {
        Session s;
        choose(s, "contentsAction");
        QWidget* help = s.host.window(WindowId::Help);
        for (const char* name :
             {"generalHeading", "encryptHeading", "decryptHeading", "notesHeading"}) {
            const QFont font = child<QLabel>(help, name)->font();
            QVERIFY2(font.bold() && font.underline() && font.pointSize() == 12, name);
        }
        for (const char* name :
             {"generalText", "encryptText", "decryptText", "notesText", "safetyNote"}) {
            auto* body = child<QLabel>(help, name);
            QVERIFY2(body->wordWrap(), name);
            QCOMPARE(body->width(), 297);
            QVERIFY2(body->heightForWidth(body->width()) <= body->height(), name);
        }
        QVERIFY(child<QLabel>(help, "notesText")->text().contains("is guarenteed to work"));
        QVERIFY(child<QLabel>(help, "safetyNote")->text().contains("concealed, not protected"));
    }

    void exitEndsEverythingAtOnceWithoutAsking() {
        Session s;
        choose(s, "aboutAction");
        choose(s, "contentsAction");
        QPointer<QWidget> about = s.host.window(WindowId::About);
        QPointer<QWidget> help = s.host.window(WindowId::Help);
        s.type("message", "unsaved words");

        choose(s, "exitAction");
        QCOMPARE(s.quits, 1);
        QVERIFY(!about && !help);  // gone now, not later
        QVERIFY(!s.window.isVisible());
        QVERIFY(s.user.boxes.empty() && s.user.dialogs.empty());
    }

    void closingTheMainWindowEndsTheProgram() {
        Session s;
        choose(s, "contentsAction");
        QPointer<QWidget> help = s.host.window(WindowId::Help);
        QVERIFY(s.window.close());
        QCOMPARE(s.quits, 1);
        QVERIFY(!help);
        // Nothing comes back after the end.
        choose(s, "aboutAction");
        QVERIFY(!s.host.window(WindowId::About));
    }
};

static RegisterSuite<SecondaryWindowsTest> g_registered("SecondaryWindowsTest");

}  // namespace vm::uitest

#include "secondary_windows_test.moc"

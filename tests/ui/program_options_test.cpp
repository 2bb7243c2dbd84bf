// The window program's command line: what each form of it asks for, and a picture
// named there opening on its tab exactly as Open Image would open it.

#include <QTabWidget>

#include "ui/preview_box.h"
#include "ui/program_options.h"
#include "ui_test_support.h"

using vm::test::TempDir;
using vm::ui::ProgramOptions;
using Action = vm::ui::ProgramOptions::Action;

namespace vm::uitest {

class ProgramOptionsTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void eachCommandLineAsksForOneThing_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("picture");  // or the error, for a usage error
        QTest::addColumn<bool>("onDecrypt");
        const int window = int(Action::Window), usage = int(Action::Usage);
        QTest::newRow("nothing") << QStringList{} << window << "" << false;
        QTest::newRow("a picture") << QStringList{"a.jpg"} << window << "a.jpg" << false;
        QTest::newRow("decrypt") << QStringList{"--decrypt", "x.bmp"} << window << "x.bmp" << true;
        QTest::newRow("decrypt=") << QStringList{"--decrypt=x.bmp"} << window << "x.bmp" << true;
        QTest::newRow("Qt's options pass, values too")
            << QStringList{"-platform", "xcb",           "--style", "-x.jpg",
                           "-reverse",  "-style=fusion", "a.jpg"}
            << window << "a.jpg" << false;
        QTest::newRow("after --, a name is a picture")
            << QStringList{"--", "--help"} << window << "--help" << false;
        QTest::newRow("help") << QStringList{"-h", "a.jpg"} << int(Action::Help) << "" << false;
        QTest::newRow("version") << QStringList{"--version", "--bad"} << int(Action::Version) << ""
                                 << false;
        QTest::newRow("unknown option")
            << QStringList{"-decrypt", "a.jpg"} << usage << "unknown option -decrypt" << false;
        QTest::newRow("decrypt alone, as a launcher's action")
            << QStringList{"--decrypt"} << window << "" << true;
        QTest::newRow("decrypt after the picture")
            << QStringList{"a.jpg", "--decrypt"} << window << "a.jpg" << true;
        QTest::newRow("own options have one spelling")
            << QStringList{"--h"} << usage << "unknown option --h" << false;
        QTest::newRow("a Qt option without its value")
            << QStringList{"a.jpg", "-platform"} << usage << "missing value after '-platform'"
            << false;
        QTest::newRow("two pictures") << QStringList{"a.jpg", "--decrypt", "b.bmp"} << usage
                                      << "one picture at most, but b.bmp is another" << false;
        QTest::newRow("a name's control characters shown, not obeyed")
            << QStringList{"a.png", "b\x1b]0;PWN\a\x1b[2J.png"} << usage
            << "one picture at most, but b\\033]0;PWN\\a\\033[2J.png is another" << false;
    }
    void eachCommandLineAsksForOneThing() {
        QFETCH(QStringList, args);
        QFETCH(int, action);
        QFETCH(QString, picture);
        QFETCH(bool, onDecrypt);
        std::vector<std::string> kept;  // what the views point into
        for (const QString& arg : args) kept.push_back(arg.toStdString());
        const ProgramOptions options =
            vm::ui::parseProgramOptions(std::vector<std::string_view>(kept.begin(), kept.end()));
        QCOMPARE(int(options.action), action);
        const std::string& said =
            action == int(Action::Usage) ? options.error : options.picture.path;
        QCOMPARE(said, picture.toStdString());
        QCOMPARE(options.picture.onDecrypt, onDecrypt);
    }

    void aPictureOpensOnItsTabOrIsRefusedAsByHand() {
        TempDir dir;
        const QString picture = writePicture(dir, "x.png", vm::test::patternImage(40, 30));
        const std::string notPicture = dir.file("notes.txt");
        vm::test::writeFile(notPicture, "just words");

        Session bare;  // --decrypt alone: the tab, and nothing opened or said
        bare.window.openOnTab(vm::ui::MainWindow::Tab::Decrypt, QString());
        QCOMPARE(child<QTabWidget>(&bare.window, "tabs")->currentIndex(), 1);
        QVERIFY(bare.user.boxes.empty() && bare.user.dialogs.empty());

        Session s;
        s.window.openOnTab(vm::ui::MainWindow::Tab::Decrypt, picture);
        QCOMPARE(child<QTabWidget>(&s.window, "tabs")->currentIndex(), 1);
        QVERIFY(!child<vm::ui::PreviewBox>(&s.window, "decryptPreview")->isEmpty());
        QCOMPARE(s.window.form().area.width, 40);
        QVERIFY(s.user.boxes.empty());

        s.window.openOnTab(vm::ui::MainWindow::Tab::Encrypt, QString::fromStdString(notPicture));
        s.user.answer(notPicture);
        s.window.openOnEncrypt();
        QCOMPARE(child<QTabWidget>(&s.window, "tabs")->currentIndex(), 0);
        QCOMPARE(s.user.boxes.size(), 2u);  // the same refusal both ways
        QCOMPARE(s.user.boxes[0].prompt, s.user.boxes[1].prompt);
        QVERIFY(child<vm::ui::PreviewBox>(&s.window, "encryptPreview")->isEmpty());
    }
};

static RegisterSuite<ProgramOptionsTest> g_registered("ProgramOptionsTest");

}  // namespace vm::uitest

#include "program_options_test.moc"

// The real Qt message boxes and file dialogs, answered from inside their own loop:
// what the user sees (icon, title, filters) and what the caller gets back.

#include <QAbstractButton>
#include <QAccessible>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "flows/open_flow.h"
#include "flows/save_flow.h"
#include "platform/user_messages.h"
#include "ui/qt_file_dialogs.h"
#include "ui/qt_message_boxes.h"
#include "ui_test_support.h"

using vm::test::TempDir;
using vm::ui::qtNameFilters;

namespace vm::uitest {

struct SeenBox {
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    QString iconHeard;  // what a screen reader says for the icon
    bool cancelByDefault = false;
};

struct SeenDialog {
    QString title, selectedFilter;
    QStringList filters;
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
    bool modal = false;
};

class QtPlatformTest : public QObject {
    Q_OBJECT

  private:
    static SeenBox showBox(const std::string& prompt, int code, std::optional<std::string> title) {
        SeenBox seen;
        whenModal<QMessageBox>([&seen](QMessageBox* box) {
            seen = {box->windowTitle(),         box->text(),    box->icon(),
                    int(box->buttons().size()), iconHeard(box), false};
            box->button(QMessageBox::Ok)->click();
        });
        vm::ui::QtMessageBoxes().showMessage(prompt, code, title);
        return seen;
    }

    static QString iconHeard(QMessageBox* box) {
        auto* icon = box->findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"));
        QAccessibleInterface* heard = icon ? QAccessible::queryAccessibleInterface(icon) : nullptr;
        return heard ? heard->text(QAccessible::Name) : QString();
    }

    // Shows a dialog through the adapter and answers it with name (empty: cancel).
    static std::string runDialog(bool save, const FileDialogRequest& request, const QString& name,
                                 SeenDialog& seen) {
        whenModal<QFileDialog>([&seen, name](QFileDialog* dialog) {
            seen = {dialog->windowTitle(), dialog->selectedNameFilter(), dialog->nameFilters(),
                    dialog->acceptMode(), dialog->isModal()};
            if (name.isEmpty()) return dialog->reject();
            // Typed into the name box, as a user would: picking it from the list
            // would wait on the folder being read in the background.
            auto* nameBox = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (!nameBox) return dialog->reject();
            nameBox->setText(name);
            QMetaObject::invokeMethod(dialog, "accept");  // as the Save or Open button does
        });
        vm::ui::QtFileDialogs dialogs;
        return save ? dialogs.showSave(request) : dialogs.showOpen(request);
    }

  private Q_SLOTS:
    void filtersBecomeQtNameFilters_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("open") << kOpenFilter
                              << QStringList{"Bitmap (*.bmp)", "GIF (*.gif)", "JPG (*.jpg)",
                                             "All Files (*)"};
        QTest::newRow("save") << kSaveFilter
                              << QStringList{"Windows Bitmap (*.bmp)", "GIF (*.gif)",
                                             "JPG (*.jpg)"};
        QTest::newRow("label without pattern, two patterns")
            << "Pictures|*.png;*.jpeg" << QStringList{"Pictures (*.png *.jpeg)"};
        QTest::newRow("none") << "" << QStringList{};
    }
    void filtersBecomeQtNameFilters() {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(qtNameFilters(filter.toStdString()), expected);
    }

    void aCriticalBoxHasItsIconAndTitle() {
        const SeenBox seen = showBox(kLoadFirst, vbCritical, std::string(kErrorTitle));
        QCOMPARE(seen.title, QStringLiteral("Veilmark - Error"));
        QCOMPARE(seen.text, QStringLiteral("Load an image first!"));
        QCOMPARE(seen.icon, QMessageBox::Critical);
        QCOMPARE(seen.buttons, 1);
        QCOMPARE(seen.iconHeard, QStringLiteral("Error"));
    }

    void aConfirmationWarnsAndDefaultsToCancel() {
        SeenBox seen;
        whenModal<QMessageBox>([&seen](QMessageBox* box) {
            seen = {box->windowTitle(), box->text(),
                    box->icon(),        int(box->buttons().size()),
                    iconHeard(box),     box->defaultButton() == box->button(QMessageBox::Cancel)};
            QTest::keyClick(box, Qt::Key_Return);  // Enter takes the default
        });
        QVERIFY(!vm::ui::QtMessageBoxes().confirm("Go on?", "Veilmark - Sure?"));
        QCOMPARE(seen.title, QStringLiteral("Veilmark - Sure?"));
        QCOMPARE(seen.icon, QMessageBox::Warning);
        QCOMPARE(seen.iconHeard, QStringLiteral("Warning"));
        QCOMPARE(seen.buttons, 2);
        QVERIFY(seen.cancelByDefault);
    }

    void aBoxWithoutTitleBearsTheApplicationTitle() {
        // A file name is shown as it is, never read as markup.
        const SeenBox seen = showBox("Image saved to /tmp/<b>x</b>.bmp", vbOKOnly, std::nullopt);
        QCOMPARE(seen.title, QStringLiteral("Steganography"));
        QCOMPARE(seen.icon, QMessageBox::NoIcon);
        QCOMPARE(seen.text, QStringLiteral("Image saved to /tmp/<b>x</b>.bmp"));
    }

    void theSaveDialogAddsTheDefaultExtension() {
        TempDir dir;
        SeenDialog seen;
        const std::string path = runDialog(true, {kSaveTitle, kSaveFilter, kDefaultExt},
                                           QString::fromStdString(dir.file("holiday")), seen);
        QCOMPARE(path, dir.file("holiday.bmp"));
        QCOMPARE(seen.title, QStringLiteral("Save image"));
        QCOMPARE(seen.mode, QFileDialog::AcceptSave);
        QVERIFY(seen.modal);
        QCOMPARE(seen.filters.size(), 3);
        QCOMPARE(seen.selectedFilter, seen.filters.front());
    }

    void theSaveDialogKeepsAGivenExtension() {
        TempDir dir;
        SeenDialog seen;
        const std::string path = runDialog(true, {kSaveTitle, kSaveFilter, kDefaultExt},
                                           QString::fromStdString(dir.file("x.jpg")), seen);
        QCOMPARE(QString::fromStdString(path), QString::fromStdString(dir.file("x.jpg")));
    }

    void theOpenDialogGivesTheChosenFile() {
        TempDir dir;
        vm::test::writeFile(dir.file("cover.bmp"), "BM");
        SeenDialog seen;
        const std::string path = runDialog(false, {kOpenTitle, kOpenFilter, ""},
                                           QString::fromStdString(dir.file("cover.bmp")), seen);
        QCOMPARE(QString::fromStdString(path), QString::fromStdString(dir.file("cover.bmp")));
        QCOMPARE(seen.title, QStringLiteral("Veilmark - Open Image"));
        QCOMPARE(seen.mode, QFileDialog::AcceptOpen);
        QCOMPARE(seen.selectedFilter, QStringLiteral("Bitmap (*.bmp)"));
    }

    void aCancelledDialogGivesTheEmptyText_data() {
        QTest::addColumn<bool>("save");
        QTest::newRow("open") << false;
        QTest::newRow("save") << true;
    }
    void aCancelledDialogGivesTheEmptyText() {
        QFETCH(bool, save);
        SeenDialog seen;
        QCOMPARE(runDialog(save, {kSaveTitle, kSaveFilter, kDefaultExt}, QString(), seen),
                 std::string());
        QVERIFY(!seen.title.isEmpty());  // it was shown
    }
};

static RegisterSuite<QtPlatformTest> g_registered("QtPlatformTest");

}  // namespace vm::uitest

#include "qt_platform_test.moc"

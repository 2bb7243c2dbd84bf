// The main window's handlers without a window, driven as a user would: dialogs
// and message boxes are answered by the scripted platform.
#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>

#include "flows/window_model.h"
#include "imaging/bitmap_writer.h"
#include "support/form_session.h"
#include "support/test_pictures.h"

namespace vm {
namespace {

using test::readFile;

class WindowModelFlow : public ::testing::Test, public test::FormSession {};

TEST_F(WindowModelFlow, HideSaveOpenRevealAsAUserWould) {
    openEncrypt(cover(320, 240, "holiday.bmp"));
    form.encryptPassword = U"s3cret";
    form.message = U"Meet at noon.\r\nBring the map.";
    const std::string saved = hide(dir.file("secret.jpg"));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt, "Image saved to " + saved);
    EXPECT_EQ(ui.boxes[0].code, vbOKOnly);
    EXPECT_EQ(ui.boxes[0].title, "Veilmark");

    openDecrypt(saved);  // a bitmap under a .jpg name, opened by content
    form.decryptPassword = U"s3cret";
    form.revealMessage();
    EXPECT_EQ(form.revealedMessage, U"Meet at noon.\r\nBring the map.");
    EXPECT_EQ(fromCrLf(form.revealedMessage), U"Meet at noon.\nBring the map.");

    form.decryptPassword = U"S3cret";
    form.revealMessage();
    EXPECT_EQ(form.revealedMessage, U"");
    EXPECT_EQ(ui.boxes.size(), 1u);  // the reveal says nothing either way
}

TEST_F(WindowModelFlow, CoversOfEveryFormatRoundTrip) {
    const QImage picture = test::paletteImage(97, 61);
    const std::string gif = dir.file("cover.gif"), jpg = dir.file("cover.jpg"),
                      png = dir.file("cover.png");
    ASSERT_TRUE(test::writeGif(picture, gif));
    ASSERT_TRUE(picture.save(QString::fromStdString(jpg), "JPG", 90));
    ASSERT_TRUE(picture.save(QString::fromStdString(png), "PNG"));
    for (const std::string& cover : {gif, jpg, png}) {
        openEncrypt(cover);
        ASSERT_TRUE(form.area.loaded) << cover;
        EXPECT_EQ(form.area.width, 97);
        EXPECT_EQ(form.area.height, 61);
        if (cover != jpg) {
            EXPECT_EQ(form.encryptCanvas.point(5, 3), makeColour(74, 181, (74 * 37) % 256));
        }
        form.encryptPassword = U"pw";
        form.message = U"from " + std::u32string(cover.end() - 3, cover.end());
        const std::string saved = hide(cover + ".out.gif");  // a bitmap, whatever the name
        openDecrypt(saved);
        form.decryptPassword = U"pw";
        form.revealMessage();
        EXPECT_EQ(form.revealedMessage, form.message) << cover;
    }
}

TEST_F(WindowModelFlow, NoPictureYetGivesTwoDifferentBoxes) {
    form.hideMessage();
    form.revealMessage();
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].prompt, "Load an image first!");
    EXPECT_EQ(ui.boxes[0].code, vbCritical);
    EXPECT_EQ(ui.boxes[0].title, "Veilmark - Error");
    EXPECT_EQ(ui.boxes[1].prompt, "Load an image first!");
    EXPECT_EQ(ui.boxes[1].code, vbOKOnly);
    EXPECT_FALSE(ui.boxes[1].title.has_value());  // bears the application title
    EXPECT_TRUE(ui.dialogs.empty());
}

TEST_F(WindowModelFlow, CancellingTheSaveDialogChangesNothing) {
    openEncrypt(cover(64, 64, "c.bmp"));
    const PictureRef before = form.encryptCanvas.picture();
    const std::uint32_t generator = form.generator.state();
    form.message = U"never hidden";
    hide("");
    EXPECT_EQ(form.encryptCanvas.picture(), before);
    EXPECT_EQ(form.encryptCanvas.changedPoints(), 0u);
    EXPECT_EQ(form.generator.state(), generator);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(WindowModelFlow, HideCommitsIntoPicture1WhileThePreviewKeepsTheOpenedPicture) {
    openEncrypt(cover(64, 64, "c.bmp"));
    const PictureRef opened = form.encryptPreview;
    form.message = U"x";
    const std::string saved = hide(dir.file("out"));  // no extension typed
    EXPECT_EQ(saved, dir.file("out.bmp"));
    EXPECT_TRUE(std::filesystem::exists(saved));
    EXPECT_NE(form.encryptCanvas.picture(), opened);
    EXPECT_EQ(form.encryptPreview, opened);
}

TEST_F(WindowModelFlow, TheWorkingAreaBelongsToTheLatestOpeningOnEitherTab) {
    openEncrypt(cover(200, 150, "big.bmp"));
    openDecrypt(cover(100, 80, "small.bmp", 1));
    EXPECT_EQ(form.area.width, 100);
    EXPECT_EQ(form.area.height, 80);
    // Hiding now draws within 100 x 80 on the Encrypt picture, and a reveal needs that
    // area: the user is told before the save dialog and may cancel, with nothing written.
    form.message = U"bounded";
    ui.confirmations = {false};
    EXPECT_EQ(hide(dir.file("bounded.bmp")), "");
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].code, test::kConfirmCode);
    EXPECT_EQ(ui.boxes[0].title.value_or(""), kPartOfPictureTitle);
    for (const char* says : {"This picture is 200 x 150 pixels", "top-left 100 x 80 pixels",
                             "before clicking Decrypt is also 100 x 80 pixels", "click Cancel",
                             "open this picture again on the Encrypt tab"})
        EXPECT_NE(ui.boxes[0].prompt.find(says), std::string::npos) << says;
    EXPECT_EQ(ui.boxes[0].prompt.find("points"), std::string::npos);
    EXPECT_EQ(ui.dialogs.size(), 2u);  // the two opens only
    EXPECT_EQ(form.encryptCanvas.changedPoints(), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.file("bounded.bmp")));

    const std::string saved = hide(dir.file("bounded.bmp"));  // OK this time
    ASSERT_EQ(ui.boxes.back().prompt, "Image saved to " + saved);
    openDecrypt(saved);  // now 200 x 150: the slots differ
    form.revealMessage();
    EXPECT_EQ(form.revealedMessage, U"");
    openEncrypt(cover(100, 80, "other.bmp", 2));  // back to 100 x 80
    form.revealMessage();
    EXPECT_EQ(form.revealedMessage, U"bounded");
}

TEST_F(WindowModelFlow, HideRefusesWhatWouldLoseTheMessageBeforeAskingForAFile) {
    openDecrypt(cover(50, 50, "d.bmp"));  // flag up, but nothing on the Encrypt tab
    hide(dir.file("never.bmp"));
    openEncrypt(cover(50, 50, "e.bmp"));
    openDecrypt(cover(60, 50, "wider.bmp"));  // area wider than encryptCanvas
    hide(dir.file("never.bmp"));
    openEncrypt(cover(50, 50, "e.bmp"));
    form.message = U"中文";
    hide(dir.file("never.bmp"));
    form.message = U"ok";
    form.encryptPassword = std::u32string(32767, U'p');
    hide(dir.file("never.bmp"));
    // Sealed: any characters, but at most 216 bytes of them, and never the empty password.
    form.sealing = true;
    form.encryptPassword = U"pw";
    form.message = std::u32string(109, U'ж');  // 218 bytes
    hide(dir.file("never.bmp"));
    form.encryptPassword.clear();
    form.message = U"ok";
    hide(dir.file("never.bmp"));
    EXPECT_TRUE(std::none_of(ui.dialogs.begin(), ui.dialogs.end(), [](auto& d) { return d.save; }));
    ASSERT_EQ(ui.boxes.size(), 6u);
    EXPECT_NE(ui.boxes[4].prompt.find("at most 216 bytes"), std::string::npos);
    for (const auto& box : ui.boxes) {
        EXPECT_EQ(box.code, vbCritical);
        EXPECT_EQ(box.title, "Veilmark - Error");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("never.bmp")));
    EXPECT_EQ(form.encryptCanvas.changedPoints(), 0u);
}

// A sealed message lies apart from the plain ones: a password shows its own plain
// message and says that the sealed one stays closed.
TEST_F(WindowModelFlow, APlainMessageIsShownBesideASealedOneThatStaysClosed) {
    openEncrypt(cover(320, 240, "cover.bmp"));
    form.sealing = true;
    form.encryptPassword = U"sealed words";
    form.message = U"under seal";
    const std::string sealed = hide(dir.file("sealed.bmp"));
    openEncrypt(sealed);
    form.sealing = false;
    form.encryptPassword = U"plain words";
    form.message = U"in plain sight";
    openDecrypt(hide(dir.file("both.bmp")));
    form.decryptPassword = U"plain words";
    form.revealMessage();
    EXPECT_EQ(form.revealedMessage, U"in plain sight");
    ASSERT_EQ(ui.boxes.size(), 3u);  // saved twice, then why the sealed one stays closed
    EXPECT_EQ(ui.boxes[2].title, "Veilmark - Error");
}

TEST_F(WindowModelFlow, TooSmallAPictureIsRefused) {
    openEncrypt(cover(5, 5, "tiny.bmp"));  // 25 points, 75 slots
    form.message = U"hello";               // 9 bytes, 72 slots: fits
    EXPECT_FALSE(hide(dir.file("ok.bmp")).empty());
    EXPECT_EQ(ui.boxes.back().code, vbOKOnly);
    form.message = U"hello!";  // 10 bytes, 80 slots: does not
    hide(dir.file("no.bmp"));
    EXPECT_EQ(ui.boxes.back().code, vbCritical);
    EXPECT_NE(ui.boxes.back().prompt.find("too small"), std::string::npos);
}

TEST_F(WindowModelFlow, AFailedSaveIsReportedAndTheOldFileKept) {
    openEncrypt(cover(64, 64, "c.bmp"));
    const std::string target = cover(10, 10, "existing.bmp", 3);
    const std::string before = readFile(target);
    std::filesystem::permissions(target, std::filesystem::perms::owner_read);
    form.message = U"msg";
    hide(target);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].code, vbCritical);
    EXPECT_NE(ui.boxes[0].prompt.find(target), std::string::npos);
    EXPECT_EQ(readFile(target), before);
}

TEST_F(WindowModelFlow, StandAloneSaveWritesTheEncryptPicture) {
    form.saveEncryptPicture();  // nothing to save yet: told so, no dialog
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_TRUE(ui.dialogs.empty());

    openEncrypt(cover(30, 20, "c.bmp"));
    form.message = U"kept";
    hide(dir.file("hidden.bmp"));
    ui.answer(dir.file("copy"));
    form.saveEncryptPicture();
    EXPECT_EQ(ui.dialogs.back().request.filter, "Windows Bitmap (*.bmp)|*.bmp");
    EXPECT_EQ(ui.dialogs.back().request.defaultExtension, ".bmp");
    EXPECT_EQ(ui.boxes.size(), 2u);  // the hide's confirmation only
    EXPECT_EQ(readFile(dir.file("copy.bmp")), readFile(dir.file("hidden.bmp")));
    ui.answer("");
    form.saveEncryptPicture();  // cancelled: nothing
    EXPECT_EQ(ui.boxes.size(), 2u);
}

TEST_F(WindowModelFlow, ClearEmptiesBothTabsButKeepsTheArea) {
    openEncrypt(cover(40, 30, "c.bmp"));
    openDecrypt(cover(40, 30, "d.bmp"));
    form.encryptPassword = U"a";
    form.message = U"b";
    form.revealedMessage = U"c";
    form.decryptPassword = U"d";
    form.clearAll();
    EXPECT_FALSE(form.area.loaded);
    EXPECT_EQ(form.area.width, 40);
    EXPECT_EQ(form.encryptCanvas.picture(), nullptr);
    EXPECT_EQ(form.decryptCanvas.picture(), nullptr);
    EXPECT_EQ(form.encryptPreview, nullptr);
    EXPECT_EQ(form.decryptPreview, nullptr);
    EXPECT_TRUE(form.encryptPassword.empty() && form.message.empty() &&
                form.revealedMessage.empty() && form.decryptPassword.empty());
    form.hideMessage();
    EXPECT_EQ(ui.boxes.back().prompt, "Load an image first!");
}

TEST_F(WindowModelFlow, DroppedFilesOpenLikeOpenImage) {
    form.dropOnDecrypt(cover(70, 60, "dropped.bmp"));
    EXPECT_EQ(form.area.width, 70);
    EXPECT_NE(form.decryptPreview, nullptr);
    EXPECT_TRUE(ui.boxes.empty());
    form.dropOnEncrypt(dir.file("missing.gif"));
    EXPECT_EQ(form.encryptCanvas.picture(), nullptr);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].code, vbCritical);
}

TEST(LineBreaks, BoxesHoldCrLfAndShowOneBreak) {
    EXPECT_EQ(toCrLf(U"a\nb\n"), U"a\r\nb\r\n");
    EXPECT_EQ(toCrLf(U"a\r\nb"), U"a\r\nb");  // already CR LF: unchanged
    EXPECT_EQ(fromCrLf(U"a\r\nb\r\n"), U"a\nb\n");
    EXPECT_EQ(fromCrLf(U"lone\rcr"), U"lone\rcr");
}

}  // namespace
}  // namespace vm

// The main window's handlers without a window, driven as a user would: dialogs
// and message boxes are answered by the scripted platform.
#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>

#include "engine/main_form.h"
#include "imaging/picture_file.h"
#include "support/form_session.h"
#include "support/test_pictures.h"

namespace vm {
namespace {

using test::readFile;

class MainFormFlow : public ::testing::Test, public test::FormSession {};

TEST_F(MainFormFlow, HideSaveOpenRevealAsAUserWould) {
    openEncrypt(cover(320, 240, "holiday.bmp"));
    form.Text1 = U"s3cret";
    form.Text2 = U"Meet at noon.\r\nBring the map.";
    const std::string saved = hide(dir.file("secret.jpg"));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt, "Image saved to " + saved);
    EXPECT_EQ(ui.boxes[0].code, vbOKOnly);
    EXPECT_EQ(ui.boxes[0].title, "Veilmark");

    openDecrypt(saved);  // a bitmap under a .jpg name, opened by content
    form.Text4 = U"s3cret";
    form.Command3_Click();
    EXPECT_EQ(form.Text3, U"Meet at noon.\r\nBring the map.");
    EXPECT_EQ(fromCrLf(form.Text3), U"Meet at noon.\nBring the map.");

    form.Text4 = U"S3cret";
    form.Command3_Click();
    EXPECT_EQ(form.Text3, U"");
    EXPECT_EQ(ui.boxes.size(), 1u);  // the reveal says nothing either way
}

TEST_F(MainFormFlow, CoversOfEveryFormatRoundTrip) {
    const QImage picture = test::paletteImage(97, 61);
    const std::string gif = dir.file("cover.gif"), jpg = dir.file("cover.jpg"),
                      png = dir.file("cover.png");
    ASSERT_TRUE(test::writeGif(picture, gif));
    ASSERT_TRUE(picture.save(QString::fromStdString(jpg), "JPG", 90));
    ASSERT_TRUE(picture.save(QString::fromStdString(png), "PNG"));
    for (const std::string& cover : {gif, jpg, png}) {
        openEncrypt(cover);
        ASSERT_TRUE(form.area.ImageLoaded) << cover;
        EXPECT_EQ(form.area.ImageWidth, 97);
        EXPECT_EQ(form.area.ImageHeight, 61);
        if (cover != jpg) {
            EXPECT_EQ(form.Picture1.Point(5, 3), makeColour(74, 181, (74 * 37) % 256));
        }
        form.Text1 = U"pw";
        form.Text2 = U"from " + std::u32string(cover.end() - 3, cover.end());
        const std::string saved = hide(cover + ".out.gif");  // a bitmap, whatever the name
        openDecrypt(saved);
        form.Text4 = U"pw";
        form.Command3_Click();
        EXPECT_EQ(form.Text3, form.Text2) << cover;
    }
}

TEST_F(MainFormFlow, NoPictureYetGivesTwoDifferentBoxes) {
    form.Command2_Click();
    form.Command3_Click();
    ASSERT_EQ(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[0].prompt, "Load an image first!");
    EXPECT_EQ(ui.boxes[0].code, vbCritical);
    EXPECT_EQ(ui.boxes[0].title, "Veilmark - Error");
    EXPECT_EQ(ui.boxes[1].prompt, "Load an image first!");
    EXPECT_EQ(ui.boxes[1].code, vbOKOnly);
    EXPECT_FALSE(ui.boxes[1].title.has_value());  // bears the application title
    EXPECT_TRUE(ui.dialogs.empty());
}

TEST_F(MainFormFlow, CancellingTheSaveDialogChangesNothing) {
    openEncrypt(cover(64, 64, "c.bmp"));
    const PictureRef before = form.Picture1.Picture();
    const std::uint32_t generator = form.Generator.state();
    form.Text2 = U"never hidden";
    hide("");
    EXPECT_EQ(form.Picture1.Picture(), before);
    EXPECT_EQ(form.Picture1.changedPoints(), 0u);
    EXPECT_EQ(form.Generator.state(), generator);
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST_F(MainFormFlow, HideCommitsIntoPicture1WhileThePreviewKeepsTheOpenedPicture) {
    openEncrypt(cover(64, 64, "c.bmp"));
    const PictureRef opened = form.Image1;
    form.Text2 = U"x";
    const std::string saved = hide(dir.file("out"));  // no extension typed
    EXPECT_EQ(saved, dir.file("out.bmp"));
    EXPECT_TRUE(std::filesystem::exists(saved));
    EXPECT_NE(form.Picture1.Picture(), opened);
    EXPECT_EQ(form.Image1, opened);
}

TEST_F(MainFormFlow, TheWorkingAreaBelongsToTheLatestOpeningOnEitherTab) {
    openEncrypt(cover(200, 150, "big.bmp"));
    openDecrypt(cover(100, 80, "small.bmp", 1));
    EXPECT_EQ(form.area.ImageWidth, 100);
    EXPECT_EQ(form.area.ImageHeight, 80);
    // Hiding now draws within 100 x 80 on the Encrypt picture; a reveal needs that area.
    form.Text2 = U"bounded";
    const std::string saved = hide(dir.file("bounded.bmp"));
    ASSERT_EQ(ui.boxes.back().prompt, "Image saved to " + saved);
    openDecrypt(saved);  // now 200 x 150: the slots differ
    form.Command3_Click();
    EXPECT_EQ(form.Text3, U"");
    openEncrypt(cover(100, 80, "other.bmp", 2));  // back to 100 x 80
    form.Command3_Click();
    EXPECT_EQ(form.Text3, U"bounded");
}

TEST_F(MainFormFlow, HideRefusesWhatWouldLoseTheMessageBeforeAskingForAFile) {
    openDecrypt(cover(50, 50, "d.bmp"));  // flag up, but nothing on the Encrypt tab
    hide(dir.file("never.bmp"));
    openEncrypt(cover(50, 50, "e.bmp"));
    openDecrypt(cover(60, 50, "wider.bmp"));  // area wider than Picture1
    hide(dir.file("never.bmp"));
    openEncrypt(cover(50, 50, "e.bmp"));
    form.Text2 = U"中文";
    hide(dir.file("never.bmp"));
    form.Text2 = U"ok";
    form.Text1 = std::u32string(32767, U'p');
    hide(dir.file("never.bmp"));
    EXPECT_TRUE(std::none_of(ui.dialogs.begin(), ui.dialogs.end(), [](auto& d) { return d.save; }));
    ASSERT_EQ(ui.boxes.size(), 4u);
    for (const auto& box : ui.boxes) {
        EXPECT_EQ(box.code, vbCritical);
        EXPECT_EQ(box.title, "Veilmark - Error");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("never.bmp")));
    EXPECT_EQ(form.Picture1.changedPoints(), 0u);
}

TEST_F(MainFormFlow, TooSmallAPictureIsRefused) {
    openEncrypt(cover(5, 5, "tiny.bmp"));  // 25 points, 75 slots
    form.Text2 = U"hello";                 // 9 bytes, 72 slots: fits
    EXPECT_FALSE(hide(dir.file("ok.bmp")).empty());
    EXPECT_EQ(ui.boxes.back().code, vbOKOnly);
    form.Text2 = U"hello!";  // 10 bytes, 80 slots: does not
    hide(dir.file("no.bmp"));
    EXPECT_EQ(ui.boxes.back().code, vbCritical);
    EXPECT_NE(ui.boxes.back().prompt.find("too small"), std::string::npos);
}

TEST_F(MainFormFlow, AFailedSaveIsReportedAndTheOldFileKept) {
    openEncrypt(cover(64, 64, "c.bmp"));
    const std::string target = cover(10, 10, "existing.bmp", 3);
    const std::string before = readFile(target);
    std::filesystem::permissions(target, std::filesystem::perms::owner_read);
    form.Text2 = U"msg";
    hide(target);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].code, vbCritical);
    EXPECT_NE(ui.boxes[0].prompt.find(target), std::string::npos);
    EXPECT_EQ(readFile(target), before);
}

TEST_F(MainFormFlow, StandAloneSaveWritesTheEncryptPicture) {
    form.cmdSave_Click();  // nothing to save yet: told so, no dialog
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_TRUE(ui.dialogs.empty());

    openEncrypt(cover(30, 20, "c.bmp"));
    form.Text2 = U"kept";
    hide(dir.file("hidden.bmp"));
    ui.answer(dir.file("copy"));
    form.cmdSave_Click();
    EXPECT_EQ(ui.dialogs.back().request.Filter, "Windows Bitmap (*.bmp)|*.bmp");
    EXPECT_EQ(ui.dialogs.back().request.DefaultExt, ".bmp");
    EXPECT_EQ(ui.boxes.size(), 2u);  // the hide's confirmation only
    EXPECT_EQ(readFile(dir.file("copy.bmp")), readFile(dir.file("hidden.bmp")));
    ui.answer("");
    form.cmdSave_Click();  // cancelled: nothing
    EXPECT_EQ(ui.boxes.size(), 2u);
}

TEST_F(MainFormFlow, ClearEmptiesBothTabsButKeepsTheArea) {
    openEncrypt(cover(40, 30, "c.bmp"));
    openDecrypt(cover(40, 30, "d.bmp"));
    form.Text1 = U"a";
    form.Text2 = U"b";
    form.Text3 = U"c";
    form.Text4 = U"d";
    form.mnuClear_Click();
    EXPECT_FALSE(form.area.ImageLoaded);
    EXPECT_EQ(form.area.ImageWidth, 40);
    EXPECT_EQ(form.Picture1.Picture(), nullptr);
    EXPECT_EQ(form.Picture2.Picture(), nullptr);
    EXPECT_EQ(form.Image1, nullptr);
    EXPECT_EQ(form.Image2, nullptr);
    EXPECT_TRUE(form.Text1.empty() && form.Text2.empty() && form.Text3.empty() &&
                form.Text4.empty());
    form.Command2_Click();
    EXPECT_EQ(ui.boxes.back().prompt, "Load an image first!");
}

TEST_F(MainFormFlow, DroppedFilesOpenLikeOpenImage) {
    EXPECT_TRUE(form.dropOnDecrypt(cover(70, 60, "dropped.bmp")));
    EXPECT_EQ(form.area.ImageWidth, 70);
    EXPECT_NE(form.Image2, nullptr);
    EXPECT_FALSE(form.dropOnEncrypt(dir.file("missing.gif")));
    EXPECT_EQ(form.Picture1.Picture(), nullptr);
    EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST(LineBreaks, BoxesHoldCrLfAndShowOneBreak) {
    EXPECT_EQ(toCrLf(U"a\nb\n"), U"a\r\nb\r\n");
    EXPECT_EQ(toCrLf(U"a\r\nb"), U"a\r\nb");  // already CR LF: unchanged
    EXPECT_EQ(fromCrLf(U"a\r\nb\r\n"), U"a\nb\n");
    EXPECT_EQ(fromCrLf(U"lone\rcr"), U"lone\rcr");
}

}  // namespace
}  // namespace vm

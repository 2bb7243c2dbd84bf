// Opening and saving as the user meets them: the dialogs' exact texts, cancel
// paths that change nothing, and failures that say why and keep what was there.
#include <gtest/gtest.h>

#include <filesystem>

#include "flows/hide_flow.h"
#include "flows/save_flow.h"
#include "imaging/picture_saving.h"
#include "support/form_session.h"
#include "support/test_pictures.h"

namespace vm {
namespace {

using test::patternPicture;
using test::readFile;
using test::writeFile;

class OpenSave : public ::testing::Test, public test::FormSession {};

TEST_F(OpenSave, OpenAsksWithTheFourFiltersAndSetsAreaFlagAndPreview) {
    openEncrypt(cover(400, 300, "cover.jpg"));
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_FALSE(ui.dialogs[0].save);
    EXPECT_EQ(ui.dialogs[0].request.title, "Veilmark - Open Image");
    EXPECT_EQ(ui.dialogs[0].request.filter,
              "Bitmap (*.bmp)|*.bmp|GIF (*.gif)|*.gif|JPG (*.jpg)|*.jpg|All Files (*.*)|*.*");
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(form.area.width, 400);
    EXPECT_EQ(form.area.height, 300);
    EXPECT_TRUE(form.area.loaded);
    EXPECT_EQ(form.encryptPreview, form.encryptCanvas.picture());  // one picture object, shared
}

TEST_F(OpenSave, OnePointPictureGivesAOnePointArea) {
    // Its HIMETRIC size (26) is larger, so the drawing area wins.
    openDecrypt(cover(1, 1, "dot.bmp"));
    EXPECT_EQ(form.decryptCanvas.picture()->himetricWidth(), 26);
    EXPECT_EQ(form.area.width, 1);
    EXPECT_EQ(form.area.height, 1);
}

TEST_F(OpenSave, CancelOrABadFileChangesNothing) {
    openEncrypt(cover(40, 30, "first.bmp"));
    const PictureRef first = form.encryptCanvas.picture();
    form.encryptCanvas.setPoint(1, 1, 0);

    openEncrypt("");  // cancel
    writeFile(dir.file("bad.gif"), "GIF89a but nothing else");
    openEncrypt(dir.file("bad.gif"));

    EXPECT_EQ(form.encryptCanvas.picture(), first);
    EXPECT_EQ(form.encryptPreview, first);
    EXPECT_EQ(form.encryptCanvas.changedPoints(), 1u);
    EXPECT_EQ(form.area.width, 40);
    EXPECT_TRUE(form.area.loaded);
    ASSERT_EQ(ui.boxes.size(), 1u);  // only the bad file is reported
    EXPECT_EQ(ui.boxes[0].code, vbCritical);
    EXPECT_EQ(ui.boxes[0].title, "Veilmark - Error");
    EXPECT_NE(ui.boxes[0].prompt.find("bad.gif"), std::string::npos);
}

TEST_F(OpenSave, ABadFileBeforeAnyPictureLeavesTheFlagDown) {
    openEncrypt(dir.file("nowhere.bmp"));
    EXPECT_FALSE(form.area.loaded);
    EXPECT_EQ(form.encryptCanvas.picture(), nullptr);
    EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(OpenSave, SaveDialog) {
    ui.answer(dir.file("out"));  // typed without an extension
    EXPECT_EQ(chooseSaveFile(ui), dir.file("out.bmp"));
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_TRUE(ui.dialogs[0].save);
    EXPECT_EQ(ui.dialogs[0].request.title, "Save image");
    EXPECT_EQ(ui.dialogs[0].request.filter,
              "Windows Bitmap (*.bmp)|*.bmp|GIF (*.gif)|*.gif|JPG (*.jpg)|*.jpg");
    EXPECT_EQ(ui.dialogs[0].request.defaultExtension, ".bmp");
}

TEST_F(OpenSave, AHideSavesOnlyWhatGivesThePayloadBack) {
    openEncrypt(cover(40, 30, "c.bmp"));
    const PictureRef opened = form.encryptCanvas.picture();
    const std::string target = cover(3, 3, "keep.bmp", 5);
    const std::string before = readFile(target);
    HideFlow flow(form.encryptCanvas, form.area, form.generator);
    ASSERT_TRUE(flow.check(U"pw", U"checked"));
    ASSERT_TRUE(flow.write());
    EXPECT_TRUE(flow.save(dir.file("good.bmp")));
    EXPECT_FALSE(flow.save(dir.file("no/such/folder.bmp")));
    form.encryptCanvas.setPicture(opened);  // the written points lost before the save
    const Result<void> saved = flow.save(target);
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error(), unreadableSave(target));
    EXPECT_EQ(readFile(target), before) << "replaced before the read-back";
    EXPECT_FALSE(flow.saveToMemory("the download"));
}

TEST_F(OpenSave, ACheckThatFindsTheFileWrongReplacesNothing) {
    const PictureRef picture = patternPicture(4, 4);
    const std::string target = cover(3, 3, "x.bmp", 5);
    const std::string before = readFile(target);
    bool checked = false;
    const Result<void> saved = savePicture(*picture, target, [&](const PictureRef& written) {
        checked = written->width() == 4 && written->colourAt(3, 2) == picture->colourAt(3, 2);
        return Result<void>(failure("it came back wrong"));
    });
    EXPECT_EQ(saved.error(), "it came back wrong");
    EXPECT_TRUE(checked) << "the check did not read the new picture";
    EXPECT_EQ(readFile(target), before) << "replaced before the check";
}

}  // namespace
}  // namespace vm

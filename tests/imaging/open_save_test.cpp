// Opening and saving as the user meets them: the dialogs' exact texts, cancel
// paths that change nothing, and failures that say why and keep what was there.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/open_flow.h"
#include "engine/save_flow.h"
#include "imaging/picture_saving.h"
#include "support/scripted_platform.h"
#include "support/test_pictures.h"

namespace vm {
namespace {

using test::patternPicture;
using test::readFile;
using test::ScriptedPlatform;
using test::TempDir;
using test::writeFile;

class OpenSave : public ::testing::Test {
  protected:
    std::string savedPicture(int w, int h, const std::string& name, int salt = 0) {
        const std::string path = dir.file(name);
        EXPECT_TRUE(savePicture(*patternPicture(w, h, salt), path));
        return path;
    }
    TempDir dir;
    ScriptedPlatform ui;
    Canvas canvas;
    PictureRef preview;
    WorkingArea area;
};

TEST_F(OpenSave, OpenAsksWithTheFourFiltersAndSetsAreaFlagAndPreview) {
    ui.answer(savedPicture(400, 300, "cover.jpg"));
    openImage(canvas, preview, area, ui, ui, ui.decoder);
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_FALSE(ui.dialogs[0].save);
    EXPECT_EQ(ui.dialogs[0].request.title, "Veilmark - Open Image");
    EXPECT_EQ(ui.dialogs[0].request.filter,
              "Bitmap (*.bmp)|*.bmp|GIF (*.gif)|*.gif|JPG (*.jpg)|*.jpg|All Files (*.*)|*.*");
    EXPECT_TRUE(ui.boxes.empty());
    EXPECT_EQ(area.width, 400);
    EXPECT_EQ(area.height, 300);
    EXPECT_TRUE(area.loaded);
    EXPECT_EQ(preview, canvas.picture());  // one picture object, shared
}

TEST_F(OpenSave, OnePointPictureGivesAOnePointArea) {
    // Its HIMETRIC size (26) is larger, so the drawing area wins.
    ui.answer(savedPicture(1, 1, "dot.bmp"));
    openImage(canvas, preview, area, ui, ui, ui.decoder);
    EXPECT_EQ(canvas.picture()->himetricWidth(), 26);
    EXPECT_EQ(area.width, 1);
    EXPECT_EQ(area.height, 1);
}

TEST_F(OpenSave, CancelOrABadFileChangesNothing) {
    ui.answer(savedPicture(40, 30, "first.bmp"));
    openImage(canvas, preview, area, ui, ui, ui.decoder);
    const PictureRef first = canvas.picture();
    canvas.setPoint(1, 1, 0);

    ui.answer("");  // cancel
    openImage(canvas, preview, area, ui, ui, ui.decoder);
    writeFile(dir.file("bad.gif"), "GIF89a but nothing else");
    ui.answer(dir.file("bad.gif"));
    openImage(canvas, preview, area, ui, ui, ui.decoder);

    EXPECT_EQ(canvas.picture(), first);
    EXPECT_EQ(preview, first);
    EXPECT_EQ(canvas.changedPoints(), 1u);
    EXPECT_EQ(area.width, 40);
    EXPECT_TRUE(area.loaded);
    ASSERT_EQ(ui.boxes.size(), 1u);  // only the bad file is reported
    EXPECT_EQ(ui.boxes[0].code, vbCritical);
    EXPECT_EQ(ui.boxes[0].title, "Veilmark - Error");
    EXPECT_NE(ui.boxes[0].prompt.find("bad.gif"), std::string::npos);
}

TEST_F(OpenSave, ABadFileBeforeAnyPictureLeavesTheFlagDown) {
    ui.answer(dir.file("nowhere.bmp"));
    openImage(canvas, preview, area, ui, ui, ui.decoder);
    EXPECT_FALSE(area.loaded);
    EXPECT_EQ(canvas.picture(), nullptr);
    EXPECT_EQ(ui.boxes.size(), 1u);
}

TEST_F(OpenSave, SaveDialogAndConfirmation) {
    ui.answer(dir.file("out"));  // typed without an extension
    const std::string path = chooseSaveFile(ui);
    EXPECT_EQ(path, dir.file("out.bmp"));
    ASSERT_EQ(ui.dialogs.size(), 1u);
    EXPECT_TRUE(ui.dialogs[0].save);
    EXPECT_EQ(ui.dialogs[0].request.title, "Save image");
    EXPECT_EQ(ui.dialogs[0].request.filter,
              "Windows Bitmap (*.bmp)|*.bmp|GIF (*.gif)|*.gif|JPG (*.jpg)|*.jpg");
    EXPECT_EQ(ui.dialogs[0].request.defaultExtension, ".bmp");

    canvas.setPicture(patternPicture(9, 7));
    canvas.setPoint(4, 4, 0x010203);
    commitCanvas(canvas);
    EXPECT_TRUE(saveCanvas(canvas, path, ui));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt, "Image saved to " + path);
    EXPECT_EQ(ui.boxes[0].code, vbOKOnly);
    EXPECT_EQ(ui.boxes[0].title, "Veilmark");
    const Result<PictureRef> saved = test::loadPicture(path);
    ASSERT_TRUE(saved) << saved.error();
    EXPECT_EQ((*saved)->colourAt(4, 4), 0x010203);
}

TEST_F(OpenSave, AFailedSaveSaysWhyConfirmsNothingAndKeepsTheOldFile) {
    canvas.setPicture(patternPicture(9, 7));
    const std::string target = savedPicture(3, 3, "keep.bmp", 5);
    const std::string before = readFile(target);
    std::filesystem::permissions(target, std::filesystem::perms::owner_read);
    EXPECT_FALSE(saveCanvas(canvas, target, ui));
    EXPECT_FALSE(saveCanvas(canvas, dir.file("no/such/folder.bmp"), ui));
    ASSERT_EQ(ui.boxes.size(), 2u);
    for (const auto& box : ui.boxes) {
        EXPECT_EQ(box.code, vbCritical);
        EXPECT_EQ(box.prompt.find("Image saved"), std::string::npos);
    }
    EXPECT_EQ(readFile(target), before);
}

TEST_F(OpenSave, ACheckThatFindsTheFileWrongIsReportedAndReplacesNothing) {
    canvas.setPicture(patternPicture(4, 4));
    const std::string target = savedPicture(3, 3, "x.bmp", 5);
    const std::string before = readFile(target);
    bool checked = false;
    EXPECT_FALSE(saveCanvas(canvas, target, ui, [&](const PictureRef& written) -> Result<void> {
        checked =
            written->width() == 4 && written->colourAt(3, 2) == canvas.picture()->colourAt(3, 2);
        return failure("it came back wrong");
    }));
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0].prompt, "it came back wrong");
    EXPECT_TRUE(checked) << "the check did not read the new picture";
    EXPECT_EQ(readFile(target), before) << "replaced before the check";
}

}  // namespace
}  // namespace vm

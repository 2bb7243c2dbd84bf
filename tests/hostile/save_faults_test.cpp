// A save that fails, through the window handlers: hide, then the file cannot be
// written. The user is told why and never told "Image saved to"; a file of that
// name is byte for byte what it was; no temporary file is left; and the program
// goes on: the next save to a good place holds the message.
#include <gtest/gtest.h>

#include <sys/mount.h>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>

#include "flows/window_model.h"
#include "imaging/picture_saving.h"
#include "platform/file_replacement.h"
#include "support/replacement_faults.h"
#include "support/scripted_platform.h"
#include "support/test_pictures.h"

namespace vm {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::ScriptedPlatform;
using test::TempDir;
using test::writeFile;

constexpr char kPrecious[] = "an earlier picture, not to be lost";

// Every file below a folder, with its contents, to compare before and after.
std::map<std::string, std::string> snapshot(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (auto& e : fs::recursive_directory_iterator(root))
        files[e.path().string()] = e.is_regular_file() ? readFile(e.path().string()) : "<folder>";
    return files;
}

struct Fault {
    const char* name;
    // Prepares the fault in the folder and returns the path the user saves to.
    std::function<std::string(const fs::path& folder)> arrange;
    const char* words;                             // in the message
    std::optional<int> writeErrno = std::nullopt;  // a fault the saving meets
};
void PrintTo(const Fault& row, std::ostream* out) {
    *out << row.name;
}

// A small file system of its own, so that a full disk is a real one.
class SmallDisk {
  public:
    explicit SmallDisk(const fs::path& where) : m_where(where) {
        fs::create_directory(where);
        m_mounted = ::mount("tmpfs", where.c_str(), "tmpfs", 0, "size=64k") == 0;
    }
    ~SmallDisk() {
        if (m_mounted) ::umount2(m_where.c_str(), MNT_DETACH);
    }
    bool mounted() const { return m_mounted; }

  private:
    fs::path m_where;
    bool m_mounted = false;
};

const Fault kFaults[] = {
    {"FolderMissing", [](const fs::path& d) { return (d / "missing" / "out.bmp").string(); },
     "the folder does not exist"},
    {"FolderNotWritable",
     [](const fs::path& d) {
         fs::create_directory(d / "locked");
         writeFile((d / "locked" / "kept.bmp").string(), kPrecious);
         fs::permissions(d / "locked", fs::perms::owner_read | fs::perms::owner_exec);
         return (d / "locked" / "out.bmp").string();  // a new file there
     },
     "permission denied"},
    {"TargetIsAFolder",
     [](const fs::path& d) {
         fs::create_directories(d / "out.bmp" / "inside");
         writeFile((d / "out.bmp" / "kept.txt").string(), kPrecious);
         return (d / "out.bmp").string();
     },
     "a folder has that name"},
    {"TargetIsReadOnly",
     [](const fs::path& d) {
         writeFile((d / "out.bmp").string(), kPrecious);
         fs::permissions(d / "out.bmp", fs::perms::owner_read | fs::perms::group_read);
         return (d / "out.bmp").string();
     },
     "read-only"},
    {"PartOfThePathIsAFile",
     [](const fs::path& d) {
         writeFile((d / "notes").string(), kPrecious);
         return (d / "notes" / "out.bmp").string();
     },
     "part of the path is not a folder"},
    {"DiskFullInjected",
     [](const fs::path& d) {
         writeFile((d / "out.bmp").string(), kPrecious);
         return (d / "out.bmp").string();
     },
     "the disk is full", ENOSPC},
};

class SaveFlow : public ::testing::Test {
  protected:
    // Opens a cover of 90 kB on the Encrypt tab; returns the picture as opened.
    PictureRef openCover() {
        const std::string cover = dir.file("cover.bmp");
        EXPECT_TRUE(savePicture(*test::patternPicture(200, 150), cover));
        ui.answer(cover);
        form.openOnEncrypt();
        form.encryptPassword = U"pw";
        form.message = U"still here after a failed save";
        return form.encryptCanvas.picture();
    }
    void hideTo(const std::string& path) {
        ui.answer(path);
        form.hideMessage();
    }

    // What every failed save must leave: told why, nothing confirmed, nothing lost,
    // and a later save to a good place carries the message.
    void expectReportedAndRecoverable(const std::string& path, const char* words,
                                      const std::map<std::string, std::string>& before,
                                      const fs::path& watched, const PictureRef& opened) {
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0].code, vbCritical);
        EXPECT_EQ(ui.boxes[0].title, "Veilmark - Error");
        EXPECT_EQ(ui.boxes[0].prompt.find("Image saved to"), std::string::npos);
        EXPECT_NE(ui.boxes[0].prompt.find(path), std::string::npos) << ui.boxes[0].prompt;
        EXPECT_NE(ui.boxes[0].prompt.find(words), std::string::npos) << ui.boxes[0].prompt;
        form.setSaveFaults({});
        EXPECT_EQ(snapshot(watched), before) << "a file changed or a temporary file was left";
        // The canvas keeps the committed picture with the message in it.
        EXPECT_NE(form.encryptCanvas.picture(), opened);

        const std::string good = dir.file("saved_after_all.bmp");
        ui.answer(good);
        form.hideMessage();
        ASSERT_EQ(ui.boxes.size(), 2u);
        EXPECT_EQ(ui.boxes[1].prompt, "Image saved to " + good);
        ui.answer(good);
        form.openOnDecrypt();
        form.decryptPassword = U"pw";
        form.revealMessage();
        EXPECT_EQ(form.revealedMessage, U"still here after a failed save");
    }

    TempDir dir;
    ScriptedPlatform ui;
    WindowModel form{ui, ui, ui.decoder};
};

class SaveFault : public SaveFlow, public ::testing::WithParamInterface<Fault> {};

TEST_P(SaveFault, IsReportedAndLosesNothing) {
    const PictureRef opened = openCover();
    const fs::path folder = dir.path() / "target";
    fs::create_directory(folder);
    const std::string path = GetParam().arrange(folder);
    const auto before = snapshot(folder);
    form.setSaveFaults(test::writesFailWith(GetParam().writeErrno));
    hideTo(path);
    expectReportedAndRecoverable(path, GetParam().words, before, folder, opened);
}

INSTANTIATE_TEST_SUITE_P(Faults, SaveFault, ::testing::ValuesIn(kFaults),
                         [](const ::testing::TestParamInfo<Fault>& p) {
                             return std::string(p.param.name);
                         });

// A disk that really fills up: a 64 kB file system, an earlier file on it, and a
// picture of 90 kB to save over that file.
TEST_F(SaveFlow, DiskReallyFull) {
    const fs::path folder = dir.path() / "small";
    SmallDisk disk(folder);
    if (!disk.mounted())
        GTEST_SKIP() << "cannot mount a small file system here (needs root); the injected "
                        "fault above stands in";
    const PictureRef opened = openCover();
    const std::string path = (folder / "out.bmp").string();
    writeFile(path, kPrecious);
    const auto before = snapshot(folder);
    hideTo(path);
    expectReportedAndRecoverable(path, "the disk is full", before, folder, opened);
}

// The file and the memory ends of saving give the same bitmap, each read back and
// checked before it is handed over; a check that fails hands nothing over.
TEST(SaveDestinations, FileAndMemoryGiveTheSameCheckedBitmap) {
    TempDir dir;
    const PictureRef picture = test::patternPicture(7, 5);  // an odd width: padded rows
    int checks = 0;
    const WrittenPictureCheck compare = [&](const PictureRef& written) -> Result<void> {
        ++checks;
        for (std::int32_t y = 0; y < 5; ++y)
            for (std::int32_t x = 0; x < 7; ++x)
                if (written->colourAt(x, y) != picture->colourAt(x, y)) return failure("differs");
        return {};
    };
    const std::string path = dir.file("out.bmp");
    ASSERT_TRUE(savePicture(*picture, path, compare));
    const Result<std::vector<std::uint8_t>> bytes =
        savePictureToMemory(*picture, "standard output", compare);
    ASSERT_TRUE(bytes) << bytes.error();
    EXPECT_EQ(checks, 2);
    EXPECT_EQ(std::string(bytes->begin(), bytes->end()), readFile(path));

    const auto refused = savePictureToMemory(
        *picture, "standard output",
        [](const PictureRef&) -> Result<void> { return failure("came back wrong"); });
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), "came back wrong");
}

}  // namespace
}  // namespace vm

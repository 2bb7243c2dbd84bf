// Saving must never destroy what was there: every failure leaves an existing
// file byte for byte intact and no temporary file behind.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "platform/atomic_file.h"
#include "support/test_pictures.h"

namespace vm {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

std::size_t entries(const fs::path& dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] auto& e : fs::directory_iterator(dir)) ++n;
    return n;
}

bool writeWhole(const std::string& path, const std::string& bytes, std::string* error = nullptr) {
    AtomicFile file(path);
    const bool ok = file.open() && file.write(bytes.data(), bytes.size()) && file.commit();
    if (error) *error = file.error();
    return ok;
}

TEST(AtomicFile, WritesAndReplaces) {
    TempDir dir;
    const std::string path = dir.file("out.bmp");
    ASSERT_TRUE(writeWhole(path, "first"));
    ASSERT_TRUE(writeWhole(path, "second"));
    EXPECT_EQ(readFile(path), "second");
    EXPECT_EQ(entries(dir.path()), 1u);
}

TEST(AtomicFile, KeepsTheReplacedFilesPermissions) {
    TempDir dir;
    const std::string path = dir.file("out.bmp");
    writeFile(path, "old");
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(writeWhole(path, "new"));
    EXPECT_EQ(fs::status(path).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

struct Fault {
    const char* name;
    const char* expectedWords;
};

class AtomicFileFaults : public ::testing::Test {
  protected:
    void SetUp() override { writeFile(existing, "precious"); }
    void TearDown() override { AtomicFile::injectWriteFault(std::nullopt); }
    void expectIntact() {
        EXPECT_EQ(readFile(existing), "precious");
        EXPECT_EQ(entries(dir.path()), 1u) << "a temporary file was left behind";
    }
    TempDir dir;
    std::string existing = dir.file("a.bmp");
};

TEST_F(AtomicFileFaults, DiskFullDuringWrite) {
    AtomicFile::injectWriteFault(ENOSPC);
    std::string error;
    EXPECT_FALSE(writeWhole(existing, "new contents", &error));
    EXPECT_NE(error.find("the disk is full"), std::string::npos) << error;
    EXPECT_NE(error.find(existing), std::string::npos);
    expectIntact();
}

TEST_F(AtomicFileFaults, ReadOnlyTarget) {
    fs::permissions(existing,
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    std::string error;
    EXPECT_FALSE(writeWhole(existing, "new", &error));
    EXPECT_NE(error.find("read-only"), std::string::npos) << error;
    expectIntact();
}

TEST_F(AtomicFileFaults, ReadOnlyFolder) {
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    std::string error;
    EXPECT_FALSE(writeWhole(existing, "new", &error));
    EXPECT_NE(error.find("permission denied"), std::string::npos) << error;
    fs::permissions(dir.path(), fs::perms::owner_all);
    expectIntact();
}

TEST_F(AtomicFileFaults, TargetIsAFolderOrInAMissingFolder) {
    fs::create_directory(dir.file("sub"));
    std::string error;
    EXPECT_FALSE(writeWhole(dir.file("sub"), "new", &error));
    EXPECT_NE(error.find("a folder has that name"), std::string::npos) << error;
    EXPECT_FALSE(writeWhole(dir.file("missing/x.bmp"), "new", &error));
    EXPECT_NE(error.find("the folder does not exist"), std::string::npos) << error;
    EXPECT_FALSE(writeWhole(existing + "/x.bmp", "new", &error));  // a file used as a folder
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(fs::is_directory(dir.file("sub")));
    EXPECT_EQ(readFile(existing), "precious");
    EXPECT_EQ(entries(dir.path()), 2u);
}

TEST_F(AtomicFileFaults, AbandonedWriteLeavesNothing) {
    {
        AtomicFile file(existing);
        ASSERT_TRUE(file.open());
        ASSERT_TRUE(file.write("partial", 7));
    }  // never committed
    expectIntact();
}

}  // namespace
}  // namespace vm

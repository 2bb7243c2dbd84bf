// Saving must never destroy what was there: the new contents take the target's
// place only once complete and read back; links, owner, group and mode are kept;
// only regular files are replaced; every failure, and a kill at any moment, leaves
// the old file byte for byte intact and no temporary file behind.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <thread>

#include "platform/ending_signals.h"
#include "platform/file_replacement.h"
#include "support/replacement_faults.h"
#include "support/test_pictures.h"

namespace vm {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

std::size_t entries(const fs::path& dir) {
    std::size_t n = 0;
    for ([[maybe_unused]] auto& e : fs::recursive_directory_iterator(dir)) ++n;
    return n;
}

// Writes the bytes, reads them back from the staged file before committing, as
// the savers do; false with *error set on failure.
// What the staged file holds, read through its descriptor.
std::string staged(const FileReplacement& file) {
    const Result<int> fd = file.stagedFd();
    return fd ? readFile("/proc/self/fd/" + std::to_string(*fd)) : std::string("<none>");
}

bool save(const std::string& path, const std::string& bytes, std::string* error = nullptr,
          const ReplacementFaults& faults = {}) {
    FileReplacement file(path, faults);
    Result<void> step = file.open();
    if (step) step = file.write(bytes.data(), bytes.size());
    if (step && staged(file) != bytes) {
        file.abandon();
        step = failure("read back wrong");
    }
    if (step) step = file.commit();
    if (error) *error = step.error();
    return static_cast<bool>(step);
}

std::string commandOutput(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

struct stat statOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st;
}

// One kind of target: setup makes it with the shell in an empty folder, save is
// the name the user saves to, holder the file that must carry the contents after.
struct Target {
    const char* name;
    std::string setup, save, holder;
    const char* refusal;  // words of the message, or nothing when the save succeeds
    mode_t mode;          // of the holder afterwards (less the umask for a new file)
    nlink_t links;
    bool foreignOwner;  // nobody:nogroup, kept
    bool inPlace;       // the holder keeps its inode
    bool named = false;
    const char* same = "";  // a command whose output the save must not change
};
// Test listings name a row, not its bytes; the same for the rows further down.
void PrintTo(const Target& row, std::ostream* out) {
    *out << row.name;
}

const std::string kLong(NAME_MAX - 8, 'n');

const Target kTargets[] = {
    {"NewFile", ":", "new.bmp", "new.bmp", nullptr, 0666, 1, false, false},
    {"PrivateFile", "echo old >a && chmod 600 a", "a", "a", nullptr, 0600, 1, false, false},
    {"SetUserIdDropped", "echo old >a && chmod 4755 a", "a", "a", nullptr, 0755, 1, false, false},
    {"SymbolicLink", "echo old >real && chmod 640 real && ln -s real link", "link", "real", nullptr,
     0640, 1, false, false},
    {"DanglingLink", "mkdir sub && ln -s sub/made link", "link", "sub/made", nullptr, 0666, 1,
     false, false},
    {"HardLinked", "echo old >a && ln a b", "a", "b", nullptr, 0644, 2, false, true},
    {"OtherOwner", "echo old >a && chmod 640 a && chown nobody:nogroup a", "a", "a", nullptr, 0640,
     1, true, false},
    {"FolderTakesNoNewFiles", "echo old >a && chmod 555 .", "a", "a", nullptr, 0644, 1, false,
     true},
    {"LongestName", "echo old >" + kLong, kLong, kLong, nullptr, 0644, 1, false, false},
    {"NamedStaging", "echo old >" + kLong, kLong, kLong, nullptr, 0644, 1, false, false, true},
    {"Pipe", "mkfifo p", "p", "p", "not a regular file", 0644, 1, false, true},
    {"DeviceNode", "mknod null c 1 3", "null", "null", "not a regular file", 0644, 1, false, true},
    {"ReadOnlyFile", "echo old >a && chmod 444 a", "a", "a", "read-only", 0444, 1, false, true},
    {"NewFileInLockedFolder", "chmod 555 .", "new", "new", "permission denied", 0, 0, false, false},
    // The mode's group bits are the list's mask: the list, not the bits, says who may write.
    {"AccessListAndAttributes",
     "echo old >a && chmod 600 a && setfacl -m u:nobody:rw a && setfattr -n user.tag -v kept a",
     "a", "a", nullptr, 0660, 1, false, false, false, "getfacl -cp a; getfattr -d a"},
    {"AttributesOnAHardLink", "echo old >a && ln a b && setfattr -n user.tag -v kept a", "a", "b",
     nullptr, 0644, 2, false, true, false, "getfattr -d a"},
    {"FolderNotReadable", "echo old >a && chmod 333 .", "a", "a", nullptr, 0644, 1, false, false},
    {"AnotherUsersLinkInASharedFolder",
     "grep -qx 1 /proc/sys/fs/protected_symlinks && chmod 1777 . && echo old >real && "
     "ln -s real link && chown -h nobody link",
     "link", "real", "does not let you follow", 0644, 1, false, true},
};

class TargetKinds : public ::testing::TestWithParam<Target> {};

TEST_P(TargetKinds, KeepWhatTheUserHas) {
    const Target& row = GetParam();
    TempDir dir;
    const fs::path folder = dir.path() / "f";
    fs::create_directory(folder);
    if (std::system(("cd '" + folder.string() + "' && " + row.setup).c_str()) != 0)
        GTEST_SKIP() << "cannot make this target here (needs root): " << row.setup;
    const std::string path = (folder / row.save).string();
    const std::string holder = (folder / row.holder).string();
    const struct stat before = statOf(holder);
    const bool throughLink = fs::is_symlink(path);
    const std::size_t count = entries(folder);
    const auto sameOutput = [&] {
        return commandOutput("cd '" + folder.string() + "' && (" + row.same + ") 2>&1");
    };
    const std::string sameBefore = sameOutput();

    std::string error;
    const bool saved = save(path, "new contents", &error, test::namedStaging(row.named));

    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(entries(folder), count + (row.refusal || before.st_nlink ? 0 : 1))
        << "a temporary file was left behind";
    if (row.refusal) {
        EXPECT_FALSE(saved);
        EXPECT_NE(error.find(row.refusal), std::string::npos) << error;
        EXPECT_NE(error.find(path), std::string::npos) << error;
        const struct stat after = statOf(holder);
        EXPECT_EQ(after.st_mode, before.st_mode) << "the target changed kind or mode";
        if (S_ISREG(before.st_mode)) {
            EXPECT_EQ(readFile(holder), "old\n");
        }
        return;
    }
    ASSERT_TRUE(saved) << error;
    EXPECT_EQ(readFile(holder), "new contents");
    EXPECT_EQ(fs::is_symlink(path), throughLink) << "the link was replaced by a file";
    const struct stat after = statOf(holder);
    const mode_t umask = ::umask(0);
    ::umask(umask);
    const mode_t mode = before.st_nlink ? row.mode : row.mode & ~umask;
    EXPECT_EQ(after.st_mode & 07777, mode);
    EXPECT_EQ(after.st_nlink, row.links);
    EXPECT_EQ(sameOutput(), sameBefore);
    EXPECT_EQ(after.st_uid, row.foreignOwner ? 65534 : ::geteuid());  // nobody
    EXPECT_EQ(after.st_gid, row.foreignOwner ? 65534 : ::getegid());  // nogroup
    if (before.st_nlink) {
        EXPECT_EQ(after.st_ino == before.st_ino, row.inPlace);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, TargetKinds, ::testing::ValuesIn(kTargets),
                         [](const ::testing::TestParamInfo<Target>& p) {
                             return std::string(p.param.name);
                         });

TEST(FileReplacement, ReplacesOnlyOnceCommitted) {
    TempDir dir;
    const std::string path = dir.file("out.bmp");
    ASSERT_TRUE(save(path, "first"));
    {
        FileReplacement file(path);
        ASSERT_TRUE(file.open());
        ASSERT_TRUE(file.write("second", 6));
        EXPECT_EQ(staged(file), "second");
        EXPECT_EQ(readFile(path), "first") << "replaced before the commit";
        file.abandon();
        EXPECT_FALSE(file.commit());
    }
    EXPECT_EQ(readFile(path), "first");
    EXPECT_EQ(entries(dir.path()), 1u);
}

class FileReplacementFaults : public ::testing::Test {
  protected:
    void SetUp() override { writeFile(target, "precious"); }
    void expectIntact() {
        EXPECT_EQ(readFile(target), "precious");
        EXPECT_EQ(entries(dir.path()), 1u) << "a temporary file was left behind";
    }
    TempDir dir;
    std::string target = dir.file("a.bmp");
};

TEST_F(FileReplacementFaults, DiskFullDuringWrite) {
    std::string error;
    EXPECT_FALSE(save(target, "new contents", &error, test::writesFailWith(ENOSPC)));
    EXPECT_NE(error.find("the disk is full"), std::string::npos) << error;
    EXPECT_NE(error.find(target), std::string::npos);
    expectIntact();
}

TEST_F(FileReplacementFaults, TargetIsAFolderOrInAMissingFolder) {
    fs::create_directory(dir.file("sub"));
    std::string error;
    EXPECT_FALSE(save(dir.file("sub"), "new", &error));
    EXPECT_NE(error.find("a folder has that name"), std::string::npos) << error;
    EXPECT_FALSE(save(dir.file("missing/x.bmp"), "new", &error));
    EXPECT_NE(error.find("the folder does not exist"), std::string::npos) << error;
    EXPECT_FALSE(save(target + "/x.bmp", "new", &error));  // a file used as a folder
    EXPECT_NE(error.find("part of the path is not a folder"), std::string::npos) << error;
    EXPECT_TRUE(fs::is_directory(dir.file("sub")));
    EXPECT_EQ(readFile(target), "precious");
    EXPECT_EQ(entries(dir.path()), 2u);
}

TEST_F(FileReplacementFaults, AbandonedWriteLeavesNothing) {
    for (bool named : {false, true}) {
        {
            FileReplacement file(target, test::namedStaging(named));
            ASSERT_TRUE(file.open());
            ASSERT_TRUE(file.write("partial", 7));
            // A named staged file is listed in the folder; an unnamed one is not.
            EXPECT_EQ(entries(dir.path()), named ? 2u : 1u);
        }  // never committed
        expectIntact();
    }
}

// Saves that race for one file rewritten in place (a hard-linked one) end with one
// complete picture, never a mix of both.
TEST(FileReplacement, RacingInPlaceSavesLeaveOneCompleteFile) {
    TempDir dir;
    const std::string target = dir.file("a");
    writeFile(target, "old");
    ASSERT_EQ(::link(target.c_str(), dir.file("b").c_str()), 0);
    const std::string first(3 << 20, 'A'), second(3 << 20, 'B');
    for (int round = 0; round < 10; ++round) {
        std::thread other([&] { EXPECT_TRUE(save(target, second)); });
        EXPECT_TRUE(save(target, first));
        other.join();
        const std::string now = readFile(dir.file("b"));
        EXPECT_TRUE(now == first || now == second) << "round " << round << ": a mix";
    }
}

// A process that saves over one file again and again is ended at random moments,
// as a user's Ctrl+C, a shutdown or the kernel would; what it leaves must be the
// old file or one of the new ones, complete, and nothing else.
struct Ending {
    const char* name;
    int signal;
    bool named;  // staged in a named file, which only a catchable signal can remove
};

void PrintTo(const Ending& row, std::ostream* out) {
    *out << row.name;
}

class KilledMidSave : public ::testing::TestWithParam<Ending> {};

TEST_P(KilledMidSave, LeavesOldOrNewAndNothingElse) {
    const Ending& row = GetParam();
    TempDir dir;
    const std::string target = dir.file("out.bmp");
    const std::string old(1 << 19, 'o');
    // A kill -9 between the two system calls that swap the files in leaves the new
    // one under a hidden name; long saves make that window as rare as it is in use.
    const std::size_t size = row.signal == SIGKILL ? 8 << 20 : 1 << 20;
    const std::string first(size, 'a'), second(size / 2, 'b');
    writeFile(target, old);
    std::mt19937 random(std::random_device{}());
    for (int round = 0; round < 8; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            installEndingSignalPolicy();
            for (int n = 0;; ++n) {
                const std::string& bytes = n % 2 ? second : first;
                FileReplacement file(target, test::namedStaging(row.named));
                if (!(file.open() && file.write(bytes.data(), bytes.size()) && file.stagedFd() &&
                      file.commit()))
                    ::_exit(3);
            }
        }
        // Saves take some milliseconds each, most of it flushing.
        const auto spread = row.signal == SIGKILL ? 150000u : 60000u;
        std::this_thread::sleep_for(std::chrono::microseconds(1000 + random() % spread));
        ::kill(child, row.signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child failed: status " << status;
        EXPECT_EQ(WTERMSIG(status), row.signal);
        // The one thing a kill -9 may leave: between the two system calls that swap the
        // files in, the complete new picture under its hidden name beside the target.
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            if (entry.path() == target) continue;
            const std::string name = entry.path().filename().string();
            const std::string left = readFile(entry.path().string());
            EXPECT_TRUE(row.signal == SIGKILL && name.rfind(".out.bmp.", 0) == 0 &&
                        (left == first || left == second))
                << "round " << round << " left " << name << " (" << left.size() << " bytes)";
            fs::remove(entry.path());
        }
        const std::string now = readFile(target);
        EXPECT_TRUE(now == old || now == first || now == second)
            << "round " << round << ": the target holds " << now.size() << " bytes of neither";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Signals, KilledMidSave,
    ::testing::Values(Ending{"Kill", SIGKILL, false}, Ending{"Terminate", SIGTERM, false},
                      Ending{"TerminateNamed", SIGTERM, true},
                      Ending{"InterruptNamed", SIGINT, true}, Ending{"HangUpNamed", SIGHUP, true}),
    [](const ::testing::TestParamInfo<Ending>& p) { return std::string(p.param.name); });

// A signal that comes while a save commits waits for the commit, whichever thread
// the kernel hands it to; after the commit, a program that ends with its save is
// left to end as a save that was made, and only then.
struct SignalMoment {
    const char* name;
    bool finishing;     // the program ends once its save is in place
    bool inPlace;       // the target has a second name, so it is rewritten in place
    bool duringCommit;  // else before it
    bool endsByItself;  // else the signal ends it
};

void PrintTo(const SignalMoment& row, std::ostream* out) {
    *out << row.name;
}

class SignalDuringCommit : public ::testing::TestWithParam<SignalMoment> {};

void terminateThisProcess() {
    ::kill(::getpid(), SIGTERM);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
}

TEST_P(SignalDuringCommit, WaitsForTheCommit) {
    const SignalMoment& row = GetParam();
    TempDir dir;
    const std::string target = dir.file("out.bmp");
    writeFile(target, "old");
    if (row.inPlace) fs::create_hard_link(target, dir.file("other.bmp"));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        installEndingSignalPolicy();
        if (row.finishing) finishOnceCommitted();
        // A thread started later must not take the signal and end the process early.
        std::thread([] { std::this_thread::sleep_for(std::chrono::seconds(10)); }).detach();
        ReplacementFaults faults;
        if (row.duringCommit) faults.whileCommitting = terminateThisProcess;
        FileReplacement file(target, faults);
        if (!(file.open() && file.write("new", 3))) ::_exit(3);
        if (!row.duringCommit) terminateThisProcess();
        if (!file.commit()) ::_exit(3);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    if (row.endsByItself) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    } else {
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "status " << status;
    }
    EXPECT_EQ(readFile(target), row.duringCommit ? "new" : "old");
    EXPECT_EQ(entries(dir.path()), row.inPlace ? 2u : 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Moments, SignalDuringCommit,
    ::testing::Values(SignalMoment{"InPlaceInTheWindows", false, true, true, false},
                      SignalMoment{"InPlaceInTheCommandLine", true, true, true, true},
                      SignalMoment{"ByRenameInTheWindows", false, false, true, false},
                      SignalMoment{"BeforeTheCommit", true, false, false, false}),
    [](const ::testing::TestParamInfo<SignalMoment>& p) { return std::string(p.param.name); });

}  // namespace
}  // namespace vm

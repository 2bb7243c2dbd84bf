// The installed shape of veilmark-cli: the program itself, run as a child
// process, with its decoder module beside it.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <cstdio>
#include <filesystem>

#include "support/test_pictures.h"

namespace vm::test {
namespace {

struct Finished {
    int status = -1;
    std::string out, err;
};

// Runs the program with these arguments, standard input and environment.
// Standard input starts skip bytes in, as if something before had read them.
Finished runProgram(const std::string& program, const std::vector<std::string>& args,
                    const std::string& input, const std::vector<std::string>& environment,
                    const TempDir& dir, off_t skip = 0) {
    const std::string in = dir.file(".stdin"), out = dir.file(".stdout"), err = dir.file(".stderr");
    writeFile(in, input);
    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();  // no controlling terminal: a password is never asked for
        ::dup2(::open(in.c_str(), O_RDONLY), 0);
        ::lseek(0, skip, SEEK_SET);
        ::dup2(::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 1);
        ::dup2(::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600), 2);
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (const auto& e : environment) envp.push_back(const_cast<char*>(e.c_str()));
        envp.push_back(nullptr);
        ::execve(program.c_str(), argv.data(), envp.data());
        ::_exit(127);
    }
    int wstatus = 0;
    ::waitpid(child, &wstatus, 0);
    Finished f;
    f.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
    f.out = readFile(out);
    f.err = readFile(err);
    return f;
}

class CliProgram : public ::testing::Test {
  protected:
    Finished run(const std::vector<std::string>& args, const std::string& input = "",
                 const std::vector<std::string>& environment = {}) {
        return runProgram(VEILMARK_CLI_PROGRAM, args, input, environment, dir);
    }
    TempDir dir;
};

TEST_F(CliProgram, HidesFromAJpegAndRevealsWithPasswordFromTheEnvironment) {
    const std::string jpg = dir.file("cover.jpg"), out = dir.file("hidden.jpg");
    ASSERT_TRUE(patternImage(160, 120).save(QString::fromStdString(jpg), "JPEG", 85));
    const std::string message = "Meet at noon.\r\nBring the map: 5 €";
    Finished f =
        run({"hide", "--message-file", "-", jpg, out}, message, {"VEILMARK_PASSWORD=tulip"});
    ASSERT_EQ(f.status, 0) << f.err;
    EXPECT_EQ(f.out + f.err, "");
    f = run({"reveal", out}, "", {"VEILMARK_PASSWORD=tulip"});
    EXPECT_EQ(f.status, 0) << f.err;
    EXPECT_EQ(f.out, message);
    f = run({"reveal", "--password=tulips", out});
    EXPECT_EQ(f.status, 1);
    EXPECT_EQ(f.out, "");
}

TEST_F(CliProgram, SaysEachFailureInOneLine) {
    writeFile(dir.file("damaged.jpg"),
              std::string("\xff\xd8\xff\xdb\x00\x43", 6) + std::string(300, '\x11'));
    ASSERT_TRUE(patternImage(16, 8).save(QString::fromStdString(dir.file("whole.png")), "PNG"));
    writeFile(dir.file("cut.png"), readFile(dir.file("whole.png")).substr(0, 80));
    const std::vector<std::pair<std::vector<std::string>, int>> cases = {
        {{"reveal", "-p", "x", dir.file("damaged.jpg")}, 3},
        {{"reveal", "-p", "x", dir.file("missing.gif")}, 3},
        {{"reveal", "-p", "x", dir.file("cut.png")}, 3},  // libpng's own line not said
        {{"reveal", "-p", "x"}, 2},
        {{"reveal", dir.file("whole.png")}, 2},    // no password, no terminal
        {{"reveal", dir.file("missing.gif")}, 3},  // said before a password is asked for
        {{"hide", "-p", "x", "-m", "中", dir.file("damaged.jpg"), dir.file("o.bmp")}, 4},
    };
    for (const auto& [args, status] : cases) {
        const Finished f = run(args);
        EXPECT_EQ(f.status, status) << args.back() << ": " << f.err;
        EXPECT_EQ(f.out, "");
        EXPECT_EQ(f.err.rfind("veilmark-cli: ", 0), 0u) << f.err;
        EXPECT_EQ(f.err.find('\n'), f.err.size() - 1) << f.err;
    }
}

TEST_F(CliProgram, PicturesThroughStandardInputAndOutput) {
    const std::string png = dir.file("cover.png"), bmp = dir.file("hidden.bmp");
    ASSERT_TRUE(patternImage(96, 64).save(QString::fromStdString(png), "PNG"));
    Finished f = run({"hide", "-p", "pw", "-m", "through pipes", "-", "-"}, readFile(png));
    ASSERT_EQ(f.status, 0) << f.err;
    EXPECT_EQ(f.out.substr(0, 2), "BM");
    writeFile(bmp, f.out);
    for (const auto& words : {std::vector<std::string>{"reveal", "-p", "pw", "-"},
                              std::vector<std::string>{"scan", "-"}}) {
        f = run(words, readFile(bmp));
        EXPECT_EQ(f.status, 0) << words[0] << ": " << f.err;
        EXPECT_EQ(f.out, "through pipes") << words[0];
    }
    // Descriptor 0 itself: where the file was read past, the picture starts there.
    f = runProgram(VEILMARK_CLI_PROGRAM, {"reveal", "-p", "pw", "-"}, "skipped " + readFile(bmp),
                   {}, dir, 8);
    EXPECT_EQ(f.out, "through pipes") << f.err;
    // A pipe of what no picture starts with is refused at its first bytes: its writer
    // is cut off (141: SIGPIPE) instead of all 64 MB being read.
    f = runProgram("/bin/bash",
                   {"-c", "head -c 64000000 /dev/zero | \"$0\" reveal -p pw -; echo $PIPESTATUS",
                    VEILMARK_CLI_PROGRAM},
                   "", {"PATH=/usr/bin:/bin"}, dir);
    EXPECT_EQ(f.out, "141\n") << f.err;
    EXPECT_NE(f.err.find("not a picture"), std::string::npos) << f.err;
    // A full standard output is said with its reason.
    f = runProgram("/bin/bash",
                   {"-c", "\"$0\" reveal -p pw \"$1\" >/dev/full", VEILMARK_CLI_PROGRAM, bmp}, "",
                   {}, dir);
    EXPECT_NE(f.err.find("to standard output: no space left"), std::string::npos) << f.err;
    f = run({"hide", "-p", "pw", "--message-file", "-", "-", bmp}, "x");
    EXPECT_EQ(f.status, 2);
    EXPECT_NE(f.err.find("not both"), std::string::npos) << f.err;
    f = run({"hide", "-m", "x", png, dir.file("new.bmp")});  // no password, no terminal
    EXPECT_EQ(f.status, 2);
    EXPECT_NE(f.err.find("no terminal to ask on"), std::string::npos) << f.err;
}

TEST_F(CliProgram, VersionHelpAndABitmapNeedNoDecoders) {
    // A copy of the program without its module still reads bitmaps.
    const std::string alone = dir.file("veilmark-cli");
    std::filesystem::copy_file(VEILMARK_CLI_PROGRAM, alone);
    Finished f = runProgram(alone, {"--version"}, "", {}, dir);
    EXPECT_EQ(f.status, 0);
    EXPECT_EQ(f.out, std::string("veilmark-cli ") + VEILMARK_VERSION + "\n");
    f = runProgram(alone, {"--help"}, "", {}, dir);
    EXPECT_EQ(f.status, 0);
    EXPECT_NE(f.out.find("Example"), std::string::npos);

    const std::string bmp = dir.file("cover.bmp"), out = dir.file("out.bmp");
    ASSERT_TRUE(patternImage(64, 64).save(QString::fromStdString(bmp), "BMP"));
    f = runProgram(alone, {"hide", "-p", "", "-m", "no toolkit", bmp, out}, "", {}, dir);
    ASSERT_EQ(f.status, 0) << f.err;
    f = runProgram(alone, {"reveal", "-p", "", out}, "", {}, dir);
    EXPECT_EQ(f.out, "no toolkit");

    const std::string png = dir.file("cover.png");
    ASSERT_TRUE(patternImage(64, 64).save(QString::fromStdString(png), "PNG"));
    f = runProgram(alone, {"reveal", "-p", "", png}, "", {}, dir);
    EXPECT_EQ(f.status, 3);
    EXPECT_NE(f.err.find("decoders"), std::string::npos) << f.err;
}

}  // namespace
}  // namespace vm::test

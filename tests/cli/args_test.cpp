#include "cli/args.h"

#include <gtest/gtest.h>

namespace vm::cli {
namespace {

TEST(CliArguments, HideTakesEveryPasswordAndMessageSpelling) {
    Result<Arguments> r = parseArguments({"hide", "-p", "pw", "-m", "hello", "in.jpg", "out.bmp"});
    ASSERT_TRUE(r) << r.error();
    EXPECT_EQ(r->command, Command::Hide);
    EXPECT_EQ(r->password, "pw");
    EXPECT_EQ(r->message, "hello");
    EXPECT_EQ(r->input, "in.jpg");
    EXPECT_EQ(r->output, "out.bmp");

    r = parseArguments({"hide", "in", "--password=a=b", "out", "--message=", "-pignored?"});
    EXPECT_FALSE(r);  // -p given twice
    r = parseArguments({"hide", "in", "--password=a=b", "out", "--message="});
    ASSERT_TRUE(r) << r.error();
    EXPECT_EQ(r->password, "a=b");  // only the first '=' splits
    EXPECT_EQ(r->message, "");      // an empty message is a message
    EXPECT_EQ(r->input, "in");      // options and files in any order

    r = parseArguments({"hide", "-pX", "--message-file", "-", "--password-file=x"});
    EXPECT_FALSE(r);
    r = parseArguments({"hide", "--password-file", "pw.txt", "--message-file", "-", "a", "b"});
    ASSERT_TRUE(r) << r.error();
    EXPECT_EQ(r->passwordFile, "pw.txt");
    EXPECT_EQ(r->messageFile, "-");
    EXPECT_FALSE(r->password);
    EXPECT_FALSE(r->message);
    EXPECT_FALSE(r->seal);
    r = parseArguments({"hide", "-m", "x", "a", "--seal", "b"});
    ASSERT_TRUE(r) << r.error();
    EXPECT_TRUE(r->seal);
}

TEST(CliArguments, ValuesAndFilesMayLookLikeOptions) {
    // The word after -m is the message whatever it looks like; after "--" only files.
    Result<Arguments> r = parseArguments({"hide", "-m", "--area", "--", "-p", "--out.bmp"});
    ASSERT_TRUE(r) << r.error();
    EXPECT_EQ(r->message, "--area");
    EXPECT_FALSE(r->password);
    EXPECT_EQ(r->input, "-p");
    EXPECT_EQ(r->output, "--out.bmp");
}

TEST(CliArguments, RevealTakesAnArea) {
    Result<Arguments> r = parseArguments({"reveal", "--area", "640x480", "-p", "", "x.bmp"});
    ASSERT_TRUE(r) << r.error();
    EXPECT_EQ(r->command, Command::Reveal);
    EXPECT_EQ(r->password, "");
    ASSERT_TRUE(r->area);
    EXPECT_EQ(r->area->width, 640);
    EXPECT_EQ(r->area->height, 480);
    EXPECT_FALSE(parseArguments({"reveal", "x.bmp"})->area);

    const auto big = parseAreaSize("2147483647X1");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->width, 2147483647);
    for (const char* bad : {"0x5", "5x0", "5x", "x5", "-3x4", "3x-4", "+3x4", "2147483648x1",
                            "5x5x5", "5 x5", "5*5", ""})
        EXPECT_FALSE(parseAreaSize(bad)) << bad;
}

TEST(CliArguments, HelpAndVersionWinWherever) {
    EXPECT_EQ(parseArguments({"--help"})->command, Command::Help);
    EXPECT_EQ(parseArguments({"-h"})->command, Command::Help);
    EXPECT_EQ(parseArguments({"--version"})->command, Command::Version);
    EXPECT_EQ(parseArguments({"hide", "-p", "x", "--help"})->command, Command::Help);
    EXPECT_EQ(parseArguments({"reveal", "--version"})->command, Command::Version);
}

TEST(CliArguments, MalformedLinesAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> lines = {
        {},
        {"encrypt", "a"},
        {"-p", "x", "reveal", "a"},
        {"reveal", "--pasword", "x", "a"},
        {"reveal", "-x", "a"},
        {"reveal", "-xh", "a"},
        {"reveal", "--help=yes"},
        {"reveal", "a", "-p"},
        {"reveal", "-p", "x", "--password-file", "f", "a"},
        {"reveal", "-m", "hi", "a"},
        {"reveal", "--area", "5x5", "--area", "6x6", "a"},
        {"reveal", "--area", "big", "a"},
        {"reveal"},
        {"reveal", "a", "b"},
        {"hide", "a", "b"},
        {"hide", "-m", "x", "a"},
        {"hide", "-m", "x", "a", "b", "c"},
        {"hide", "-m", "x", "--message-file", "f", "a", "b"},
        {"hide", "-m", "x", "--area", "5x5", "a", "b"},
        {"scan", "-p", "x", "a"},
        {"scan", "--password-file", "f", "a"},
        {"scan", "-m", "x", "a"},
        {"scan"},
        {"scan", "a", "b"},
        {"reveal", "--seal", "-p", "x", "a"},
        {"scan", "--seal", "a"},
    };
    for (const auto& line : lines) {
        const Result<Arguments> r = parseArguments(line);
        std::string shown;
        for (const auto& w : line) shown += "[" + w + "]";
        EXPECT_FALSE(r) << shown;
        EXPECT_EQ(r.error().find('\n'), std::string::npos) << shown;
    }
    EXPECT_NE(parseArguments({"reveal", "--pasword", "x"}).error().find("--pasword"),
              std::string::npos);
}

}  // namespace
}  // namespace vm::cli

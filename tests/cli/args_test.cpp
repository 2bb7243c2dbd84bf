#include "cli/args.h"

#include <gtest/gtest.h>

namespace vm::cli {
namespace {

TEST(CliArguments, HideTakesEveryPasswordAndMessageSpelling) {
    ParseResult r = parseArguments({"hide", "-p", "pw", "-m", "hello", "in.jpg", "out.bmp"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.arguments.command, Command::Hide);
    EXPECT_EQ(r.arguments.password, "pw");
    EXPECT_EQ(r.arguments.message, "hello");
    EXPECT_EQ(r.arguments.input, "in.jpg");
    EXPECT_EQ(r.arguments.output, "out.bmp");

    r = parseArguments({"hide", "in", "--password=a=b", "out", "--message=", "-pignored?"});
    EXPECT_FALSE(r.ok());  // -p given twice
    r = parseArguments({"hide", "in", "--password=a=b", "out", "--message="});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.arguments.password, "a=b");  // only the first '=' splits
    EXPECT_EQ(r.arguments.message, "");      // an empty message is a message
    EXPECT_EQ(r.arguments.input, "in");      // options and files in any order

    r = parseArguments({"hide", "-pX", "--message-file", "-", "--password-file=x"});
    EXPECT_FALSE(r.ok());
    r = parseArguments({"hide", "--password-file", "pw.txt", "--message-file", "-", "a", "b"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.arguments.passwordFile, "pw.txt");
    EXPECT_EQ(r.arguments.messageFile, "-");
    EXPECT_FALSE(r.arguments.password);
    EXPECT_FALSE(r.arguments.message);
}

TEST(CliArguments, ValuesAndFilesMayLookLikeOptions) {
    // The word after -m is the message whatever it looks like; after "--" only files.
    ParseResult r = parseArguments({"hide", "-m", "--area", "--", "-p", "--out.bmp"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.arguments.message, "--area");
    EXPECT_FALSE(r.arguments.password);
    EXPECT_EQ(r.arguments.input, "-p");
    EXPECT_EQ(r.arguments.output, "--out.bmp");
}

TEST(CliArguments, RevealTakesAnArea) {
    ParseResult r = parseArguments({"reveal", "--area", "640x480", "-p", "", "x.bmp"});
    ASSERT_TRUE(r.ok()) << r.error;
    EXPECT_EQ(r.arguments.command, Command::Reveal);
    EXPECT_EQ(r.arguments.password, "");
    ASSERT_TRUE(r.arguments.area);
    EXPECT_EQ(r.arguments.area->width, 640);
    EXPECT_EQ(r.arguments.area->height, 480);
    EXPECT_FALSE(parseArguments({"reveal", "x.bmp"}).arguments.area);

    const auto big = parseAreaSize("2147483647X1");
    ASSERT_TRUE(big);
    EXPECT_EQ(big->width, 2147483647);
    for (const char* bad : {"0x5", "5x0", "5x", "x5", "-3x4", "3x-4", "+3x4", "2147483648x1",
                            "5x5x5", "5 x5", "5*5", ""})
        EXPECT_FALSE(parseAreaSize(bad)) << bad;
}

TEST(CliArguments, HelpAndVersionWinWherever) {
    EXPECT_EQ(parseArguments({"--help"}).arguments.command, Command::Help);
    EXPECT_EQ(parseArguments({"-h"}).arguments.command, Command::Help);
    EXPECT_EQ(parseArguments({"--version"}).arguments.command, Command::Version);
    EXPECT_EQ(parseArguments({"hide", "-p", "x", "--help"}).arguments.command, Command::Help);
    EXPECT_EQ(parseArguments({"reveal", "--version"}).arguments.command, Command::Version);
}

TEST(CliArguments, MalformedLinesAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> lines = {
        {},
        {"encrypt", "a"},
        {"-p", "x", "reveal", "a"},
        {"reveal", "--pasword", "x", "a"},
        {"reveal", "-x", "a"},
        {"reveal", "-hx", "a"},
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
    };
    for (const auto& line : lines) {
        const ParseResult r = parseArguments(line);
        std::string shown;
        for (const auto& w : line) shown += "[" + w + "]";
        EXPECT_FALSE(r.ok()) << shown;
        EXPECT_EQ(r.error.find('\n'), std::string::npos) << shown;
    }
    EXPECT_NE(parseArguments({"reveal", "--pasword", "x"}).error.find("--pasword"),
              std::string::npos);
}

}  // namespace
}  // namespace vm::cli

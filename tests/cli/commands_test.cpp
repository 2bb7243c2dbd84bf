// The commands end to end in this process: files in, files and text out, and the
// exit status and error line for each way a command can fail.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>

#include <algorithm>
#include <numeric>
#include <random>

#include "cli/commands.h"
#include "cli_harness.h"
#include "engine/code_page.h"
#include "engine/hide_reveal.h"
#include "engine/message_scan.h"
#include "engine/payload.h"
#include "engine/random_source.h"
#include "flows/open_flow.h"
#include "imaging/bitmap_writer.h"
#include "imaging/canvas.h"
#include "imaging/picture_saving.h"
#include "platform/utf8.h"
#include "support/test_pictures.h"

namespace vm::test {
namespace {

class CliCommands : public ::testing::Test {
  protected:
    // A cover of the given format ("BMP", "JPEG", "PNG" or "GIF"), 120 x 90 points.
    std::string cover(const std::string& format, int width = 120, int height = 90) {
        const std::string path = dir.file("cover-" + std::to_string(width) + "." + format);
        if (format == "GIF") {
            EXPECT_TRUE(writeGif(paletteImage(width, height), path));
        } else {
            EXPECT_TRUE(
                patternImage(width, height).save(QString::fromStdString(path), format.c_str(), 90));
        }
        return path;
    }
    CliRun hide(const std::string& password, const std::string& message, const std::string& in,
                const std::string& out) {
        return cli.run({"hide", "-p", password, "-m", message, in, out});
    }
    CliRun reveal(const std::string& password, const std::string& in) {
        return cli.run({"reveal", "-p", password, in});
    }
    // Hides with the given words and reveals with -p; what the reveal printed.
    std::string roundTrip(std::vector<std::string> hideWords, const std::string& password) {
        const std::string out = dir.file("round.bmp");
        hideWords.insert(hideWords.begin(), {"hide", "--force"});
        hideWords.insert(hideWords.end(), {cover("BMP"), out});
        const CliRun hidden = cli.run(hideWords);
        EXPECT_EQ(hidden.status, cli::kDone) << hidden.err;
        const CliRun shown = reveal(password, out);
        EXPECT_EQ(shown.status, cli::kDone) << shown.err;
        return shown.out;
    }

    TempDir dir;
    CliHarness cli;
};

TEST_F(CliCommands, RoundTripsThroughEveryCoverFormat) {
    for (const std::string format : {"BMP", "JPEG", "PNG", "GIF"}) {
        const std::string out = dir.file("hidden-" + format + ".bmp");
        const std::string message = "Grüße from a " + format + " cover €";
        const CliRun hidden = hide("s3cret", message, cover(format), out);
        EXPECT_EQ(hidden.status, cli::kDone) << format << ": " << hidden.err;
        EXPECT_EQ(hidden.out, "");
        EXPECT_EQ(hidden.err, "");
        const std::string bytes = readFile(out);
        ASSERT_GT(bytes.size(), 54u) << format;
        EXPECT_EQ(bytes.substr(0, 2), "BM");
        EXPECT_EQ(bytes[28], 24);  // bits per point

        const CliRun shown = reveal("s3cret", out);
        EXPECT_EQ(shown.status, cli::kDone) << format << ": " << shown.err;
        EXPECT_EQ(shown.out, message) << format;  // exactly, no newline added

        // The window opens the file and reads it the same way.
        Canvas written;
        const Result<PictureRef> reopened = test::loadPicture(out);
        ASSERT_TRUE(reopened) << reopened.error();
        written.setPicture(*reopened);
        const WorkingArea area = areaFor(written);
        RandomSource generator;
        const Revealed revealed = revealPayload(*seedFor(U"s3cret"), written, area, generator);
        EXPECT_TRUE(revealed.found) << format;
        EXPECT_EQ(toUtf8(revealed.message), message) << format;
    }
}

TEST_F(CliCommands, OutputIsABitmapWhateverItsNameAndOpensByContent) {
    const std::string in = cover("PNG");
    for (const std::string name : {"out.jpg", "out.gif", "out"}) {
        ASSERT_EQ(hide("pw", name, in, dir.file(name)).status, cli::kDone);
        EXPECT_EQ(readFile(dir.file(name)).substr(0, 2), "BM") << name;
        EXPECT_EQ(reveal("pw", dir.file(name)).out, name);
    }
}

TEST_F(CliCommands, OnlyLowBitsChangeAndTheSamePasswordReusesTheSlots) {
    const std::string in = cover("BMP"), first = dir.file("1.bmp"), again = dir.file("2.bmp"),
                      other = dir.file("3.bmp");
    ASSERT_EQ(hide("pw", "same slots", in, first).status, cli::kDone);
    const std::string before = readFile(in), after = readFile(first);
    ASSERT_EQ(before.size(), after.size());
    int changed = 0;
    for (std::size_t i = 54; i < before.size(); ++i) {
        if (before[i] == after[i]) continue;
        ++changed;
        EXPECT_EQ(before[i] ^ after[i], 1) << "byte " << i;
    }
    EXPECT_GT(changed, 0);
    EXPECT_LE(changed, 8 * (1 + 3 + 10));  // at most one channel per bit of the payload

    // The same message again changes nothing; another one replaces it in the same slots.
    ASSERT_EQ(hide("pw", "same slots", first, again).status, cli::kDone);
    EXPECT_EQ(readFile(again), after);
    ASSERT_EQ(hide("pw", "a second message", first, other).status, cli::kDone);
    EXPECT_EQ(reveal("pw", other).out, "a second message");

    // Hiding in place (when forced) replaces the input only once the new file is complete.
    ASSERT_EQ(cli.run({"hide", "-f", "-p", "pw", "-m", "in place", other, other}).status,
              cli::kDone);
    EXPECT_EQ(reveal("pw", other).out, "in place");
}

TEST_F(CliCommands, EveryCharacterOfTheCodePageSurvives) {
    // All 256 bytes' characters, NUL and the C1 stand-ins included, in two messages.
    for (int half = 0; half < 2; ++half) {
        std::u32string text;
        for (int code = half * 128; code < half * 128 + 128; ++code)
            text.push_back(charFromAnsi(static_cast<std::uint8_t>(code)));
        const std::string utf8 = toUtf8(text);
        writeFile(dir.file("message.txt"), utf8);
        EXPECT_EQ(roundTrip({"-p", "pw", "--message-file", dir.file("message.txt")}, "pw"), utf8)
            << "half " << half;
    }
    // Line breaks are kept exactly as given, lone CR and LF alike.
    const std::string lines = "one\r\ntwo\nthree\r\r\n";
    EXPECT_EQ(roundTrip({"-p", "pw", "-m", lines}, "pw"), lines);
    cli.input = lines;
    EXPECT_EQ(roundTrip({"-p", "pw", "--message-file", "-"}, "pw"), lines);
    EXPECT_EQ(roundTrip({"-p", "pw", "-m", std::string(252, 'z')}, "pw"), std::string(252, 'z'));
}

TEST_F(CliCommands, WrongPasswordOrNothingHiddenFindsNothing) {
    const std::string in = cover("BMP"), out = dir.file("out.bmp");
    ASSERT_EQ(hide("Tulip", "secret", in, out).status, cli::kDone);
    for (const CliRun& r : {reveal("tulip", out), reveal("Tulip", in), reveal("", out)}) {
        EXPECT_EQ(r.status, cli::kNothingFound);
        EXPECT_EQ(r.out, "");
        EXPECT_TRUE(oneErrorLine(r.err)) << r.err;
        EXPECT_NE(r.err.find("cannot be told apart"), std::string::npos) << r.err;
    }
    // A hidden empty message is found, and prints nothing.
    ASSERT_EQ(hide("pw", "", in, dir.file("empty.bmp")).status, cli::kDone);
    const CliRun empty = reveal("pw", dir.file("empty.bmp"));
    EXPECT_EQ(empty.status, cli::kDone);
    EXPECT_EQ(empty.out, "");
    EXPECT_EQ(empty.err, "");
}

TEST_F(CliCommands, PasswordComesFromOptionFileEnvironmentOrTerminal) {
    // The option wins over the environment.
    cli.environment["VEILMARK_PASSWORD"] = "from-env";
    EXPECT_EQ(roundTrip({"-p", "from-option", "-m", "m1"}, "from-option"), "m1");
    EXPECT_EQ(reveal("from-env", dir.file("round.bmp")).status, cli::kNothingFound);
    // So does the file, less one trailing line break (LF or CR LF), no more.
    for (const auto& [contents, password] :
         std::vector<std::pair<std::string, std::string>>{{"filed\n", "filed"},
                                                          {"filed\r\n", "filed"},
                                                          {"filed\n\n", "filed\n"},
                                                          {"filed", "filed"},
                                                          {"", ""}}) {
        writeFile(dir.file("pw.txt"), contents);
        EXPECT_EQ(roundTrip({"--password-file", dir.file("pw.txt"), "-m", "m2"}, password), "m2")
            << contents;
    }
    // Without either, the environment; empty is a password too.
    EXPECT_EQ(roundTrip({"-m", "m3"}, "from-env"), "m3");
    cli.environment["VEILMARK_PASSWORD"] = "";
    EXPECT_EQ(roundTrip({"-m", "m4"}, ""), "m4");
    EXPECT_TRUE(cli.prompts.empty());

    // Without any, the terminal: twice for a hide, once for a reveal.
    cli.environment.clear();
    cli.terminal = true;
    cli.typed = {"typed", "typed", "typed"};
    const std::string out = dir.file("typed.bmp");
    ASSERT_EQ(cli.run({"hide", "-m", "m5", cover("BMP"), out}).status, cli::kDone);
    EXPECT_EQ(cli.run({"reveal", out}).out, "m5");
    EXPECT_EQ(cli.prompts.size(), 3u);
    EXPECT_EQ(reveal("typed", out).out, "m5");
}

TEST_F(CliCommands, PasswordThatCannotBeHadIsAUsageOrFileError) {
    const std::string in = cover("BMP"), out = dir.file("out.bmp");
    // No terminal to ask on.
    CliRun r = cli.run({"hide", "-m", "x", in, out});
    EXPECT_EQ(r.status, cli::kUsage);
    EXPECT_TRUE(oneErrorLine(r.err)) << r.err;
    EXPECT_NE(r.err.find("VEILMARK_PASSWORD"), std::string::npos);
    EXPECT_TRUE(cli.prompts.empty());
    // Typed twice differently, or not at all.
    cli.terminal = true;
    cli.typed = {"one", "two", std::nullopt};
    EXPECT_EQ(cli.run({"hide", "-m", "x", in, out}).status, cli::kUsage);
    EXPECT_EQ(cli.run({"reveal", in}).status, cli::kUsage);
    // A password file that cannot be read.
    r = cli.run({"hide", "--password-file", dir.file("none.txt"), "-m", "x", in, out});
    EXPECT_EQ(r.status, cli::kFileError);
    EXPECT_TRUE(oneErrorLine(r.err)) << r.err;
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(CliCommands, RefusalsExitFourAndWriteNothing) {
    const std::string in = cover("BMP"), small = cover("BMP", 5, 5), out = dir.file("out.bmp");
    const std::vector<std::vector<std::string>> refused = {
        {"hide", "-p", "pw", "-m", std::string(253, 'a'), in, out},
        {"hide", "-p", "pw", "-m", "Āb", in, out},
        {"hide", "-p", "pw", "-m", "中", in, out},
        {"hide", "-p", "pw", "-m", "bad \xff byte", in, out},
        {"hide", "-p", "\xc3", "-m", "x", in, out},
        {"hide", "-p", "中", "-m", "x", in, out},
        {"hide", "-p", "pw", "-m", "too long for 5 x 5", small, out},
        {"reveal", "-p", "\xed\xa0\x80", in},  // a surrogate
        {"reveal", "-p", "Ω", in},
        {"hide", "-p", "pw", "-m", "\x01 the sealed mark", in, out},
        {"hide", "--seal", "-p", "", "-m", "x", in, out},
        {"hide", "--seal", "-p", "pw", "-m", std::string(217, 'a'), in, out},
        {"hide", "--seal", "-p", "pw", "-m", "x", cover("BMP", 26, 26), out},  // 676 points
    };
    for (const auto& words : refused) {
        const CliRun r = cli.run(words);
        ASSERT_EQ(r.status, cli::kRefused) << std::accumulate(
            words.begin(), words.end(), std::string(),
            [](const std::string& line, const std::string& word) { return line + " " + word; });
        EXPECT_TRUE(oneErrorLine(r.err)) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(std::filesystem::exists(out));
    }
    // The euro sign is in the code page, and 5 x 5 points carry a short message.
    EXPECT_EQ(hide("pw", "€", small, out).status, cli::kDone);
    EXPECT_EQ(reveal("pw", out).out, "€");
}

TEST_F(CliCommands, SealedMessagesOpenOnlyWithTheirPassword) {
    const std::string text = "Привет 👋 — 216 bytes at most";
    const std::string sealed = dir.file("sealed.bmp"), both = dir.file("both.bmp");
    const std::string newer = dir.file("newer.bmp");
    const CliRun sealing =
        cli.run({"hide", "--seal", "-p", "tulip mountain", "-m", text, cover("PNG"), sealed});
    ASSERT_EQ(sealing.status, cli::kDone) << sealing.err;
    ASSERT_EQ(hide("other", "plain", sealed, both).status, cli::kDone);
    {  // A field whose format byte this version does not know, at the sealed slots.
        Canvas canvas;
        canvas.setPicture(*test::openPicture(cover("BMP")));
        const WorkingArea area{120, 90, true};
        std::u32string field(252, U'\0');
        field[0] = U'\x01';
        field[1] = U'\x02';
        RandomSource generator;
        ASSERT_TRUE(hidePayload({*seedFor(U""), framePayload(field)}, canvas, area, generator));
        ASSERT_TRUE(savePicture(*canvas.image(), newer));
    }
    const RunRow rows[] = {
        {"its password opens it", {"reveal", "-p", "tulip mountain", sealed}, cli::kDone, text, ""},
        {"another password does not",
         {"reveal", "-p", "tulip mountaim", sealed},
         cli::kNothingFound,
         "",
         "does not open it"},
        {"nor the empty one, whose slots it is at",
         {"reveal", "-p", "", sealed},
         cli::kNothingFound,
         "",
         "does not open it"},
        {"scan counts it and never shows it", {"scan", sealed}, cli::kDone, "", "sealed message"},
        {"a plain message beside it is shown",
         {"reveal", "-p", "other", both},
         cli::kDone,
         "plain",
         "does not open it"},
        {"scan shows the plain one only", {"scan", both}, cli::kDone, "plain", "sealed message"},
        {"a newer format", {"reveal", "-p", "pw", newer}, cli::kNothingFound, "", "newer version"},
    };
    for (const RunRow& row : rows) expectRun(cli.run(row.words), row);
}

TEST_F(CliCommands, FileProblemsExitThreeAndKeepWhatWasThere) {
    const std::string in = cover("BMP");
    writeFile(dir.file("garbage.jpg"), "\xff\xd8\xff\xe0 not really");
    writeFile(dir.file("kept.bmp"), "an older file");
    ::chmod(dir.file("kept.bmp").c_str(), 0444);
    std::filesystem::create_directory(dir.file("folder.bmp"));
    const std::vector<std::vector<std::string>> failing = {
        {"hide", "-p", "pw", "-m", "x", dir.file("missing.bmp"), dir.file("a.bmp")},
        {"hide", "-p", "pw", "-m", "x", dir.file("garbage.jpg"), dir.file("a.bmp")},
        {"hide", "-p", "pw", "-m", "x", in, dir.file("no/such/folder.bmp")},
        {"hide", "-f", "-p", "pw", "-m", "x", in, dir.file("kept.bmp")},
        {"hide", "-p", "pw", "-m", "x", in, dir.file("folder.bmp")},
        {"hide", "-p", "pw", "--message-file", dir.file("missing.txt"), in, dir.file("a.bmp")},
        {"reveal", "-p", "pw", dir.file("missing.bmp")},
        {"reveal", "-p", "pw", dir.file("garbage.jpg")},
        {"reveal", "-p", "pw", dir.path().string()},
    };
    for (const auto& words : failing) {
        const CliRun r = cli.run(words);
        EXPECT_EQ(r.status, cli::kFileError) << words.back() << ": " << r.err;
        EXPECT_TRUE(oneErrorLine(r.err)) << r.err;
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("a.bmp")));
    EXPECT_EQ(readFile(dir.file("kept.bmp")), "an older file");
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("folder.bmp")));
}

TEST_F(CliCommands, AreaReadsAMessageHiddenWhileAnotherPictureSetIt) {
    // The window hides under the working area of the picture opened last, which
    // may be smaller than the one the message goes into.
    const std::string out = dir.file("odd-area.bmp");
    Canvas canvas;
    const Result<PictureRef> opened = test::openPicture(cover("BMP"));
    ASSERT_TRUE(opened) << opened.error();
    canvas.setPicture(*opened);
    const WorkingArea area{64, 48, true};
    const Result<HidePlan> plan = prepareHide(U"pw", U"under 64 x 48", area);
    ASSERT_TRUE(plan) << plan.error();
    RandomSource generator;
    ASSERT_TRUE(hidePayload(*plan, canvas, area, generator));
    ASSERT_TRUE(savePicture(*canvas.image(), out));

    EXPECT_EQ(reveal("pw", out).status, cli::kNothingFound);
    const CliRun r = cli.run({"reveal", "--area", "64x48", "-p", "pw", out});
    EXPECT_EQ(r.status, cli::kDone) << r.err;
    EXPECT_EQ(r.out, "under 64 x 48");
    EXPECT_EQ(cli.run({"reveal", "--area", "48x64", "-p", "pw", out}).status, cli::kNothingFound);
}

TEST_F(CliCommands, ScanFindsEveryMessageWithoutItsPassword) {
    const auto stateAfterReset = [](std::int32_t seed) {
        RandomSource generator;
        resetGenerator(generator, seed);
        return generator.state();
    };
    // Scanning is only complete if every seed's reset lands on a state it tries.
    const std::vector<std::uint32_t> states = statesAfterReset();
    EXPECT_EQ(states.size(), 65536u);
    EXPECT_TRUE(std::adjacent_find(states.begin(), states.end(), std::greater_equal<>()) ==
                states.end());
    std::mt19937 random(20261207);
    std::vector<std::int32_t> seeds = {0, 1, -1, INT32_MIN, INT32_MAX};
    for (int i = 0; i < 2000; ++i) seeds.push_back(static_cast<std::int32_t>(random()));
    for (const std::int32_t seed : seeds)
        EXPECT_TRUE(std::binary_search(states.begin(), states.end(), stateAfterReset(seed)))
            << seed;

    // A password nobody chose, and a second one whose slots start elsewhere.
    std::string password;
    for (int i = 0; i < 16; ++i) password += static_cast<char>('!' + random() % 94);
    const std::string second = "second password";
    const std::uint32_t firstState = stateAfterReset(*seedFor(*fromUtf8(password)));
    const std::uint32_t secondState = stateAfterReset(*seedFor(*fromUtf8(second)));
    ASSERT_NE(firstState, secondState);

    const std::string first = "Grüße from a JPEG € 100%", other = "a second message";
    const std::string one = dir.file("one.bmp"), two = dir.file("two.bmp");
    ASSERT_EQ(hide(password, first, cover("JPEG", 200, 150), one).status, cli::kDone) << password;
    ASSERT_EQ(hide(second, other, one, two).status, cli::kDone);
    const std::string both =
        firstState < secondState ? first + '\0' + other + '\0' : other + '\0' + first + '\0';

    const RunRow rows[] = {
        {"one message, printed as reveal prints it", {"scan", one}, cli::kDone, first, ""},
        {"a clean picture",
         {"scan", cover("GIF", 200, 150)},
         cli::kNothingFound,
         "",
         "no hidden message found"},
        {"two messages, each ended by NUL",
         {"scan", two},
         cli::kDone,
         both,
         "2 different messages"},
        // Three slots cannot hold the 32 of the smallest payload: no state is tried at
        // all (trying one would hunt for fresh slots that are not there).
        {"an area too small for any payload",
         {"scan", "--area", "1x1", one},
         cli::kNothingFound,
         "",
         "no hidden message found"},
        {"a file that is not there",
         {"scan", dir.file("missing.bmp")},
         cli::kFileError,
         "",
         "missing.bmp"},
    };
    for (const RunRow& row : rows) expectRun(cli.run(row.words), row);
}

TEST_F(CliCommands, HelpVersionAndUsageErrors) {
    CliRun r = cli.run({"--version"});
    EXPECT_EQ(r.status, cli::kDone);
    EXPECT_EQ(r.out, std::string("veilmark-cli ") + VEILMARK_VERSION + "\n");
    r = cli.run({"--help"});
    EXPECT_EQ(r.status, cli::kDone);
    for (const char* part :
         {"hide", "reveal", "scan", "--password-file", "--message-file", "--area",
          "VEILMARK_PASSWORD", "Exit status", "  4  refused", "Example"})
        EXPECT_NE(r.out.find(part), std::string::npos) << part;
    r = cli.run({"reveal", "--bogus", "x"});
    EXPECT_EQ(r.status, cli::kUsage);
    EXPECT_TRUE(oneErrorLine(r.err)) << r.err;
    EXPECT_NE(r.err.find("--bogus"), std::string::npos);
    EXPECT_EQ(r.out, "");
}

TEST_F(CliCommands, ReplacingAndTerminalsAsPeopleMeetThem) {
    const std::string in = cover("BMP"), kept = dir.file("kept.bmp"), hostile = dir.file("h.bmp");
    const std::string escapes = "\x1b[2J\x1b]2;pwned\a\r\nok\\\xc2\x9d";
    const std::string shown = "\\033[2J\\033]2;pwned\\a\r\nok\\\\\\302\\235\n";
    ASSERT_EQ(hide("pw", escapes, in, hostile).status, cli::kDone);
    const std::vector<std::string> hideKept = {"hide", "-p", "pw", "-m", "new", in, kept};
    const std::vector<std::string> revealHostile = {"reveal", "-p", "pw", hostile};
    struct Row {
        const char* name;
        std::vector<std::string> words;
        bool screen;        // standard input, output and error are terminals
        const char* typed;  // the answer to a question; nullptr: Ctrl-D
        int status;
        std::string said;  // what is written: standard output when done, else a part of the error
    };
    const Row rows[] = {
        {"an existing OUTPUT", hideKept, false, nullptr, cli::kRefused, "kept.bmp already exists"},
        {"answered no", hideKept, true, "n", cli::kRefused, "kept.bmp was kept; nothing was"},
        {"answered with Ctrl-D", hideKept, true, nullptr, cli::kRefused, "kept.bmp was kept"},
        {"answered yes", hideKept, true, "y", cli::kDone, ""},
        {"forced", {"hide", "-f", "-p", "pw", "-m", "new", in, kept}, false, "", cli::kDone, ""},
        {"a message to a terminal", revealHostile, true, nullptr, cli::kDone, shown},
        {"with --raw", {"reveal", "--raw", "-p", "pw", hostile}, true, "", cli::kDone, escapes},
        {"scan to a terminal", {"scan", hostile}, true, nullptr, cli::kDone, shown},
        {"into a pipe", revealHostile, false, nullptr, cli::kDone, escapes},
        {"a quoted name", {"scan", dir.file("\x1b[2J")}, true, "", cli::kFileError, "\\033[2J"},
        {"a terminal as the picture", {"scan", "-"}, true, "", cli::kUsage, "input is a"},
        {"a bitmap to a terminal", {"hide", "-m", "x", in, "-"}, true, "", cli::kUsage, "output"},
    };
    for (const Row& row : rows) {
        writeFile(kept, "an older file");
        cli.inputIsTerminal = cli.outputIsTerminal = cli.errorIsTerminal = row.screen;
        cli.typed = {row.typed ? std::optional<std::string>(row.typed) : std::nullopt};
        cli.prompts.clear();
        const CliRun r = cli.run(row.words);
        EXPECT_EQ(r.status, row.status) << row.name << ": " << r.err;
        EXPECT_EQ(r.out, row.status == cli::kDone ? row.said : "") << row.name;
        if (row.status != cli::kDone) {
            EXPECT_TRUE(oneErrorLine(r.err)) << row.name << ": " << r.err;
            EXPECT_NE(r.err.find(row.said), std::string::npos) << row.name << ": " << r.err;
            EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << row.name;
        }
        const bool asked = row.screen && row.words == hideKept;
        ASSERT_EQ(cli.prompts.size(), asked ? 1u : 0u) << row.name;
        if (asked) {
            EXPECT_EQ(cli.prompts[0], "Replace " + kept + "? [y/N] ");
        }
        const bool replaced = row.status == cli::kDone && row.words[0] == "hide";
        cli.outputIsTerminal = false;
        EXPECT_EQ(reveal("pw", kept).out, replaced ? "new" : "") << row.name;
    }
}

}  // namespace
}  // namespace vm::test

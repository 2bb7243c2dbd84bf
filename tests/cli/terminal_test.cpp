// Asking for a password on a real (pseudo) terminal: nothing typed is echoed,
// and the terminal is left as it was.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <thread>

#include "cli/terminal.h"
#include "platform/visible_text.h"

namespace vm::cli {
namespace {

class Pty {
  public:
    Pty() { ok = ::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0; }
    ~Pty() {
        if (ok) {
            ::close(master);
            ::close(slave);
        }
    }
    bool echoOn() const {
        termios t{};
        ::tcgetattr(slave, &t);
        return (t.c_lflag & ECHO) != 0;
    }
    void type(const std::string& keys) const {
        ASSERT_EQ(::write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }
    // What the terminal has shown so far.
    std::string screen() const {
        std::string shown;
        char buffer[256];
        pollfd p{master, POLLIN, 0};
        while (::poll(&p, 1, 100) > 0) {
            const ssize_t n = ::read(master, buffer, sizeof buffer);
            if (n <= 0) break;
            shown.append(buffer, static_cast<std::size_t>(n));
        }
        return shown;
    }
    bool ok = false;
    int master = -1, slave = -1;
};

// Reads a line on another thread and types the keys once the prompt is up and
// echo is off. A reader that never returns is a failure, not a hang.
std::string said(const Result<std::string>& line) {
    if (line) return *line;
    if (line.kind() == TerminalProblem::NothingTyped) return "<nothing typed>";
    return "<unusable: " + line.error() + ">";
}

// What the reader gave, as said(): the line, or why there is none.
std::string answer(const Pty& pty, const std::string& keys) {
    auto reading = std::async(std::launch::async,
                              [&] { return readHiddenLine(pty.slave, pty.slave, "Password: "); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (pty.echoOn() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_FALSE(pty.echoOn());
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    pty.type(keys);
    if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
        ADD_FAILURE() << "the line typed was not read";
        pty.type("\n");
    }
    return said(reading.get());
}

TEST(CliTerminal, TypedPasswordIsNotShownAndEchoComesBack) {
    Pty pty;
    ASSERT_TRUE(pty.ok);
    ASSERT_TRUE(pty.echoOn());
    EXPECT_EQ(answer(pty, "hunter 2\n"), "hunter 2");
    EXPECT_TRUE(pty.echoOn());
    const std::string shown = pty.screen();
    EXPECT_NE(shown.find("Password: "), std::string::npos);
    EXPECT_EQ(shown.find("hunter"), std::string::npos) << shown;

    EXPECT_EQ(answer(pty, "\n"), "");                   // Enter alone: the empty password
    EXPECT_EQ(answer(pty, "\x04"), "<nothing typed>");  // Ctrl-D: none
    // Ctrl-Z is the terminal's (it suspends, where there is a job to suspend, and
    // drops the line typed so far), never a byte of the password.
    EXPECT_EQ(answer(pty,
                     "ab\x1a"
                     "cd\n"),
              "cd");
    EXPECT_TRUE(pty.echoOn());
}

TEST(CliTerminal, NoTerminalNoQuestion) {
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ASSERT_EQ(::write(fds[1], "x\n", 2), 2);
    EXPECT_EQ(said(readHiddenLine(fds[0], fds[1], "Password: ")),
              "<unusable: could not ask on the terminal: it is not a terminal>");
    char c = 0;
    EXPECT_EQ(::read(fds[0], &c, 1), 1);  // the input was left unread
    EXPECT_EQ(c, 'x');
    ::close(fds[0]);
    ::close(fds[1]);
}

TEST(CliTerminal, ControlCharactersAreShownAsEscapes) {
    struct Row {
        const char* name;
        std::string text;
        bool keepLineBreaks;
        std::string shown;
    };
    const Row rows[] = {
        {"plain text and letters beyond ASCII", "Grüße € ok", true, "Grüße € ok"},
        {"escape sequences", "\x1b[2J\x1b]2;t\a", true, "\\033[2J\\033]2;t\\a"},
        {"line breaks kept", "a\r\nb\nc\rd", true, "a\r\nb\nc\\rd"},
        {"line breaks in one line", "a\r\nb", false, "a\\r\\nb"},
        {"NUL, tab, DEL and a backslash", std::string("\0\t\x7f\\", 4), true, "\\000\\t\\177\\\\"},
        {"C1 controls", "\xc2\x9d\xc2\x80\xc2\xa0", true, "\\302\\235\\302\\200\xc2\xa0"},
        {"bytes that are not UTF-8", "\xff\xc3(\xe2\x82", true, "\\377\\303(\\342\\202"},
        {"overlong and surrogate forms", "\xc0\xaf\xed\xa0\x80", true, "\\300\\257\\355\\240\\200"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(visibleText(row.text, row.keepLineBreaks), row.shown) << row.name;
}

}  // namespace
}  // namespace vm::cli

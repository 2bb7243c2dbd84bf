#include "cli/terminal.h"

#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <iterator>

#include "platform/ending_signals.h"
#include "platform/file_io.h"

namespace vm::cli {

namespace {

// What a signal handler needs to put the terminal back before the signal ends us.
volatile std::sig_atomic_t g_restoreFd = -1;
termios g_saved{};

struct sigaction g_previous[std::size(kEndingSignals)];

extern "C" void restoreEchoAndResend(int signal) {
    if (g_restoreFd >= 0) ::tcsetattr(g_restoreFd, TCSANOW, &g_saved);
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
        if (kEndingSignals[i] == signal) ::sigaction(signal, &g_previous[i], nullptr);
    // Delivered once this handler returns, with the disposition the program had.
    ::raise(signal);
}

// Echo off for as long as it lives, and the signal handlers that undo that.
class EchoOff {
  public:
    EchoOff(int fd, const termios& saved) : m_fd(fd) {
        g_saved = saved;
        g_restoreFd = fd;
        struct sigaction action {};
        action.sa_handler = restoreEchoAndResend;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
            ::sigaction(kEndingSignals[i], &action, &g_previous[i]);

        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK);
        quiet.c_lflag |= ECHONL;  // the Enter still moves to the next line
        // Ctrl-Z would leave the shell with echo off; it does nothing while we ask.
        quiet.c_cc[VSUSP] = _POSIX_VDISABLE;
        m_active = ::tcsetattr(fd, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        ::tcsetattr(m_fd, TCSAFLUSH, &g_saved);
        g_restoreFd = -1;
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
            ::sigaction(kEndingSignals[i], &g_previous[i], nullptr);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;
    bool active() const { return m_active; }

  private:
    int m_fd;
    bool m_active = false;
};

}  // namespace

std::optional<std::string> readHiddenLine(int ttyFd, int promptFd, const std::string& prompt) {
    termios saved{};
    if (!::isatty(ttyFd) || ::tcgetattr(ttyFd, &saved) != 0) return std::nullopt;
    // A prompt that cannot be shown is no reason to stop: the line is still read.
    (void)writeAll(promptFd, prompt.data(), prompt.size());
    EchoOff quiet(ttyFd, saved);
    if (!quiet.active()) return std::nullopt;

    std::string line;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(ttyFd, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return std::nullopt;
        if (n == 0) {
            if (line.empty()) return std::nullopt;
            break;
        }
        if (c == '\n') break;
        line.push_back(c);
    }
    return line;
}

}  // namespace vm::cli

#include "cli/terminal.h"

#include <termios.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <iterator>

#include "platform/ending_signals.h"
#include "platform/file_io.h"
#include "platform/user_messages.h"

namespace vm::cli {

namespace {

// What a signal handler needs to put the terminal back before the signal ends us.
volatile std::sig_atomic_t g_restoreFd = -1;
termios g_saved{};
termios g_quiet{};
struct sigaction g_previousSuspend {};

struct sigaction g_previous[std::size(kEndingSignals)];

extern "C" void restoreEchoAndResend(int signal) {
    if (g_restoreFd >= 0) ::tcsetattr(g_restoreFd, TCSANOW, &g_saved);
    for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
        if (kEndingSignals[i] == signal) ::sigaction(signal, &g_previous[i], nullptr);
    // Delivered once this handler returns, with the disposition the program had.
    ::raise(signal);
}

// Ctrl-Z suspends as it does at a shell's `read -s`: echo comes back while the
// program is stopped, and goes off again when it is continued.
extern "C" void suspendWithEchoOn(int) {
    const int savedErrno = errno;
    if (g_restoreFd >= 0) ::tcsetattr(g_restoreFd, TCSANOW, &g_saved);
    struct sigaction stop {};
    stop.sa_handler = SIG_DFL;
    sigemptyset(&stop.sa_mask);
    struct sigaction ours {};
    ::sigaction(SIGTSTP, &stop, &ours);
    ::raise(SIGTSTP);  // stops here (the handler runs with SA_NODEFER) until continued
    ::sigaction(SIGTSTP, &ours, nullptr);
    if (g_restoreFd >= 0) ::tcsetattr(g_restoreFd, TCSANOW, &g_quiet);
    errno = savedErrno;
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

        struct sigaction suspend {};
        suspend.sa_handler = suspendWithEchoOn;
        suspend.sa_flags = SA_NODEFER;
        sigemptyset(&suspend.sa_mask);
        ::sigaction(SIGTSTP, &suspend, &g_previousSuspend);

        g_quiet = saved;
        g_quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK);
        g_quiet.c_lflag |= ECHONL;  // the Enter still moves to the next line
        m_active = ::tcsetattr(fd, TCSAFLUSH, &g_quiet) == 0;
    }
    ~EchoOff() {
        ::tcsetattr(m_fd, TCSAFLUSH, &g_saved);
        g_restoreFd = -1;
        for (std::size_t i = 0; i < std::size(kEndingSignals); ++i)
            ::sigaction(kEndingSignals[i], &g_previous[i], nullptr);
        ::sigaction(SIGTSTP, &g_previousSuspend, nullptr);
    }
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;
    bool active() const { return m_active; }

  private:
    int m_fd;
    bool m_active = false;
};

Failure unusable(int err) {
    return failure("could not ask on the terminal: " +
                       (err == ENOTTY ? std::string("it is not a terminal") : errnoWording(err)),
                   TerminalProblem::Unusable);
}

}  // namespace

Result<std::string> readHiddenLine(int ttyFd, int promptFd, const std::string& prompt) {
    termios saved{};
    if (!::isatty(ttyFd) || ::tcgetattr(ttyFd, &saved) != 0) return unusable(errno);
    // A prompt that cannot be shown is no reason to stop: the line is still read.
    (void)writeAll(promptFd, prompt.data(), prompt.size());
    EchoOff quiet(ttyFd, saved);
    if (!quiet.active()) return unusable(errno);

    std::string line;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(ttyFd, &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return unusable(errno);
        if (n == 0) {
            if (line.empty()) return failure("nothing was typed", TerminalProblem::NothingTyped);
            break;
        }
        if (c == '\n') break;
        line.push_back(c);
    }
    return line;
}

}  // namespace vm::cli

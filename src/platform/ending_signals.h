#pragma once
// The program's one policy for the signals that end it (SIGINT, SIGTERM, SIGHUP,
// SIGQUIT), used by the windows and veilmark-cli alike. Installed first thing in
// main, before any other thread exists, it blocks them in every thread that will
// ever run and hands them to one thread of its own. That thread waits for a commit
// under way (see EndingSignalsHeld) to finish, removes a named staged file that a
// save left, and then lets the signal take its course: the handler in place then
// (a terminal put back in order, say), or the default end of the program.

#include <csignal>
#include <string>

namespace vm {

// The signals the policy is for; a program that handles them itself (veilmark-cli,
// while it reads a password) takes the same list.
inline constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// Idempotent. Ignores SIGXFSZ, so that a file-size limit is a write error that the
// save reports; a signal the caller chose to ignore stays ignored.
void installEndingSignalPolicy();

// For a program that ends once its one save is in place (veilmark-cli): a signal
// that comes after the commit leaves the program two seconds to say where the
// picture was saved and end with its own status, since a status of "killed" would
// tell a script that the save failed. Only then does the signal take its course.
void finishOnceCommitted();

// Said by a save as it starts (false), and by its commit, while the signals are
// held, once the new contents are in place (true).
void noteCommitted(bool committed);

// While one lives, the signals that end the program wait for it: the signal thread
// does not act, and this thread blocks them. Without the policy installed a signal
// sent to another thread still ends the process at once; kill -9 and a power cut
// always can.
class EndingSignalsHeld {
  public:
    EndingSignalsHeld();
    ~EndingSignalsHeld();
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

  private:
    unsigned char m_oldMask[128];  // this thread's signal mask before (a sigset_t)
};

// The named staged file of the save under way, removed when a signal ends the
// program; forgetStagedFile() when it is gone or renamed.
void rememberStagedFile(const std::string& path);
void forgetStagedFile();

}  // namespace vm

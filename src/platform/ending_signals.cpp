#include "platform/ending_signals.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <mutex>
#include <thread>

namespace vm {

namespace {

// Held by a commit, and by the signal thread from the signal to the end.
std::recursive_mutex g_commit;
std::mutex g_stagedLock;
std::string g_staged;
std::once_flag g_installed;
std::atomic<bool> g_finishOnceCommitted{false};
std::atomic<bool> g_committed{false};

sigset_t endingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kEndingSignals) sigaddset(&set, sig);
    return set;
}

[[noreturn]] void endOnSignals(sigset_t waited) {
    int sig = 0;
    while (::sigwait(&waited, &sig) != 0) {
    }
    // Waits for a commit under way and keeps any other from starting.
    g_commit.lock();
    if (g_finishOnceCommitted && g_committed) {
        g_commit.unlock();
        std::this_thread::sleep_for(std::chrono::seconds(2));
        g_commit.lock();
    }
    {
        const std::lock_guard<std::mutex> staged(g_stagedLock);
        if (!g_staged.empty()) ::unlink(g_staged.c_str());
    }
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, sig);
    ::pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    // Delivered to this thread at once, to whatever handles it now.
    ::pthread_kill(::pthread_self(), sig);
    ::signal(sig, SIG_DFL);
    ::pthread_kill(::pthread_self(), sig);
    ::_exit(128 + sig);
}
}  // namespace

void installEndingSignalPolicy() {
    std::call_once(g_installed, [] {
        ::signal(SIGXFSZ, SIG_IGN);
        sigset_t waited;
        sigemptyset(&waited);
        for (int sig : kEndingSignals) {
            struct sigaction old {};
            if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN) continue;
            sigaddset(&waited, sig);
        }
        // Every thread started from here on inherits the mask.
        ::pthread_sigmask(SIG_BLOCK, &waited, nullptr);
        std::thread(endOnSignals, waited).detach();
    });
}

EndingSignalsHeld::EndingSignalsHeld() {
    static_assert(sizeof(sigset_t) <= sizeof m_oldMask);
    const sigset_t set = endingSignals();
    sigset_t old;
    ::pthread_sigmask(SIG_BLOCK, &set, &old);
    std::memcpy(m_oldMask, &old, sizeof old);
    g_commit.lock();
}

EndingSignalsHeld::~EndingSignalsHeld() {
    g_commit.unlock();
    sigset_t old;
    std::memcpy(&old, m_oldMask, sizeof old);
    ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

void finishOnceCommitted() {
    g_finishOnceCommitted = true;
}

void noteCommitted(bool committed) {
    g_committed = committed;
}

void rememberStagedFile(const std::string& path) {
    const std::lock_guard<std::mutex> staged(g_stagedLock);
    g_staged = path;
}

void forgetStagedFile() {
    const std::lock_guard<std::mutex> staged(g_stagedLock);
    g_staged.clear();
}

}  // namespace vm

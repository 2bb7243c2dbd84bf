#include "platform/guarded_mapping.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>
#include <atomic>
#include <cstdint>

namespace vm {

// A mapped range the handler answers for. It is claimed, then its start set last;
// on release its start is cleared first, so the handler never sees half a range.
struct GuardedRange {
    std::atomic<bool> claimed{false};
    std::atomic<std::uintptr_t> start{0};
    std::atomic<std::size_t> size{0};
    std::atomic<bool> cutShort{false};
};

namespace {

constexpr int kSlots = 64;
GuardedRange g_ranges[kSlots];
std::uintptr_t g_pageSize = 4096;
struct sigaction g_previous {};

// Any SIGBUS that is not a fault in one of our ranges goes where it went before.
void passOn(int signal, siginfo_t* info, void* context) {
    if ((g_previous.sa_flags & SA_SIGINFO) != 0 && g_previous.sa_sigaction != nullptr) {
        g_previous.sa_sigaction(signal, info, context);
        return;
    }
    // An ignored SIGBUS from another process stays ignored; a fault cannot be ignored.
    if (g_previous.sa_handler == SIG_IGN && info->si_code <= 0) return;
    if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
        g_previous.sa_handler(signal);
        return;
    }
    // The default course: a fault happens again on return and ends the program as it
    // would have; a signal sent by another process is raised again to the same end.
    ::signal(SIGBUS, SIG_DFL);
    if (info->si_code <= 0) ::raise(SIGBUS);
}

void onBusError(int signal, siginfo_t* info, void* context) {
    // si_code > 0: raised by the kernel for a fault; kill, sigqueue and tgkill give <= 0.
    if (info->si_code > 0) {
        const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
        for (GuardedRange& range : g_ranges) {
            const std::uintptr_t start = range.start.load();
            if (start == 0 || address < start || address - start >= range.size.load()) continue;
            void* page = reinterpret_cast<void*>(address & ~(g_pageSize - 1));
            if (::mmap(page, g_pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1,
                       0) == MAP_FAILED)
                break;
            range.cutShort.store(true);
            return;
        }
    }
    passOn(signal, info, context);
}

bool installHandler() {
    static const bool kInstalled = [] {
        g_pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = onBusError;
        action.sa_flags = SA_SIGINFO | SA_NODEFER;
        sigemptyset(&action.sa_mask);
        return ::sigaction(SIGBUS, &action, &g_previous) == 0;
    }();
    return kInstalled;
}

GuardedRange* claimRange(const std::uint8_t* data, std::size_t size) {
    for (GuardedRange& range : g_ranges) {
        if (range.claimed.exchange(true)) continue;
        range.cutShort.store(false);
        range.size.store(size);
        range.start.store(reinterpret_cast<std::uintptr_t>(data));
        return &range;
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<GuardedMapping> GuardedMapping::map(int fd, std::uint64_t size) {
    if (fd < 0 || size == 0 || size > SIZE_MAX || !installHandler()) return nullptr;
    const auto length = static_cast<std::size_t>(size);
    void* data = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED) return nullptr;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    GuardedRange* range = claimRange(bytes, length);
    if (!range) {
        ::munmap(data, length);
        return nullptr;
    }
    return std::unique_ptr<GuardedMapping>(new GuardedMapping(bytes, length, range));
}

GuardedMapping::~GuardedMapping() {
    m_range->start.store(0);
    ::munmap(const_cast<std::uint8_t*>(m_data), m_size);
    m_range->claimed.store(false);
}

bool GuardedMapping::cutShort() const {
    return m_range->cutShort.load();
}

}  // namespace vm

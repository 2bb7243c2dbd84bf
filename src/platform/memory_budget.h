#pragma once
// How much memory this process may use: the machine's, or less where a control
// group (a container, a Flatpak or snap, a systemd service, a CI runner) holds it to
// less. Exceeding a group's limit gets the process killed, not an allocation failure.

#include <cstdint>
#include <string>

namespace vm {

std::uint64_t memoryBudget();

// The smallest limit on the groups this process is in and their parents: v2's
// memory.max and memory.high, v1's memory.limit_in_bytes; none gives UINT64_MAX.
// procSelf is where /proc/self is (another folder in tests); group folders are
// found through its mountinfo.
std::uint64_t controlGroupLimit(const std::string& procSelf);

}  // namespace vm

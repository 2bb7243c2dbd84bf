#include "platform/memory_budget.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>
#include <vector>

namespace vm {

namespace {

constexpr std::uint64_t kNone = std::numeric_limits<std::uint64_t>::max();

// A limit file's number; "max" and anything unreadable are no limit.
std::uint64_t limitIn(const std::string& file) {
    std::ifstream in(file);
    std::string text;
    if (!(in >> text) || text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
        return kNone;
    return std::strtoull(text.c_str(), nullptr, 10);
}

// A mount of group folders: where it is, the group its root is (a container sees
// its own group as the root), and the version and controllers it holds.
struct GroupMount {
    std::string root, point;
    bool v2 = false, memory = false;
};

std::vector<GroupMount> groupMounts(const std::string& procSelf) {
    std::vector<GroupMount> mounts;
    std::ifstream in(procSelf + "/mountinfo");
    for (std::string line; std::getline(in, line);) {
        // id parent major:minor root point options [optional...] - type source super
        std::istringstream fields(line);
        std::string id, parent, device, root, point, options, field;
        fields >> id >> parent >> device >> root >> point >> options;
        while (fields >> field && field != "-") {
        }
        std::string type, source, super;
        fields >> type >> source >> super;
        if (type == "cgroup2") mounts.push_back({root, point, true, false});
        std::istringstream supers(super);
        for (std::string option; std::getline(supers, option, ',');)
            if (type == "cgroup" && option == "memory")
                mounts.push_back({root, point, false, true});
    }
    return mounts;
}

// The smallest limit in the group's folder and its parents up to the mount.
std::uint64_t limitUpFrom(const GroupMount& mount, std::string group) {
    if (mount.root != "/" && group.rfind(mount.root, 0) == 0) group.erase(0, mount.root.size());
    std::uint64_t smallest = kNone;
    for (;;) {
        const std::string folder = mount.point + (group == "/" ? "" : group);
        if (mount.v2) {
            smallest = std::min(
                {smallest, limitIn(folder + "/memory.max"), limitIn(folder + "/memory.high")});
        } else {
            smallest = std::min(smallest, limitIn(folder + "/memory.limit_in_bytes"));
        }
        if (group.empty() || group == "/") return smallest;
        const auto slash = group.find_last_of('/');
        group = slash == 0 ? "/" : group.substr(0, slash);
    }
}

}  // namespace

std::uint64_t controlGroupLimit(const std::string& procSelf) {
    const std::vector<GroupMount> mounts = groupMounts(procSelf);
    std::uint64_t smallest = kNone;
    std::ifstream in(procSelf + "/cgroup");
    for (std::string line; std::getline(in, line);) {
        // hierarchy:controllers:group
        const auto first = line.find(':'), second = line.find(':', first + 1);
        if (first == std::string::npos || second == std::string::npos) continue;
        const std::string controllers = line.substr(first + 1, second - first - 1);
        const std::string group = line.substr(second + 1);
        std::istringstream names(controllers);
        bool memory = false;
        for (std::string name; std::getline(names, name, ',');) memory = memory || name == "memory";
        for (const GroupMount& mount : mounts)
            if ((controllers.empty() && line.rfind("0:", 0) == 0 && mount.v2) ||
                (memory && mount.memory))
                smallest = std::min(smallest, limitUpFrom(mount, group));
    }
    return smallest;
}

std::uint64_t memoryBudget() {
    const long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
    const std::uint64_t physical =
        pages > 0 && pageSize > 0
            ? static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize)
            : (std::uint64_t{4} << 30);
    return std::min(physical, controlGroupLimit("/proc/self"));
}

}  // namespace vm

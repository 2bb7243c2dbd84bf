#include "engine/used_slots.h"

namespace vm {

std::string slotKey(int channel, std::int32_t x, std::int32_t y) {
    return "[" + std::to_string(channel) + "," + std::to_string(x) + "," + std::to_string(y) + "]";
}

std::uint64_t UsedSlots::pack(int channel, std::int32_t x, std::int32_t y) {
    // Channel 0..2 and non-negative 31-bit coordinates: distinct slots give
    // distinct keys, and no key equals PackedKeyTable::kEmpty.
    return (static_cast<std::uint64_t>(channel) << 62) |
           (static_cast<std::uint64_t>(static_cast<std::uint32_t>(x)) << 31) |
           static_cast<std::uint64_t>(static_cast<std::uint32_t>(y));
}

bool UsedSlots::add(int channel, std::int32_t x, std::int32_t y) {
    const std::uint64_t key = pack(channel, x, y);
    if (!m_used.insert(key).second) return false;
    m_order.push_back(key);
    return true;
}

std::string UsedSlots::keyAt(std::size_t i) const {
    const std::uint64_t key = m_order.at(i);
    const auto channel = static_cast<int>(key >> 62);
    const auto x = static_cast<std::int32_t>((key >> 31) & 0x7FFFFFFF);
    const auto y = static_cast<std::int32_t>(key & 0x7FFFFFFF);
    return slotKey(channel, x, y);
}

}  // namespace vm

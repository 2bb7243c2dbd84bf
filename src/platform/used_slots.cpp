#include "platform/used_slots.h"

#include "platform/key_hash.h"

namespace vm {

std::string slotKey(int channel, std::int32_t x, std::int32_t y) {
    return "[" + std::to_string(channel) + "," + std::to_string(x) + "," + std::to_string(y) + "]";
}

UsedSlots::UsedSlots() : m_table(4096, kEmpty) {
    m_order.reserve(2048);
}

std::uint64_t UsedSlots::pack(int channel, std::int32_t x, std::int32_t y) {
    // Channel 0..2 and non-negative 31-bit coordinates: distinct slots give
    // distinct keys, and no key equals kEmpty.
    return (static_cast<std::uint64_t>(channel) << 62) |
           (static_cast<std::uint64_t>(static_cast<std::uint32_t>(x)) << 31) |
           static_cast<std::uint64_t>(static_cast<std::uint32_t>(y));
}

std::size_t UsedSlots::findSlot(std::uint64_t key) const {
    const std::size_t mask = m_table.size() - 1;
    std::size_t i = hashKey(key) & mask;
    while (m_table[i] != kEmpty && m_table[i] != key) i = (i + 1) & mask;
    return i;
}

bool UsedSlots::add(int channel, std::int32_t x, std::int32_t y) {
    const std::uint64_t key = pack(channel, x, y);
    std::size_t i = findSlot(key);
    if (m_table[i] == key) return false;
    if ((m_order.size() + 1) * 2 > m_table.size()) {
        grow();
        i = findSlot(key);
    }
    m_table[i] = key;
    m_order.push_back(key);
    return true;
}

void UsedSlots::grow() {
    std::vector<std::uint64_t> old(m_table.size() * 2, kEmpty);
    old.swap(m_table);
    for (std::uint64_t key : old)
        if (key != kEmpty) m_table[findSlot(key)] = key;
}

std::string UsedSlots::keyAt(std::size_t i) const {
    const std::uint64_t key = m_order.at(i);
    const auto channel = static_cast<int>(key >> 62);
    const auto x = static_cast<std::int32_t>((key >> 31) & 0x7FFFFFFF);
    const auto y = static_cast<std::int32_t>(key & 0x7FFFFFFF);
    return slotKey(channel, x, y);
}

}  // namespace vm

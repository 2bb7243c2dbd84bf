#pragma once
// The keyed set of slots already used in one hide or reveal. It behaves like the
// runtime's keyed collection keyed on slotKey text (add reports a duplicate and
// changes nothing; entries keep their order), but keys on a packed integer, since
// one operation may probe it thousands of times.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/packed_key_table.h"

namespace vm {

// "[channel,x,y]" in plain decimal.
std::string slotKey(int channel, std::int32_t x, std::int32_t y);

class UsedSlots {
  public:
    UsedSlots() { m_order.reserve(2048); }

    // Records the slot; returns false (and changes nothing) when it was already there.
    bool add(int channel, std::int32_t x, std::int32_t y);
    std::size_t count() const { return m_order.size(); }
    // Key text of the i-th entry still present, oldest first.
    std::string keyAt(std::size_t i) const;

  private:
    static std::uint64_t pack(int channel, std::int32_t x, std::int32_t y);

    PackedKeyTable<> m_used;
    std::vector<std::uint64_t> m_order;  // oldest first
};

}  // namespace vm

#pragma once
// The set of slots already used in one hide or reveal. It answers as the runtime's
// keyed collection did, keyed on a slot's "[channel,x,y]" text (add reports a
// duplicate and changes nothing), but keys on a packed integer, since one
// operation may probe it thousands of times.

#include <cstddef>
#include <cstdint>

#include "platform/packed_key_table.h"

namespace vm {

class UsedSlots {
  public:
    // Records the slot; returns false (and changes nothing) when it was already there.
    bool add(int channel, std::int32_t x, std::int32_t y);
    std::size_t count() const { return m_used.size(); }

  private:
    static std::uint64_t pack(int channel, std::int32_t x, std::int32_t y);

    PackedKeyTable<> m_used;
};

}  // namespace vm

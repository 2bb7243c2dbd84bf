#pragma once
// Slot selection and the bit carrier: each bit of a byte goes into the least
// significant bit of one colour channel of one point, at a slot drawn from the
// generator. Hide and read draw in exactly the same pattern.

#include <cstdint>
#include <optional>

#include "engine/random_source.h"
#include "engine/used_slots.h"
#include "imaging/canvas.h"
#include "imaging/working_area.h"
#include "platform/result.h"

namespace vm {

struct Slot {
    int channel;  // 0 red, 1 green, 2 blue
    std::int32_t x;
    std::int32_t y;
};

// What the bytes of one hide or reveal share: the generator's position and the
// slots used so far.
struct SlotDraw {
    RandomSource& generator;
    UsedSlots& usedSlots;
    const WorkingArea& area;
};

// A search that finds no fresh slot within this many attempts never will: the
// generator has 2^24 states and an attempt takes three draws, so by then every
// starting state has been tried.
inline constexpr std::uint32_t kMaxSlotAttempts = 1u << 24;

// One attempt: three draws, x, then y, then channel.
Slot drawSlot(RandomSource& generator, const WorkingArea& area);

// Attempts until a slot not yet used comes up, which is then recorded; nothing
// when the bound above is reached (the working area has no fresh slot left).
std::optional<Slot> drawFreshSlot(SlotDraw& draw);

// The bit a slot carries: its channel's least significant bit.
inline unsigned slotBit(const Canvas& picture, const Slot& slot) {
    const auto colour = static_cast<std::uint32_t>(picture.point(slot.x, slot.y));
    return (colour >> (8 * slot.channel)) & 1;
}

// One byte, lowest bit first; a failure (kNoFreeSlots) when the slots run out part way.
Result<void> embedByte(SlotDraw& draw, Canvas& canvas, std::uint8_t value);
Result<std::int16_t> extractByte(SlotDraw& draw, const Canvas& canvas);

}  // namespace vm

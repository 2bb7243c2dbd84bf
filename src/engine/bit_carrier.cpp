#include "engine/bit_carrier.h"

#include <cmath>

#include "platform/user_messages.h"

namespace vm {

namespace {
std::int32_t scaled(float r, std::int32_t bound) {
    return static_cast<std::int32_t>(std::floor(static_cast<double>(r) * bound));
}
}  // namespace

Slot drawSlot(RandomSource& generator, const WorkingArea& area) {
    const std::int32_t x = scaled(generator.next(), area.width);
    const std::int32_t y = scaled(generator.next(), area.height);
    const int channel =
        static_cast<int>(std::floor(static_cast<double>(generator.next()) * 100)) % 3;
    return {channel, x, y};
}

std::optional<Slot> drawFreshSlot(SlotDraw& draw) {
    for (std::uint32_t attempt = 0; attempt < kMaxSlotAttempts; ++attempt) {
        const Slot slot = drawSlot(draw.generator, draw.area);
        if (draw.usedSlots.add(slot.channel, slot.x, slot.y)) return slot;
    }
    return std::nullopt;
}

Result<void> embedByte(SlotDraw& draw, Canvas& canvas, std::uint8_t value) {
    unsigned mask = 1;
    for (int i = 0; i < 8; ++i) {
        const std::optional<Slot> fresh = drawFreshSlot(draw);
        if (!fresh) return failure(kNoFreeSlots);
        const Slot& slot = *fresh;
        const auto colour = static_cast<std::uint32_t>(canvas.point(slot.x, slot.y));
        std::uint32_t rgb[3] = {colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF};
        const std::uint32_t bit = (value & mask) != 0 ? 1 : 0;
        rgb[slot.channel] = (rgb[slot.channel] & 254) | bit;
        canvas.setPoint(slot.x, slot.y, makeColour(rgb[0], rgb[1], rgb[2]));
        mask *= 2;
    }
    return {};
}

Result<std::int16_t> extractByte(SlotDraw& draw, const Canvas& canvas) {
    unsigned mask = 1;
    unsigned result = 0;
    for (int i = 0; i < 8; ++i) {
        const std::optional<Slot> slot = drawFreshSlot(draw);
        if (!slot) return failure(kNoFreeSlots);
        if (slotBit(canvas, *slot) != 0) result |= mask;
        mask *= 2;
    }
    return static_cast<std::int16_t>(result);
}

}  // namespace vm

#include "engine/message_scan.h"

#include <algorithm>
#include <array>
#include <optional>

#include "engine/bit_carrier.h"
#include "engine/hide_reveal.h"
#include "engine/payload.h"
#include "engine/random_source.h"

namespace vm {

namespace {

// The length byte and the marker: all a state is tried on before its message is read.
constexpr std::size_t kMarkerBytes = 1 + kMessageMarker.size();
constexpr std::size_t kMarkerSlots = static_cast<std::size_t>(slotsForPayload(kMarkerBytes));

// The slots of one state's first bytes: so few that a linear search beats hashing,
// and emptied for the next state by resetting a count.
class FirstSlots {
  public:
    void clear() { m_count = 0; }
    bool add(const Slot& slot) {
        for (std::size_t i = 0; i < m_count; ++i) {
            const Slot& s = m_slots[i];
            if (s.x == slot.x && s.y == slot.y && s.channel == slot.channel) return false;
        }
        m_slots[m_count++] = slot;
        return true;
    }

  private:
    std::array<Slot, kMarkerSlots> m_slots{};
    std::size_t m_count = 0;
};

// drawFreshSlot on the small set; nothing where it would give up.
std::optional<Slot> drawFresh(RandomSource& generator, FirstSlots& used, const WorkingArea& area) {
    for (std::uint32_t attempt = 0; attempt < kMaxSlotAttempts; ++attempt) {
        const Slot slot = drawSlot(generator, area);
        if (used.add(slot)) return slot;
    }
    return std::nullopt;
}

// Whether the stream from the generator's state puts the marker after the length
// byte. The length byte's slots are drawn but not read, and the marker's bits are
// read only up to the first wrong one: most states cost two points of the picture.
bool markerFollows(RandomSource& generator, FirstSlots& used, const Canvas& picture,
                   const WorkingArea& area) {
    for (int bit = 0; bit < 8; ++bit)
        if (!drawFresh(generator, used, area)) return false;
    for (const char32_t marker : kMessageMarker) {
        for (int bit = 0; bit < 8; ++bit) {
            const std::optional<Slot> slot = drawFresh(generator, used, area);
            if (!slot || slotBit(picture, *slot) != ((marker >> bit) & 1)) return false;
        }
    }
    return true;
}

}  // namespace

std::vector<std::uint32_t> statesAfterReset() {
    // randomize() keeps the bits outside kRandomizedBits, so whatever the seed they
    // are what the reset's first step left; any seed shows them.
    RandomSource probe;
    resetGenerator(probe, 0);
    constexpr std::uint32_t kSeeded = RandomSource::kRandomizedBits;
    const std::uint32_t kept = probe.state() & ~kSeeded;
    std::vector<std::uint32_t> states;
    std::uint32_t bits = 0;
    do {  // every subset of the seeded bits, in increasing order
        states.push_back(kept | bits);
        bits = (bits - kSeeded) & kSeeded;
    } while (bits != 0);
    return states;
}

std::vector<std::u32string> scanMessages(const Canvas& canvas, const WorkingArea& area) {
    std::vector<std::u32string> messages;
    if (slotsForPayload(kMarkerBytes) > area.slots()) return messages;
    RandomSource generator;
    FirstSlots used;
    for (const std::uint32_t state : statesAfterReset()) {
        generator.setState(state);
        used.clear();
        if (!markerFollows(generator, used, canvas, area)) continue;
        // A state that passes is read as reveal reads it, length byte and all.
        generator.setState(state);
        Revealed revealed = readPayload(canvas, area, generator);
        if (revealed.found &&
            std::find(messages.begin(), messages.end(), revealed.message) == messages.end())
            messages.push_back(std::move(revealed.message));
    }
    return messages;
}

}  // namespace vm

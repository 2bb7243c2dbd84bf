#pragma once
// The two operations the tool exists for. Everything that can refuse a hide is
// decided by prepareHide before any canvas, generator or file is touched.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/random_source.h"
#include "imaging/canvas.h"
#include "imaging/picture_reader.h"
#include "imaging/working_area.h"
#include "platform/result.h"
#include "platform/user_messages.h"

namespace vm {

// Why a hide or a reveal is refused before it starts: the kind of its failure.
enum class Refusal {
    PasswordTooLong = 1,
    PasswordCharacter,
    MessageCharacter,
    MessageTooLong,
    AreaTooSmall,
    NoFreeSlots,  // the slots ran out while the payload was placed
};

struct HidePlan {
    std::int32_t seed = 0;
    std::string payload;  // length byte first
};

// Checks the password, the message and the working area, and frames the payload;
// a refusal's kind is its Refusal. A message starting with the sealed mark is
// refused: only a sealed hide writes one.
Result<HidePlan> prepareHide(std::u32string_view password, std::u32string_view message,
                             const WorkingArea& area);

// Refuses (AreaTooSmall) a payload of this many bytes that the area cannot hold.
Result<void> checkRoom(std::size_t payloadBytes, const WorkingArea& area);

// Restarts the generator from the seed and hides the payload in the canvas. On a
// working area that runs out of fresh slots it refuses (NoFreeSlots) and leaves
// the canvas as it was.
Result<void> hidePayload(const HidePlan& plan, Canvas& canvas, const WorkingArea& area,
                         RandomSource& generator);

struct Revealed {
    bool found = false;      // the marker was read back
    std::u32string message;  // what followed the marker
};

// Restarts the generator from the seed and reads a payload. Finds nothing (rather
// than looping or failing) where the working area cannot hold what it reads.
Revealed revealPayload(std::int32_t seed, const Canvas& canvas, const WorkingArea& area,
                       RandomSource& generator);
// The same, reading no further than the length byte when it is not `length`.
Revealed revealPayloadOfLength(std::int32_t seed, std::uint8_t length, const Canvas& canvas,
                               const WorkingArea& area, RandomSource& generator);
// The same read from wherever the generator stands now.
Revealed readPayload(const Canvas& canvas, const WorkingArea& area, RandomSource& generator);

// Reveals the message with the seed over the area from a freshly written picture,
// read back from what is to become `target`: nothing when it comes back exactly,
// otherwise why the save cannot be trusted.
Result<void> checkSavedPicture(const PictureRef& written, const std::string& target,
                               std::int32_t seed, const WorkingArea& area,
                               std::u32string_view message);

// The seed for a password, or a refusal (PasswordTooLong, PasswordCharacter).
Result<std::int32_t> seedFor(std::u32string_view password);

// Both operations reset the generator this way before their first draw.
void resetGenerator(RandomSource& generator, std::int32_t seed);

}  // namespace vm

#pragma once
// The two operations the tool exists for. prepareHide decides every refusal of a
// hide that the password, the message and the area's size can tell before any
// canvas or generator is touched; only a crowded area can still refuse while the
// payload is placed, and then the canvas is left as it was.

#include <cstdint>
#include <optional>
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

// The payload's bytes as stored, length byte first, read with the seed (or from
// wherever the generator stands now); nothing where the area cannot hold them.
// Reading back a saved picture compares these with what was hidden.
std::optional<std::string> revealPayloadBytes(std::int32_t seed, const Canvas& canvas,
                                              const WorkingArea& area, RandomSource& generator);
std::optional<std::string> readPayloadBytes(const Canvas& canvas, const WorkingArea& area,
                                            RandomSource& generator);

// The seed for a password, or a refusal (PasswordTooLong, PasswordCharacter).
Result<std::int32_t> seedFor(std::u32string_view password);

// Both operations reset the generator this way before their first draw.
void resetGenerator(RandomSource& generator, std::int32_t seed);

}  // namespace vm

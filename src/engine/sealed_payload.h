#pragma once
// Sealed messages in a picture. A sealed field travels as an ordinary payload
// (L = 255, the marker, the field) at the slots of the empty password, so that
// finding a password's slot order tells nothing about the password; the password
// goes into the key derivation only. A reveal reads both the password's own slots
// and the sealed ones, and derives a key only where the sealed mark is.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/hide_reveal.h"
#include "engine/payload.h"
#include "engine/sealed_field.h"

namespace vm {

// Every sealed payload is this long, whatever its text: 2,048 slots.
inline constexpr std::size_t kSealedPayloadBytes = 1 + kMessageMarker.size() + kSealedFieldSize;

// Whether a message a reveal or a scan gave back is a sealed field, never to be
// shown as text.
bool isSealedMessage(std::u32string_view message);

// What a sealed hide of text with password into the area is refused for, before
// any key is derived: a SealProblem (EmptyPassword, TextTooLong) or a Refusal
// (PasswordCharacter, AreaTooSmall). Cheap: ask it before a save dialog.
Result<void> checkSealedHide(std::u32string_view password, std::u32string_view text,
                             const WorkingArea& area);

// The plan for a sealed hide: the text sealed under a fresh salt, framed, at the
// empty password's seed. Derives the key once (about 0.1 s here); hidePayload then
// places it like any other.
Result<HidePlan> prepareSealedHide(std::u32string_view password, std::u32string_view text,
                                   const WorkingArea& area);

// What a password reads in one payload.
enum class Reading {
    Nothing,          // no payload there
    Plain,            // a plain message: text
    SealedOpened,     // a sealed message the password opened: text
    SealedNotOpened,  // a sealed message the password does not open, or a changed one
    SealedNewer,      // a sealed message a newer version wrote
    SealedFailed,     // could not try: memory for the key derivation was short
};
struct MessageReading {
    Reading state = Reading::Nothing;
    std::u32string text;   // Plain and SealedOpened
    std::string sentence;  // why a sealed message stays closed
};

// What a revealed payload is to this password; opens a sealed field.
MessageReading readRevealed(const Revealed& revealed, std::u32string_view password);

struct PasswordReading {
    MessageReading own;     // at the password's own slots
    MessageReading sealed;  // at the sealed slots (Nothing for the empty password,
                            // whose own slots they are, and for a plain payload there)
};

// Reads the password's own slots and the sealed slots of the canvas. A password
// the code page cannot carry reads nothing at its own slots.
// What a box shows for a reading: the sealed message when the password opens it,
// else what the password's own slots hold (empty for nothing); and why a sealed
// message stays closed, when one does (said also beside a plain message shown).
struct ShownReading {
    std::u32string text;
    std::string closedSentence;
};
ShownReading shownReading(const PasswordReading& reading);

PasswordReading revealWithPassword(std::u32string_view password, const Canvas& canvas,
                                   const WorkingArea& area, RandomSource& generator);

}  // namespace vm

#include "engine/hide_reveal.h"

#include <cstdio>

#include "engine/bit_carrier.h"
#include "engine/code_page.h"
#include "engine/password_seed.h"
#include "engine/payload.h"
#include "engine/used_slots.h"
#include "platform/checked.h"
#include "platform/user_messages.h"
#include "platform/utf8.h"

namespace vm {

namespace {
// Whether a character shows as something of its own between quotes. Controls,
// spaces other than the plain one, joiners, marks of direction, the byte-order
// mark, selectors of variants, lone combining marks and code points without a
// picture are named by their code only.
bool visible(char32_t ch) {
    struct Range {
        char32_t first, last;
    };
    static constexpr Range kUnseen[] = {
        {0x00, 0x1F},       {0x7F, 0xA0},        {0xAD, 0xAD},     {0x0300, 0x036F},
        {0x061C, 0x061C},   {0x115F, 0x1160},    {0x17B4, 0x17B5}, {0x180B, 0x180F},
        {0x2000, 0x200F},   {0x2028, 0x202F},    {0x205F, 0x206F}, {0x3000, 0x3000},
        {0x3164, 0x3164},   {0xD800, 0xF8FF},    {0xFDD0, 0xFDEF}, {0xFE00, 0xFE0F},
        {0xFEFF, 0xFEFF},   {0xFFA0, 0xFFA0},    {0xFFF0, 0xFFFB}, {0x1D173, 0x1D17A},
        {0xE0000, 0xE0FFF}, {0xF0000, 0x10FFFF},
    };
    if (ch > 0x10FFFF || (ch & 0xFFFE) == 0xFFFE) return false;
    for (const Range& r : kUnseen)
        if (ch >= r.first && ch <= r.last) return false;
    return true;
}

std::string describe(char32_t ch, std::size_t index) {
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(ch));
    return (visible(ch) ? "\"" + toUtf8(std::u32string(1, ch)) + "\" (" + code + ")"
                        : std::string(code)) +
           " at position " + std::to_string(index + 1);
}

std::string withThousands(std::int64_t n) {
    std::string digits = std::to_string(n);
    for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3)
        digits.insert(static_cast<std::size_t>(i), ",");
    return digits;
}

}  // namespace

void resetGenerator(RandomSource& generator, std::int32_t seed) {
    generator.next(-1.0f);
    generator.randomize(static_cast<double>(seed));
}

namespace {
Failure refused(Refusal why, std::string explanation) {
    return failure(std::move(explanation), why);
}
}  // namespace

Result<std::int32_t> seedFor(std::u32string_view password) {
    if (password.size() > kMaxPasswordLength)
        return refused(Refusal::PasswordTooLong,
                       "The password is too long: Veilmark takes at most " +
                           withThousands(kMaxPasswordLength) + " characters.");
    if (auto bad = firstUnsupported(password))
        return refused(Refusal::PasswordCharacter,
                       "The password contains the character " + describe(password[*bad], *bad) +
                           ", which Veilmark cannot use. Passwords and messages may use the "
                           "letters, digits and signs of Western European languages.");
    return passwordSeed(password);
}

Result<HidePlan> prepareHide(std::u32string_view password, std::u32string_view message,
                             const WorkingArea& area) {
    const Result<std::int32_t> seed = seedFor(password);
    if (!seed) return seed.why();
    if (auto bad = firstUnsupported(message))
        return refused(Refusal::MessageCharacter,
                       "The message contains the character " + describe(message[*bad], *bad) +
                           ", which cannot be hidden. Messages may use the letters, digits and "
                           "signs of Western European languages.");
    if (message.size() > kMaxMessageLength)
        return refused(Refusal::MessageTooLong,
                       "The message is too long: at most " + std::to_string(kMaxMessageLength) +
                           " characters can be hidden, and it has " +
                           withThousands(static_cast<std::int64_t>(message.size())) + ".");
    if (!message.empty() && message.front() == kSealedMessageMark)
        return refused(Refusal::MessageCharacter,
                       "The message cannot start with the character U+0001: Veilmark keeps it to "
                       "mark sealed messages.");
    HidePlan plan{*seed, framePayload(message)};
    if (Result<void> room = checkRoom(plan.payload.size(), area); !room) return room.why();
    return plan;
}

Result<void> checkRoom(std::size_t payloadBytes, const WorkingArea& area) {
    const std::int64_t needed = slotsForPayload(payloadBytes);
    if (needed > area.slots())
        return refused(Refusal::AreaTooSmall,
                       "The picture is too small for this message: it needs " +
                           withThousands(needed) + " colour values, and " +
                           std::to_string(area.width) + " x " + std::to_string(area.height) +
                           " points offer " + withThousands(area.slots()) + ".");
    return {};
}

Result<void> hidePayload(const HidePlan& plan, Canvas& canvas, const WorkingArea& area,
                         RandomSource& generator) {
    resetGenerator(generator, plan.seed);
    UsedSlots usedSlots;
    SlotDraw draw{generator, usedSlots, area};
    // Work on a copy (it shares the picture) so that a failure leaves the canvas untouched.
    Canvas work = canvas;
    for (char byte : plan.payload)
        if (!embedByte(draw, work, static_cast<std::uint8_t>(byte)))
            return refused(Refusal::NoFreeSlots, kNoFreeSlots);
    canvas = std::move(work);
    return {};
}

namespace {
// The bytes of a payload from wherever the generator stands; one whose length byte
// is not `only` (when given) is not read further.
std::optional<std::string> readBytesFrom(const Canvas& canvas, const WorkingArea& area,
                                         RandomSource& generator,
                                         std::optional<std::int16_t> only) {
    UsedSlots usedSlots;
    SlotDraw draw{generator, usedSlots, area};
    // A stream whose slots run out before the payload ends carries none.
    if (slotsForPayload(1) > area.slots()) return std::nullopt;
    const Result<std::int16_t> n = extractByte(draw, canvas);
    if (!n || (only && *n != *only) ||
        slotsForPayload(1 + static_cast<std::size_t>(*n)) > area.slots())
        return std::nullopt;
    std::string bytes(1, static_cast<char>(*n));
    for (std::int16_t i = 1; i <= *n; ++i) {
        const Result<std::int16_t> byte = extractByte(draw, canvas);
        if (!byte) return std::nullopt;
        bytes.push_back(static_cast<char>(*byte));
    }
    return bytes;
}

Revealed framedMessage(const std::optional<std::string>& bytes) {
    if (!bytes) return {};
    std::u32string text;
    for (std::size_t i = 1; i < bytes->size(); ++i)
        text.push_back(charFromAnsi(static_cast<std::uint8_t>((*bytes)[i])));
    std::optional<std::u32string> message = unframePayloadText(text);
    if (!message) return {};
    return {true, std::move(*message)};
}
}  // namespace

Revealed revealPayload(std::int32_t seed, const Canvas& canvas, const WorkingArea& area,
                       RandomSource& generator) {
    resetGenerator(generator, seed);
    return readPayload(canvas, area, generator);
}

Revealed revealPayloadOfLength(std::int32_t seed, std::uint8_t length, const Canvas& canvas,
                               const WorkingArea& area, RandomSource& generator) {
    resetGenerator(generator, seed);
    return framedMessage(readBytesFrom(canvas, area, generator, length));
}

std::optional<std::string> readPayloadBytes(const Canvas& canvas, const WorkingArea& area,
                                            RandomSource& generator) {
    return readBytesFrom(canvas, area, generator, std::nullopt);
}

std::optional<std::string> revealPayloadBytes(std::int32_t seed, const Canvas& canvas,
                                              const WorkingArea& area, RandomSource& generator) {
    resetGenerator(generator, seed);
    return readPayloadBytes(canvas, area, generator);
}

Revealed readPayload(const Canvas& canvas, const WorkingArea& area, RandomSource& generator) {
    return framedMessage(readPayloadBytes(canvas, area, generator));
}

}  // namespace vm

#include "engine/sealed_payload.h"

#include "engine/code_page.h"
#include "engine/password_seed.h"

namespace vm {

namespace {

std::int32_t sealedSeed() {
    return passwordSeed(U"");
}

}  // namespace

bool isSealedMessage(std::u32string_view message) {
    return !message.empty() && message.front() == kSealedMessageMark;
}

Result<void> checkSealedHide(std::u32string_view password, std::u32string_view text,
                             const WorkingArea& area) {
    if (Result<void> sealable = checkSealable(password, text); !sealable) return sealable;
    return checkRoom(kSealedPayloadBytes, area);
}

Result<HidePlan> prepareSealedHide(std::u32string_view password, std::u32string_view text,
                                   const WorkingArea& area) {
    if (Result<void> ok = checkSealedHide(password, text, area); !ok) return ok.why();
    const Result<std::string> field = sealText(password, text);
    if (!field) return field.why();
    std::u32string message;
    for (const char byte : *field) message.push_back(charFromAnsi(static_cast<std::uint8_t>(byte)));
    return HidePlan{sealedSeed(), framePayload(message)};
}

MessageReading readRevealed(const Revealed& revealed, std::u32string_view password) {
    if (!revealed.found) return {};
    if (!isSealedMessage(revealed.message)) return {Reading::Plain, revealed.message, {}};
    std::string field;
    for (const char32_t ch : revealed.message) field.push_back(static_cast<char>(*ansiCode(ch)));
    Result<std::u32string> opened = openField(password, field);
    if (opened) return {Reading::SealedOpened, opened.take(), {}};
    const std::optional<SealProblem> why = opened.kind().as<SealProblem>();
    const Reading state = why == SealProblem::NewerFormat ? Reading::SealedNewer
                          : why == SealProblem::NoMemory  ? Reading::SealedFailed
                                                          : Reading::SealedNotOpened;
    return {state, {}, opened.error()};
}

PasswordReading revealWithPassword(std::u32string_view password, const Canvas& canvas,
                                   const WorkingArea& area, RandomSource& generator) {
    PasswordReading reading;
    if (const Result<std::int32_t> seed = seedFor(password))
        reading.own = readRevealed(revealPayload(*seed, canvas, area, generator), password);
    if (!password.empty()) {
        // A picture without a sealed message costs one byte's read here.
        const Revealed sealed =
            revealPayloadOfLength(sealedSeed(), static_cast<std::uint8_t>(kSealedPayloadBytes - 1),
                                  canvas, area, generator);
        if (isSealedMessage(sealed.message)) reading.sealed = readRevealed(sealed, password);
    }
    return reading;
}

ShownReading shownReading(const PasswordReading& reading) {
    const MessageReading& shown =
        reading.sealed.state == Reading::SealedOpened ? reading.sealed : reading.own;
    ShownReading result;
    if (shown.state == Reading::Plain || shown.state == Reading::SealedOpened)
        result.text = shown.text;
    for (const MessageReading* closed : {&reading.own, &reading.sealed})
        if (!closed->sentence.empty() && result.closedSentence.empty())
            result.closedSentence = closed->sentence;
    return result;
}

}  // namespace vm

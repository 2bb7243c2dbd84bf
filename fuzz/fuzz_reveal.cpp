// Reading a payload out of arbitrary points, with an arbitrary working area and
// password, must end without a crash or an endless slot search; and whatever a
// hide accepts must read back exactly, with the same password and area.
#include <fuzzer/FuzzedDataProvider.h>

#include <QImage>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "engine/code_page.h"
#include "engine/hide_reveal.h"
#include "engine/password_seed.h"
#include "engine/payload.h"
#include "imaging/decoded_picture.h"

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "reveal: %s\n", what);
    std::abort();
}

void check(bool ok, const char* what) {
    if (!ok) fail(what);
}

// Mostly characters of the code page, now and then any code point, so that the
// refusals for characters without a byte are reached too.
std::u32string text(FuzzedDataProvider& in, std::size_t maxLength) {
    const std::size_t length = in.ConsumeIntegralInRange<std::size_t>(0, maxLength);
    std::u32string out;
    for (std::size_t i = 0; i < length && in.remaining_bytes() > 0; ++i) {
        const auto raw = in.ConsumeIntegral<std::uint16_t>();
        out.push_back(raw < 0xF000 ? vm::charFromAnsi(static_cast<std::uint8_t>(raw))
                                   : static_cast<char32_t>(raw - 0xF000) * 0x111);
    }
    return out;
}

std::u32string password(FuzzedDataProvider& in) {
    switch (in.ConsumeIntegralInRange(0, 15)) {
        case 0:  // the longest that folds, and one more
            return std::u32string(vm::kMaxPasswordLength, U'p');
        case 1:
            return std::u32string(vm::kMaxPasswordLength + 1, U'p');
        default:
            return text(in, 40);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    // Small pictures keep every run quick; the areas still reach every edge case:
    // empty, one point, one row or column, too small, larger than the picture.
    const int width = in.ConsumeIntegralInRange(1, 80);
    const int height = in.ConsumeIntegralInRange(1, 80);
    const vm::WorkingArea area{in.ConsumeIntegralInRange<std::int32_t>(0, 2 * width),
                               in.ConsumeIntegralInRange<std::int32_t>(0, 2 * height), true};
    const std::u32string revealPassword = password(in);
    const std::u32string hidePassword = in.ConsumeBool() ? revealPassword : password(in);
    const std::u32string message = text(in, 260);

    QImage image(width, height, QImage::Format_RGB32);
    const std::string points = in.ConsumeRemainingBytesAsString();
    std::size_t k = 0;
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x, k += 3) {
            auto at = [&](std::size_t i) {
                return points.empty() ? 0 : static_cast<unsigned char>(points[i % points.size()]);
            };
            row[x] = qRgb(at(k), at(k + 1), at(k + 2));
        }
    }
    const vm::PictureRef picture = std::make_shared<vm::DecodedPicture>(std::move(image));

    // The reveal on whatever the points hold.
    vm::Canvas revealCanvas;
    revealCanvas.setPicture(picture);
    const vm::Result<std::int32_t> seed = vm::seedFor(revealPassword);
    check(static_cast<bool>(seed) == (revealPassword.size() <= vm::kMaxPasswordLength &&
                                      !vm::firstUnsupported(revealPassword)),
          "the password was judged wrongly");
    if (seed) {
        vm::RandomSource generator;
        const vm::Revealed found = vm::revealPayload(*seed, revealCanvas, area, generator);
        check(found.found || found.message.empty(), "a failed reveal returned text");
        check(found.message.size() <= vm::kMaxMessageLength, "a reveal read more than fits");
        check(revealCanvas.changedPoints() == 0 && revealCanvas.picture() == picture,
              "the reveal wrote to its canvas");
    }

    // The hide, and the reveal that must find it.
    const vm::Result<vm::HidePlan> planned = vm::prepareHide(hidePassword, message, area);
    const bool fits = 8 * static_cast<std::int64_t>(message.size() + 4) <= area.slots();
    if (!planned) {
        if (planned.kind() == vm::Refusal::AreaTooSmall)
            check(!fits, "a message that fits was refused");
        check(!planned.error().empty(), "a refusal without a reason");
        return 0;
    }
    const vm::HidePlan& plan = *planned;
    check(fits && message.size() <= vm::kMaxMessageLength, "a hide was accepted that cannot fit");
    check(plan.payload.size() == message.size() + 4,
          "the payload is not framed as L, marker, text");
    if (area.width > width || area.height > height) return 0;  // the window refuses this

    vm::Canvas hideCanvas;
    hideCanvas.setPicture(picture);
    vm::RandomSource generator;
    if (!vm::hidePayload(plan, hideCanvas, area, generator)) {
        // A crowded area whose free slots the generator no longer reaches: refused, untouched.
        check(hideCanvas.changedPoints() == 0, "a failed hide changed the canvas");
        return 0;
    }
    check(hideCanvas.changedPoints() <= 8 * plan.payload.size(), "the hide wrote too many points");
    vm::Canvas saved;
    saved.setPicture(hideCanvas.image());
    for (std::int32_t y = 0; y < height; ++y)
        for (std::int32_t x = 0; x < width; ++x) {
            const auto before = static_cast<std::uint32_t>(picture->colourAt(x, y));
            const auto after = static_cast<std::uint32_t>(saved.point(x, y));
            check((before & 0xFEFEFE) == (after & 0xFEFEFE), "the hide changed more than low bits");
            check(before == after || (x < area.width && y < area.height),
                  "the hide wrote outside the working area");
        }
    vm::RandomSource fresh;
    const vm::Revealed back = vm::revealPayload(plan.seed, saved, area, fresh);
    check(back.found, "a hidden message was not found");
    check(back.message == message, "a hidden message read back differently");
    return 0;
}

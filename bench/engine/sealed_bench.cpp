// Sealing and opening a message against what they cannot avoid: one key
// derivation at the same cost, timed in the same run (the pwhash_ratio counter:
// 1.0 is the floor). Both sides count this thread's processor time, which other
// work on a busy machine does not lengthen. And a reveal of a picture with no sealed message, which
// reads the sealed slots too, against the plain reveal of the same picture.
#include <benchmark/benchmark.h>
#include <sodium.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <ctime>

#include "engine/sealed_payload.h"
#include "random_photo.h"

namespace vm {
namespace {

// This thread's processor time, in seconds.
double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

PictureRef photo() {
    static const PictureRef picture = randomPhoto(3000, 2000, 2);
    return picture;
}

const WorkingArea kArea{3000, 2000, true};
const std::u32string kPassword = U"benchmark password";
const std::u32string kMessage(160, U'm');

// One bare key derivation at format 1's cost, the best of three.
double barePwhashSeconds() {
    static const double seconds = [] {
        if (sodium_init() < 0) std::abort();
        std::array<unsigned char, 56> out{};
        const std::array<unsigned char, crypto_pwhash_SALTBYTES> salt{};
        double best = 1e9;
        for (int i = 0; i < 3; ++i) {
            const double start = threadSeconds();
            if (crypto_pwhash(out.data(), out.size(), "benchmark password", 18, salt.data(), 3,
                              std::size_t{64} << 20, crypto_pwhash_ALG_ARGON2ID13) != 0)
                std::abort();
            best = std::min(best, threadSeconds() - start);
        }
        return best;
    }();
    return seconds;
}

Canvas saved(const HidePlan& plan) {
    Canvas canvas;
    canvas.setPicture(photo());
    RandomSource generator;
    if (!hidePayload(plan, canvas, kArea, generator)) std::abort();
    Canvas reread;
    reread.setPicture(canvas.image());
    return reread;
}

// Runs body once per iteration, timing it against the bare derivation.
template <class Body>
void againstPwhash(benchmark::State& state, Body body) {
    const double floor = barePwhashSeconds();
    double total = 0;
    for (auto _ : state) {
        const double start = threadSeconds();
        body();
        total += threadSeconds() - start;
    }
    state.counters["pwhash_ratio"] = total / floor / static_cast<double>(state.iterations());
}

void BM_BarePwhash(benchmark::State& state) {
    againstPwhash(state, [] {
        std::array<unsigned char, 56> out{};
        const std::array<unsigned char, crypto_pwhash_SALTBYTES> salt{};
        benchmark::DoNotOptimize(crypto_pwhash(out.data(), out.size(), "benchmark password", 18,
                                               salt.data(), 3, std::size_t{64} << 20,
                                               crypto_pwhash_ALG_ARGON2ID13));
    });
}
BENCHMARK(BM_BarePwhash)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SealedHide(benchmark::State& state) {
    photo();
    RandomSource generator;
    againstPwhash(state, [&] {
        Canvas canvas;
        canvas.setPicture(photo());
        const Result<HidePlan> plan = prepareSealedHide(kPassword, kMessage, kArea);
        if (!plan || !hidePayload(*plan, canvas, kArea, generator)) std::abort();
        benchmark::DoNotOptimize(canvas.changedPoints());
    });
}
BENCHMARK(BM_SealedHide)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SealedReveal(benchmark::State& state) {
    const Canvas canvas = saved(*prepareSealedHide(kPassword, kMessage, kArea));
    RandomSource generator;
    againstPwhash(state, [&] {
        const PasswordReading reading = revealWithPassword(kPassword, canvas, kArea, generator);
        if (reading.sealed.state != Reading::SealedOpened) std::abort();
        benchmark::DoNotOptimize(reading.sealed.text.data());
    });
}
BENCHMARK(BM_SealedReveal)->Unit(benchmark::kMillisecond)->Iterations(3);

// A picture with a plain message only: the reveal as it was, and with the sealed
// slots read too.
void BM_PlainReveal(benchmark::State& state) {
    const HidePlan plan = *prepareHide(kPassword, kMessage, kArea);
    const Canvas canvas = saved(plan);
    RandomSource generator;
    for (auto _ : state) {
        const Revealed revealed = revealPayload(plan.seed, canvas, kArea, generator);
        if (!revealed.found) std::abort();
        benchmark::DoNotOptimize(revealed.message.data());
    }
}
BENCHMARK(BM_PlainReveal)->Unit(benchmark::kMicrosecond);

void BM_PlainRevealReadingSealedSlots(benchmark::State& state) {
    const Canvas canvas = saved(*prepareHide(kPassword, kMessage, kArea));
    RandomSource generator;
    for (auto _ : state) {
        const PasswordReading reading = revealWithPassword(kPassword, canvas, kArea, generator);
        if (reading.own.state != Reading::Plain) std::abort();
        benchmark::DoNotOptimize(reading.own.text.data());
    }
}
BENCHMARK(BM_PlainRevealReadingSealedSlots)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vm

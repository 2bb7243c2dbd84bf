// Hiding and reading the payload of a 160-character message (164 bytes, 1,312
// slots) on a 24-megapixel canvas held in memory.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "engine/hide_reveal.h"
#include "random_photo.h"

namespace vm {
namespace {

PictureRef photo() {
    static const PictureRef picture = randomPhoto(6000, 4000, 1);
    return picture;
}

const WorkingArea kArea{6000, 4000, true};
const std::u32string kMessage(160, U'm');

// The canvas a saved picture opens as after the message was hidden in the photo.
Canvas savedWithMessage(const HidePlan& plan, RandomSource& generator) {
    Canvas canvas;
    canvas.setPicture(photo());
    if (!hidePayload(plan, canvas, kArea, generator)) std::abort();
    Canvas saved;
    saved.setPicture(canvas.image());
    return saved;
}

void BM_Hide164Bytes(benchmark::State& state) {
    const HidePlan plan = *prepareHide(U"benchmark password", kMessage, kArea);
    RandomSource generator;
    const PictureRef picture = photo();  // made once, before the timing starts
    for (auto _ : state) {
        Canvas canvas;
        canvas.setPicture(picture);
        benchmark::DoNotOptimize(hidePayload(plan, canvas, kArea, generator));
        benchmark::DoNotOptimize(canvas.changedPoints());
    }
}
BENCHMARK(BM_Hide164Bytes)->Unit(benchmark::kMicrosecond);

void BM_Reveal164Bytes(benchmark::State& state) {
    const HidePlan plan = *prepareHide(U"benchmark password", kMessage, kArea);
    RandomSource generator;
    const Canvas saved = savedWithMessage(plan, generator);
    for (auto _ : state) {
        const Revealed revealed = revealPayload(plan.seed, saved, kArea, generator);
        if (!revealed.found) state.SkipWithError("message not found");
        benchmark::DoNotOptimize(revealed.message.data());
    }
}
BENCHMARK(BM_Reveal164Bytes)->Unit(benchmark::kMicrosecond);

void BM_HideThenReveal164Bytes(benchmark::State& state) {
    const HidePlan plan = *prepareHide(U"benchmark password", kMessage, kArea);
    RandomSource generator;
    photo();  // made once, before the timing starts
    for (auto _ : state) {
        const Canvas saved = savedWithMessage(plan, generator);
        benchmark::DoNotOptimize(revealPayload(plan.seed, saved, kArea, generator).found);
    }
}
BENCHMARK(BM_HideThenReveal164Bytes)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vm

BENCHMARK_MAIN();

#include <gtest/gtest.h>

#include <vector>

#include "engine/bit_carrier.h"
#include "engine/hide_reveal.h"
#include "support/test_pictures.h"

namespace vm {
namespace {

using test::patternPicture;
using test::plainPicture;

struct Operation {
    explicit Operation(std::int32_t w, std::int32_t h, std::int32_t seed = 0) {
        area = {w, h, true};
        resetGenerator(generator, seed);
    }
    RandomSource generator;
    UsedSlots used;
    WorkingArea area;
    SlotDraw draw{generator, used, area};
};

// The first `count` fresh slots a draw from the seed gives, as a byte's bits take them.
std::vector<Slot> slotsDrawn(std::int32_t w, std::int32_t h, std::int32_t seed, int count) {
    Operation op(w, h, seed);
    std::vector<Slot> slots;
    for (int i = 0; i < count; ++i) slots.push_back(drawFreshSlot(op.draw).value());
    return slots;
}

std::vector<std::pair<std::int32_t, std::int32_t>> changedPoints(const Canvas& canvas) {
    std::vector<std::pair<std::int32_t, std::int32_t>> points;
    for (std::int32_t y = 0; y < canvas.height(); ++y)
        for (std::int32_t x = 0; x < canvas.width(); ++x)
            if (canvas.point(x, y) != canvas.picture()->colourAt(x, y)) points.emplace_back(x, y);
    return points;
}

TEST(BitCarrier, FirstSlotOfSeedZeroFollowsThePublishedDraws) {
    // Draws x 2^24 after the reset: 5584177, 5374768, 1463603.
    Operation op(1000, 1000);
    const Slot slot = drawFreshSlot(op.draw).value();
    EXPECT_EQ(slot.x, 332);
    EXPECT_EQ(slot.y, 320);
    EXPECT_EQ(slot.channel, 2);  // floor(8.72...) = 8, 8 mod 3
    EXPECT_FALSE(op.used.add(2, 332, 320)) << "the slot drawn was not recorded";
}

TEST(BitCarrier, BitsGoLeastSignificantFirst) {
    Canvas canvas;
    canvas.setPicture(plainPicture(1000, 1000, makeColour(0x80, 0x80, 0x80)));
    Operation op(1000, 1000);
    ASSERT_TRUE(embedByte(op.draw, canvas, 1));
    const auto changed = changedPoints(canvas);
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(changed[0], (std::pair<std::int32_t, std::int32_t>{332, 320}));
    EXPECT_EQ(canvas.point(332, 320), makeColour(0x80, 0x80, 0x81));

    Canvas top;
    top.setPicture(plainPicture(1000, 1000, 0));
    Operation again(1000, 1000);
    ASSERT_TRUE(embedByte(again.draw, top, 128));
    ASSERT_EQ(changedPoints(top).size(), 1u);
    const Slot eighth = slotsDrawn(1000, 1000, 0, 8)[7];  // the 1 went to the eighth slot
    EXPECT_EQ(changedPoints(top)[0], (std::pair<std::int32_t, std::int32_t>{eighth.x, eighth.y}));
}

TEST(BitCarrier, OnlyTheLowBitOfTheChosenChannelChanges) {
    Canvas white;
    white.setPicture(plainPicture(50, 50, makeColour(255, 255, 255)));
    Operation op(50, 50, 4242);
    ASSERT_TRUE(embedByte(op.draw, white, 0));
    Canvas black;
    black.setPicture(plainPicture(50, 50, 0));
    Operation op2(50, 50, 4242);
    ASSERT_TRUE(embedByte(op2.draw, black, 255));
    for (const Slot& slot : slotsDrawn(50, 50, 4242, 8)) {
        const int c = slot.channel;
        const std::string key =
            std::to_string(c) + "," + std::to_string(slot.x) + "," + std::to_string(slot.y);
        const std::int32_t x = slot.x, y = slot.y;
        const auto w = static_cast<std::uint32_t>(white.point(x, y));
        const auto b = static_cast<std::uint32_t>(black.point(x, y));
        // 255 -> 254 and 0 -> 1 in the chosen channel; the others keep their value.
        EXPECT_EQ((w >> (8 * c)) & 0xFF, 254u) << key;
        EXPECT_EQ((b >> (8 * c)) & 0xFF, 1u) << key;
        EXPECT_EQ(w | (0xFFu << (8 * c)), 0xFFFFFFu) << key;
    }
}

TEST(BitCarrier, EveryValueReadsBackFromACopyInOrder) {
    Canvas canvas;
    canvas.setPicture(patternPicture(64, 48));
    Operation hide(64, 48, -77);
    for (int v = 0; v < 256; ++v)
        ASSERT_TRUE(embedByte(hide.draw, canvas, static_cast<std::uint8_t>(v)));
    Canvas copy;
    copy.setPicture(canvas.image());
    Operation read(64, 48, -77);
    for (int v = 0; v < 256; ++v) {
        const Result<std::int16_t> byte = extractByte(read.draw, copy);
        ASSERT_TRUE(byte);
        ASSERT_EQ(*byte, v);
    }
    EXPECT_EQ(hide.generator.state(), read.generator.state());
}

TEST(BitCarrier, RedrawsKeepHideAndReadInStepOnATinyArea) {
    // 4 x 4 points offer 48 slots; five bytes take 40 of them, so later slots are
    // drawn many times over, and points carry several bits in different channels.
    const std::uint8_t bytes[5] = {0xA5, 0x00, 0xFF, 0x3C, 0x81};
    Canvas canvas;
    canvas.setPicture(patternPicture(4, 4));
    Operation hide(4, 4, 99);
    for (std::uint8_t b : bytes) ASSERT_TRUE(embedByte(hide.draw, canvas, b));
    EXPECT_EQ(hide.used.count(), 40u);

    Canvas copy;
    copy.setPicture(canvas.image());
    Operation read(4, 4, 99);
    std::uint32_t drawsBefore = 0;
    for (std::uint8_t b : bytes) {
        const Result<std::int16_t> byte = extractByte(read.draw, copy);
        ASSERT_TRUE(byte);
        ASSERT_EQ(*byte, b);
    }
    EXPECT_EQ(read.generator.state(), hide.generator.state());
    // More than three draws a slot were needed: count them by replaying.
    RandomSource replay;
    resetGenerator(replay, 99);
    while (replay.state() != hide.generator.state()) {
        replay.next();
        ++drawsBefore;
    }
    EXPECT_GT(drawsBefore, 40u * 3);
    EXPECT_EQ(drawsBefore % 3, 0u);
}

TEST(BitCarrier, WidthOrHeightOfOneKeepsSlotsInColumnOrRowZero) {
    Operation column(1, 500, 5);
    Operation row(500, 1, 5);
    for (int i = 0; i < 100; ++i) {
        EXPECT_EQ(drawFreshSlot(column.draw).value().x, 0);
        EXPECT_EQ(drawFreshSlot(row.draw).value().y, 0);
    }
}

TEST(BitCarrier, AnExhaustedAreaStopsInsteadOfLoopingForever) {
    Operation op(1, 1);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(drawFreshSlot(op.draw));
    EXPECT_EQ(op.used.count(), 3u);
    EXPECT_FALSE(drawFreshSlot(op.draw));
}

}  // namespace
}  // namespace vm

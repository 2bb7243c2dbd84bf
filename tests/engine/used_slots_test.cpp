#include <gtest/gtest.h>

#include <random>
#include <set>
#include <tuple>

#include "engine/used_slots.h"

namespace vm {
namespace {

TEST(UsedSlots, AddReportsADuplicateAndChangesNothing) {
    UsedSlots set;
    EXPECT_TRUE(set.add(1, 12, 3));
    EXPECT_TRUE(set.add(1, 1, 23));  // same digits, another slot
    EXPECT_TRUE(set.add(2, 12, 3));  // same point, another channel
    EXPECT_FALSE(set.add(1, 12, 3));
    EXPECT_EQ(set.count(), 3u);
}

TEST(UsedSlots, DistinctSlotsNeverCollide) {
    // Slots whose coordinates would collide under a careless packing.
    UsedSlots set;
    const std::int32_t big = 0x7FFFFFFF;
    EXPECT_TRUE(set.add(0, big, 0));
    EXPECT_TRUE(set.add(0, 0, big));
    EXPECT_TRUE(set.add(1, 0, 0));
    EXPECT_TRUE(set.add(0, 1, 0));
    EXPECT_TRUE(set.add(0, 0, 1));
    EXPECT_TRUE(set.add(2, big, big));
    EXPECT_EQ(set.count(), 6u);
}

TEST(UsedSlots, BehavesLikeAKeyedCollectionUnderLoad) {
    // Many adds on a small key space, against a plain model: catches mistakes in
    // probing and growth of the hash table.
    UsedSlots set;
    std::set<std::tuple<int, std::int32_t, std::int32_t>> model;
    std::mt19937 rng(7);
    for (int step = 0; step < 200000; ++step) {
        const int c = static_cast<int>(rng() % 3);
        const auto x = static_cast<std::int32_t>(rng() % 40),
                   y = static_cast<std::int32_t>(rng() % 40);
        const bool fresh = model.insert({c, x, y}).second;
        ASSERT_EQ(set.add(c, x, y), fresh) << c << "," << x << "," << y << " at step " << step;
        ASSERT_EQ(set.count(), model.size());
    }
}

}  // namespace
}  // namespace vm

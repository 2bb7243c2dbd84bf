#include <gtest/gtest.h>

#include <cmath>

#include "platform/checked.h"

namespace vm {
namespace {

TEST(Checked, NarrowingFailsInsteadOfTruncating) {
    EXPECT_EQ(toByte(0), 0);
    EXPECT_EQ(toByte(255), 255);
    EXPECT_THROW(toByte(256), OverflowError);
    EXPECT_THROW(toByte(-1), OverflowError);
    EXPECT_EQ(toInt32(2147483647), 2147483647);
    EXPECT_THROW(toInt32(2147483648LL), OverflowError);
    EXPECT_THROW(toInt32(-2147483649LL), OverflowError);
}

TEST(Checked, RoundingGoesToNearestAndHalvesToEven) {
    EXPECT_EQ(roundToInt32(0.5), 0);
    EXPECT_EQ(roundToInt32(1.5), 2);
    EXPECT_EQ(roundToInt32(2.5), 2);
    EXPECT_EQ(roundToInt32(2.5000001), 3);
    EXPECT_EQ(roundToInt32(-2.5), -2);
    EXPECT_EQ(roundToInt32(-3.5), -4);
    EXPECT_EQ(roundToInt32(400.0), 400);
    EXPECT_EQ(roundToInt32(2147483647.4), 2147483647);
    EXPECT_THROW(roundToInt32(2147483648.0), OverflowError);
    EXPECT_THROW(roundToInt32(NAN), OverflowError);
    EXPECT_THROW(roundToInt32(INFINITY), OverflowError);
}

}  // namespace
}  // namespace vm

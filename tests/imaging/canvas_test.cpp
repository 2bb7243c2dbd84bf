#include <gtest/gtest.h>

#include <vector>

#include "imaging/canvas.h"
#include "imaging/layered_picture.h"
#include "support/test_pictures.h"

namespace vm {
namespace {

using test::patternPicture;
using test::plainPicture;

TEST(Canvas, OutsideTheDrawingAreaReadsMinusOneAndIgnoresWrites) {
    Canvas canvas;
    EXPECT_EQ(canvas.point(0, 0), -1);  // no picture at all
    canvas.setPoint(0, 0, 5);
    EXPECT_EQ(canvas.changedPoints(), 0u);

    canvas.setPicture(plainPicture(1, 1, makeColour(200, 120, 40)));
    EXPECT_EQ(canvas.point(0, 0), makeColour(200, 120, 40));
    for (auto [x, y] : {std::pair{1, 0}, {0, 1}, {-1, 0}, {0, -1}}) {
        EXPECT_EQ(canvas.point(x, y), -1);
        canvas.setPoint(x, y, 0);
    }
    EXPECT_EQ(canvas.changedPoints(), 0u);
    EXPECT_EQ(canvas.width(), 1);
}

TEST(Canvas, PointReturnsExactlyTheBitsWritten) {
    Canvas canvas;
    canvas.setPicture(plainPicture(4, 3, 0));
    canvas.setPoint(3, 2, makeColour(255, 255, 255));
    EXPECT_EQ(canvas.point(3, 2), 16777215);
    canvas.setPoint(0, 0, makeColour(1, 2, 3));
    EXPECT_EQ(canvas.point(0, 0), 1 + 256 * 2 + 65536 * 3);
    canvas.setPoint(1, 1, static_cast<Colour>(0xFF123456u));  // bits above 23 are dropped
    EXPECT_EQ(canvas.point(1, 1), 0x123456);
}

TEST(Canvas, ImageShowsChangesWhilePictureStaysAsOpenedUntilCommit) {
    Canvas canvas;
    const PictureRef opened = patternPicture(5, 5);
    canvas.setPicture(opened);
    const Colour before = opened->colourAt(2, 2);
    canvas.setPoint(2, 2, before ^ 1);
    EXPECT_EQ(canvas.picture(), opened);
    EXPECT_EQ(canvas.picture()->colourAt(2, 2), before);
    EXPECT_EQ(canvas.image()->colourAt(2, 2), before ^ 1);

    canvas.setPicture(canvas.image());
    EXPECT_NE(canvas.picture(), opened);
    EXPECT_EQ(canvas.picture()->colourAt(2, 2), before ^ 1);
    EXPECT_EQ(opened->colourAt(2, 2), before);  // what a preview shows is untouched
    EXPECT_EQ(canvas.changedPoints(), 0u);
    EXPECT_EQ(canvas.point(2, 2), before ^ 1);
}

TEST(Canvas, RepeatedCommitsStayOneLayerDeepAndLastWriteWins) {
    Canvas canvas;
    const PictureRef opened = patternPicture(6, 4);
    canvas.setPicture(opened);
    for (int round = 0; round < 5; ++round) {
        canvas.setPoint(1, 1, round);
        canvas.setPoint(round, 3, 1000 + round);
        canvas.setPicture(canvas.image());
    }
    const auto* layered = dynamic_cast<const LayeredPicture*>(canvas.picture().get());
    ASSERT_NE(layered, nullptr);
    EXPECT_EQ(layered->base(), opened);
    EXPECT_EQ(layered->changedPoints(), 6u);
    EXPECT_EQ(canvas.point(1, 1), 4);

    // Rows read for saving carry the changes too, in blue-green-red order.
    std::vector<std::uint8_t> row(std::size_t{6} * 3);
    ASSERT_TRUE(canvas.picture()->readRowBgr(3, row.data()));
    for (int x = 0; x < 6; ++x) {
        const Colour expected = x < 5 ? 1000 + x : opened->colourAt(x, 3);
        const auto c = static_cast<std::uint32_t>(expected);
        EXPECT_EQ(row[static_cast<std::size_t>(x) * 3], (c >> 16) & 0xFF);
        EXPECT_EQ(row[static_cast<std::size_t>(x) * 3 + 1], (c >> 8) & 0xFF);
        EXPECT_EQ(row[static_cast<std::size_t>(x) * 3 + 2], c & 0xFF);
    }
}

TEST(Canvas, ANewPictureForgetsEarlierWrites) {
    Canvas canvas;
    canvas.setPicture(plainPicture(2, 2, 0));
    canvas.setPoint(0, 0, 7);
    canvas.setPicture(plainPicture(3, 3, 9));
    EXPECT_EQ(canvas.point(0, 0), 9);
    canvas.setPicture(nullptr);
    EXPECT_EQ(canvas.point(0, 0), -1);
    EXPECT_EQ(canvas.image(), nullptr);
}

}  // namespace
}  // namespace vm

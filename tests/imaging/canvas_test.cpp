#include <gtest/gtest.h>

#include <vector>

#include "imaging/canvas.h"
#include "imaging/image_saving.h"
#include "imaging/layered_picture.h"
#include "support/test_pictures.h"

namespace vm {
namespace {

using test::patternPicture;
using test::plainPicture;

TEST(Canvas, OutsideTheDrawingAreaReadsMinusOneAndIgnoresWrites) {
    Canvas canvas;
    EXPECT_EQ(canvas.Point(0, 0), -1);  // no picture at all
    canvas.PSet(0, 0, 5);
    EXPECT_EQ(canvas.changedPoints(), 0u);

    canvas.setPicture(plainPicture(1, 1, makeColour(200, 120, 40)));
    EXPECT_EQ(canvas.Point(0, 0), makeColour(200, 120, 40));
    for (auto [x, y] : {std::pair{1, 0}, {0, 1}, {-1, 0}, {0, -1}}) {
        EXPECT_EQ(canvas.Point(x, y), -1);
        canvas.PSet(x, y, 0);
    }
    EXPECT_EQ(canvas.changedPoints(), 0u);
    EXPECT_EQ(canvas.width(), 1);
}

TEST(Canvas, PointReturnsExactlyTheBitsWritten) {
    Canvas canvas;
    canvas.setPicture(plainPicture(4, 3, 0));
    canvas.PSet(3, 2, makeColour(255, 255, 255));
    EXPECT_EQ(canvas.Point(3, 2), 16777215);
    canvas.PSet(0, 0, makeColour(1, 2, 3));
    EXPECT_EQ(canvas.Point(0, 0), 1 + 256 * 2 + 65536 * 3);
    canvas.PSet(1, 1, static_cast<Colour>(0xFF123456u));  // bits above 23 are dropped
    EXPECT_EQ(canvas.Point(1, 1), 0x123456);
}

TEST(Canvas, ImageShowsChangesWhilePictureStaysAsOpenedUntilCommit) {
    Canvas canvas;
    const PictureRef opened = patternPicture(5, 5);
    canvas.setPicture(opened);
    const Colour before = opened->colourAt(2, 2);
    canvas.PSet(2, 2, before ^ 1);
    EXPECT_EQ(canvas.Picture(), opened);
    EXPECT_EQ(canvas.Picture()->colourAt(2, 2), before);
    EXPECT_EQ(canvas.Image()->colourAt(2, 2), before ^ 1);

    CommitCanvas(canvas);
    EXPECT_NE(canvas.Picture(), opened);
    EXPECT_EQ(canvas.Picture()->colourAt(2, 2), before ^ 1);
    EXPECT_EQ(opened->colourAt(2, 2), before);  // what a preview shows is untouched
    EXPECT_EQ(canvas.changedPoints(), 0u);
    EXPECT_EQ(canvas.Point(2, 2), before ^ 1);
}

TEST(Canvas, RepeatedCommitsStayOneLayerDeepAndLastWriteWins) {
    Canvas canvas;
    const PictureRef opened = patternPicture(6, 4);
    canvas.setPicture(opened);
    for (int round = 0; round < 5; ++round) {
        canvas.PSet(1, 1, round);
        canvas.PSet(round, 3, 1000 + round);
        CommitCanvas(canvas);
    }
    const auto* layered = dynamic_cast<const LayeredPicture*>(canvas.Picture().get());
    ASSERT_NE(layered, nullptr);
    EXPECT_EQ(layered->base(), opened);
    EXPECT_EQ(layered->changedPoints(), 6u);
    EXPECT_EQ(canvas.Point(1, 1), 4);

    // Rows read for saving carry the changes too, in blue-green-red order.
    std::vector<std::uint8_t> row(std::size_t{6} * 3);
    ASSERT_TRUE(canvas.Picture()->readRowBgr(3, row.data()));
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
    canvas.PSet(0, 0, 7);
    canvas.setPicture(plainPicture(3, 3, 9));
    EXPECT_EQ(canvas.Point(0, 0), 9);
    canvas.setPicture(nullptr);
    EXPECT_EQ(canvas.Point(0, 0), -1);
    EXPECT_EQ(canvas.Image(), nullptr);
}

}  // namespace
}  // namespace vm

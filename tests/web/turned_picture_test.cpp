#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "support/test_pictures.h"
#include "web/turned_picture.h"

namespace vm::web {
namespace {

// The stored picture is 3 x 2 points, named A B C over D E F. Each row is how a
// viewer shows it for one EXIF orientation: its rows, top first, by stored name.
struct Orientation {
    const char* name;
    Turn turn;
    std::vector<std::string> shown;
};

const Orientation kOrientations[] = {
    {"Exif1Upright", {0, false}, {"ABC", "DEF"}},
    {"Exif2Mirrored", {0, true}, {"CBA", "FED"}},
    {"Exif3HalfTurn", {180, false}, {"FED", "CBA"}},
    {"Exif4UpsideDown", {180, true}, {"DEF", "ABC"}},
    {"Exif5Transposed", {90, true}, {"AD", "BE", "CF"}},
    {"Exif6QuarterClockwise", {90, false}, {"DA", "EB", "FC"}},
    {"Exif7Transversed", {270, true}, {"FC", "EB", "DA"}},
    {"Exif8QuarterAnticlockwise", {270, false}, {"CF", "BE", "AD"}},
};

void PrintTo(const Orientation& row, std::ostream* out) {
    *out << row.name;
}

class TurnedPictureShows : public ::testing::TestWithParam<Orientation> {};

TEST_P(TurnedPictureShows, EveryPointWhereAViewerShowsIt) {
    const Orientation& row = GetParam();
    const PictureRef stored = test::patternPicture(3, 2);
    const auto storedColour = [&](char name) {
        const int at = name - 'A';
        return stored->colourAt(at % 3, at / 3);
    };
    const TurnedPicture turned(stored, row.turn);
    ASSERT_EQ(turned.height(), static_cast<std::int32_t>(row.shown.size()));
    ASSERT_EQ(turned.width(), static_cast<std::int32_t>(row.shown[0].size()));
    for (std::int32_t y = 0; y < turned.height(); ++y) {
        std::vector<std::uint8_t> bgr(3 * static_cast<std::size_t>(turned.width()));
        ASSERT_TRUE(turned.readRowBgr(y, bgr.data()));
        for (std::int32_t x = 0; x < turned.width(); ++x) {
            const Colour want =
                storedColour(row.shown[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]);
            EXPECT_EQ(turned.colourAt(x, y), want) << x << "," << y;
            std::uint8_t wantBgr[3];
            putBgr(want, wantBgr);
            EXPECT_TRUE(std::equal(wantBgr, wantBgr + 3, bgr.begin() + std::ptrdiff_t{3} * x))
                << "row " << y << ", " << x;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Exif, TurnedPictureShows, ::testing::ValuesIn(kOrientations),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace vm::web

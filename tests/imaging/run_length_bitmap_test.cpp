#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "imaging/bitmap_writer.h"
#include "support/test_pictures.h"

namespace vm {
namespace {

using test::TempDir;
using test::writeFile;

constexpr std::array<Colour, 4> kPalette = {makeColour(10, 20, 30), makeColour(255, 0, 0),
                                            makeColour(0, 255, 0), makeColour(0, 0, 255)};

std::string le32(std::uint32_t v) {
    std::string s;
    for (int k = 0; k < 4; ++k) s += static_cast<char>((v >> (8 * k)) & 0xFF);
    return s;
}
std::string le16(std::uint16_t v) {
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

// A run-length coded bitmap with the four colours above and the given stream.
std::string runLengthFile(std::int32_t width, std::int32_t height, std::uint16_t bits,
                          const std::vector<std::uint8_t>& stream) {
    std::string palette;
    for (Colour c : kPalette) {
        const auto u = static_cast<std::uint32_t>(c);
        palette +=
            {static_cast<char>(u >> 16), static_cast<char>(u >> 8), static_cast<char>(u), '\0'};
    }
    const std::uint32_t offset = 14 + 40 + static_cast<std::uint32_t>(palette.size());
    std::string file =
        "BM" + le32(offset + static_cast<std::uint32_t>(stream.size())) + le32(0) + le32(offset);
    file += le32(40) + le32(static_cast<std::uint32_t>(width)) +
            le32(static_cast<std::uint32_t>(height)) + le16(1) + le16(bits) +
            le32(bits == 8 ? 1 : 2) + le32(static_cast<std::uint32_t>(stream.size())) + le32(2835) +
            le32(2835) + le32(kPalette.size()) + le32(0);
    return file + palette + std::string(stream.begin(), stream.end());
}

// Opens the file and gives its points as palette indexes, top row first; -1 for a
// colour not in the palette.
std::vector<std::vector<int>> indexesOf(const std::string& bytes) {
    TempDir dir;
    const std::string path = dir.file("coded.bmp");
    writeFile(path, bytes);
    const Result<PictureRef> load = test::openPicture(path);
    EXPECT_TRUE(load) << load.error();
    if (!load) return {};
    std::vector<std::vector<int>> rows;
    for (std::int32_t y = 0; y < (*load)->height(); ++y) {
        rows.emplace_back();
        for (std::int32_t x = 0; x < (*load)->width(); ++x) {
            int index = -1;
            for (std::size_t k = 0; k < kPalette.size(); ++k)
                if (kPalette[k] == (*load)->colourAt(x, y)) index = static_cast<int>(k);
            rows.back().push_back(index);
        }
    }
    return rows;
}

std::string refusal(const std::string& bytes) {
    TempDir dir;
    const std::string path = dir.file("coded.bmp");
    writeFile(path, bytes);
    const Result<PictureRef> load = test::openPicture(path);
    EXPECT_FALSE(load);
    return load.error();
}

using Rows = std::vector<std::vector<int>>;

TEST(RunLengthBitmap, PointsTheStreamNeverReachesTakeTheFirstColour) {
    // Bottom row: a run of three, a run of four of which two fall outside the picture.
    // Middle row: a jump two points right, three points given one by one (padded to
    // an even length), then the row ends early. The picture then ends early.
    const std::vector<std::uint8_t> stream = {3, 1, 4, 2, 0, 0,              // bottom row
                                              0, 2, 2, 0, 0, 3, 1, 2, 3, 0,  // middle row
                                              0, 0, 0, 1};
    const Rows expected = {{0, 0, 0, 0, 0, 0}, {0, 0, 1, 2, 3, 0}, {1, 1, 1, 2, 2, 2}};
    EXPECT_EQ(indexesOf(runLengthFile(6, 3, 8, stream)), expected);
    // Opening it again gives the same points, not whatever memory held.
    EXPECT_EQ(indexesOf(runLengthFile(6, 3, 8, stream)), expected);
}

TEST(RunLengthBitmap, FourBitRunsAlternateHalvesAndLiteralsArePadded) {
    // Bottom row: five points alternating 1 and 2. Top row: five points given one by
    // one in three bytes and a pad byte, then a run of two 3s.
    const std::vector<std::uint8_t> stream = {5, 0x12, 0,    0,                       //
                                              0, 5,    0x31, 0x23, 0x10, 0, 2, 0x33,  //
                                              0, 1};
    const Rows expected = {{3, 1, 2, 3, 1, 3, 3}, {1, 2, 1, 2, 1, 0, 0}};
    EXPECT_EQ(indexesOf(runLengthFile(7, 2, 4, stream)), expected);
}

TEST(RunLengthBitmap, AJumpUpLeavesTheRowsBetweenInTheFirstColour) {
    const std::vector<std::uint8_t> stream = {2, 3, 0, 2, 0, 2, 1, 1, 0, 1};
    const Rows expected = {{0, 0, 1}, {0, 0, 0}, {3, 3, 0}};
    EXPECT_EQ(indexesOf(runLengthFile(3, 3, 8, stream)), expected);
}

TEST(RunLengthBitmap, AStreamThatRunsOutIsRefusedUnlessEveryRowWasReached) {
    // No end mark, but the last row is ended: complete.
    EXPECT_EQ(indexesOf(runLengthFile(2, 2, 8, {2, 1, 0, 0, 2, 2, 0, 0})), (Rows{{2, 2}, {1, 1}}));
    // Runs out in the second row, inside a jump, inside a literal.
    for (const auto& stream : std::vector<std::vector<std::uint8_t>>{
             {2, 1, 0, 0, 2, 2}, {2, 1, 0, 0, 0, 2, 1}, {2, 1, 0, 0, 0, 3, 1, 2}, {}})
        EXPECT_NE(refusal(runLengthFile(2, 2, 8, stream)).find("the file ends too early"),
                  std::string::npos);
}

TEST(RunLengthBitmap, HeadersThatMakeNoSenseAreRefusedAsDamaged) {
    std::string eightCodedAsFour = runLengthFile(2, 1, 4, {2, 1, 0, 1});
    eightCodedAsFour[30] = 1;  // the 8-bit coding on a 4-bit picture
    std::string tooManyColours = runLengthFile(2, 1, 8, {2, 1, 0, 1});
    tooManyColours[47] = 1;  // 260 colours
    std::string noWidth = runLengthFile(2, 1, 8, {2, 1, 0, 1});
    noWidth[18] = 0;
    const std::string cutInPalette = runLengthFile(2, 1, 8, {}).substr(0, 14 + 40 + 6);
    for (const std::string& file : {eightCodedAsFour, tooManyColours, noWidth, cutInPalette})
        EXPECT_NE(refusal(file).find("is damaged or incomplete"), std::string::npos);
}

}  // namespace
}  // namespace vm

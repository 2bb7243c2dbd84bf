#pragma once
// Names and units kept from the runtime whose behaviour Veilmark reproduces,
// gathered here: the program was checked against that runtime line by line, so
// its message-box codes, layout unit and picture-size unit keep their names.
//
// Also from there, and left where they are: Picture::himetricWidth and
// himetricHeight, which use himetricFromPoints below.
// NOLINTBEGIN(readability-identifier-naming): these are the runtime's spellings.

#include <algorithm>
#include <cstdint>

namespace vm {

// The title a message box bears when the caller gives none.
inline constexpr const char* kAppTitle = "Steganography";

// A message box's buttons and icon.
enum MsgBoxCode : int {
    vbOKOnly = 0,    // one OK button, no icon
    vbCritical = 16  // one OK button, the critical stop icon
};

// Window layouts are given in twips, 15 to a pixel at 96 dpi (rounded).
constexpr int twips(int value) {
    return (value + 7) / 15;
}

// A picture's size in HIMETRIC, hundredths of a millimetre at 96 points an inch,
// rounded. Past 81 million points that exceeds 32 bits; it then stays at the
// largest value, which is still more than the points, so the working area is the
// points as for any other picture (and opening a tall picture does not fail).
constexpr std::int32_t himetricFromPoints(std::int32_t points) {
    const std::int64_t himetric = (static_cast<std::int64_t>(points) * 2540 + 48) / 96;
    return static_cast<std::int32_t>(std::min<std::int64_t>(himetric, INT32_MAX));
}

}  // namespace vm

// NOLINTEND(readability-identifier-naming)

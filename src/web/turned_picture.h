#pragma once
// A picture shown turned and perhaps mirrored, as a browser's decoder reports a
// stored picture's EXIF orientation: first turned clockwise by a number of degrees
// (0, 90, 180 or 270), then mirrored left to right. The points stay where the
// decoder put them; reading one finds it in the stored picture.

#include <cstdint>
#include <memory>

#include "imaging/picture.h"

namespace vm::web {

struct Turn {
    std::int32_t degrees = 0;  // clockwise: 0, 90, 180 or 270
    bool mirrored = false;     // after turning
    bool upright() const { return degrees == 0 && !mirrored; }
    // Whether these values are a turn this class can make.
    bool valid() const { return degrees == 0 || degrees == 90 || degrees == 180 || degrees == 270; }
};

class TurnedPicture : public Picture {
  public:
    TurnedPicture(PictureRef stored, Turn turn);

    Colour colourAt(std::int32_t x, std::int32_t y) const override;
    Result<void> readRowBgr(std::int32_t y, std::uint8_t* out) const override;

  private:
    struct Point {
        std::int32_t x;
        std::int32_t y;
    };
    // Where the point (x, y) of the turned picture lies in the stored one.
    Point storedPoint(std::int32_t x, std::int32_t y) const;
    // Row y of a picture turned sideways, from the stored rows held in memory.
    void readHeldColumn(std::int32_t y, std::uint8_t* out) const;

    PictureRef m_stored;
    Turn m_turn;
    // Turned sideways, each row runs down a column of the stored picture, and making
    // the stored points one at a time costs several times what making their rows
    // costs. So while a save reads the rows, the stored rows are held as
    // blue-green-red triples, made once, and let go when as many rows as the
    // picture has have been read. Where memory is short, points are made one by one.
    mutable std::unique_ptr<std::uint8_t[]> m_heldRows;
    mutable std::int32_t m_rowsRead = 0;
};

}  // namespace vm::web

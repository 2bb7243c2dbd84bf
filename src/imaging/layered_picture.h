#pragma once
// A picture made of another picture with a few points changed. Committing a
// canvas after a hide changes at most a few thousand points, so the picture as
// opened is shared rather than copied.

#include <vector>

#include "imaging/picture.h"

namespace vm {

class LayeredPicture : public Picture {
  public:
    // changes: any order; a later entry for the same point wins. If base is itself
    // layered, the layers are merged so that chains never grow.
    LayeredPicture(PictureRef base, std::vector<ChangedPoint> changes);

    Colour colourAt(std::int32_t x, std::int32_t y) const override;
    Result<void> readRowBgr(std::int32_t y, std::uint8_t* out) const override;

    const BitmapFilePicture* bitmapFile() const override { return m_base->bitmapFile(); }
    std::span<const ChangedPoint> changes() const override { return m_changes; }
    PictureRef underChanges() const override { return m_base; }

    const PictureRef& base() const { return m_base; }
    std::size_t changedPoints() const { return m_changes.size(); }

  private:
    PictureRef m_base;
    std::vector<ChangedPoint> m_changes;  // sorted by (y, x), one entry per point
};

}  // namespace vm

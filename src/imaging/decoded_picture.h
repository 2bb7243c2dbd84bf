#pragma once
// A picture decoded into memory, 32 bits a point (0xffRRGGBB), the form Qt's
// decoders produce for most files, so no second copy is made on the way in.

#include <QImage>

#include "imaging/picture.h"

namespace vm {

class DecodedPicture : public Picture {
  public:
    // image must be in QImage::Format_RGB32.
    explicit DecodedPicture(QImage image);

    Colour colourAt(std::int32_t x, std::int32_t y) const override;
    Result<void> readRowBgr(std::int32_t y, std::uint8_t* out) const override;
    const std::uint32_t* pointsInMemory() const override;
    const QImage& image() const { return m_image; }

  private:
    QImage m_image;
};

// The picture as a QImage for display; a null image for none.
QImage toQImage(const PictureRef& picture);

}  // namespace vm

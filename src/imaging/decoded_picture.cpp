#include "imaging/decoded_picture.h"

#include <vector>

namespace vm {

DecodedPicture::DecodedPicture(QImage image)
    : Picture(image.width(), image.height()), m_image(std::move(image)) {}

Colour DecodedPicture::colourAt(std::int32_t x, std::int32_t y) const {
    const auto* row = reinterpret_cast<const QRgb*>(m_image.constScanLine(y));
    const QRgb p = row[x];
    return makeColour(static_cast<unsigned>(qRed(p)), static_cast<unsigned>(qGreen(p)),
                      static_cast<unsigned>(qBlue(p)));
}

Result<void> DecodedPicture::readRowBgr(std::int32_t y, std::uint8_t* out) const {
    const auto* row = reinterpret_cast<const QRgb*>(m_image.constScanLine(y));
    for (std::int32_t x = 0; x < width(); ++x) {
        const QRgb p = row[x];
        *out++ = static_cast<std::uint8_t>(qBlue(p));
        *out++ = static_cast<std::uint8_t>(qGreen(p));
        *out++ = static_cast<std::uint8_t>(qRed(p));
    }
    return {};
}

const std::uint32_t* DecodedPicture::pointsInMemory() const {
    // Rows of a 32-bit image are always width points apart.
    return reinterpret_cast<const std::uint32_t*>(m_image.constBits());
}

QImage toQImage(const PictureRef& picture) {
    if (!picture) return {};
    if (const std::uint32_t* points = picture->pointsInMemory()) {
        // Shown where they lie; the image keeps the picture alive while it is used.
        auto* keep = new PictureRef(picture);
        return QImage(
            reinterpret_cast<const uchar*>(points), picture->width(), picture->height(),
            qsizetype{picture->width()} * 4, QImage::Format_RGB32,
            [](void* held) { delete static_cast<PictureRef*>(held); }, keep);
    }
    QImage image(picture->width(), picture->height(), QImage::Format_RGB888);
    if (image.isNull()) return {};
    std::vector<std::uint8_t> row(static_cast<std::size_t>(picture->width()) * 3);
    for (std::int32_t y = 0; y < picture->height(); ++y) {
        if (!picture->readRowBgr(y, row.data())) return {};
        auto* dst = image.scanLine(y);
        for (std::size_t i = 0; i < row.size(); i += 3) {
            dst[i] = row[i + 2];
            dst[i + 1] = row[i + 1];
            dst[i + 2] = row[i];
        }
    }
    return image;
}

}  // namespace vm

#pragma once
// A photograph's worth of random colours held in memory: the picture the engine's
// benchmarks hide in and read from.

#include <QImage>

#include <memory>
#include <random>

#include "imaging/decoded_picture.h"

namespace vm {

inline PictureRef randomPhoto(int width, int height, unsigned seed) {
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 rng(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) row[x] = 0xFF000000u | (rng() & 0xFFFFFFu);
    }
    return std::make_shared<DecodedPicture>(std::move(image));
}

}  // namespace vm

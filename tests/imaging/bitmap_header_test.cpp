// The header parser against the decoder it guards: over every header size, depth
// and compression a bitmap can have, the parser accepts exactly what the decoder
// reads, with the sizes and row layout the decoder uses, and names the valid
// variants the decoder refuses.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImageReader>

#include <string>

#include "imaging/bitmap_header.h"

namespace vm {
namespace {

std::string le(std::uint32_t v, int bytes) {
    std::string s;
    for (int k = 0; k < bytes; ++k) s += static_cast<char>((v >> (8 * k)) & 0xFF);
    return s;
}

// A 3 x 2 bitmap with the given headers; its rows all colour 0, or for run-length
// coding two ended rows.
std::string bitmapFile(std::uint32_t infoSize, std::uint32_t bits, std::uint32_t compression) {
    const std::uint32_t width = 3, height = 2, entry = infoSize == 12 ? 3 : 4;
    const std::uint32_t colours = bits <= 8 && bits > 0 ? 1u << bits : 0;
    const std::uint32_t masks = compression == 3 && infoSize == 40 ? 12 : 0;
    const std::uint32_t offset = 14 + infoSize + colours * entry + masks;
    const std::string rows =
        compression == 1 || compression == 2
            ? std::string("\0\0\0\0\0\1", 6)
            : std::string(std::size_t{(width * bits + 31) / 32} * 4 * height, '\0');
    std::string info = le(infoSize, 4);
    if (infoSize == 12) {
        info += le(width, 2) + le(height, 2) + le(1, 2) + le(bits, 2);
    } else {
        info += le(width, 4) + le(height, 4) + le(1, 2) + le(bits, 2) + le(compression, 4) +
                le(static_cast<std::uint32_t>(rows.size()), 4) + le(2835, 4) + le(2835, 4) +
                le(0, 4) + le(0, 4);
        const std::uint32_t red = bits == 16 ? 0xF800 : 0xFF0000,
                            green = bits == 16 ? 0x7E0 : 0xFF00, blue = bits == 16 ? 0x1F : 0xFF;
        if (infoSize > 40) info += le(red, 4) + le(green, 4) + le(blue, 4);
        info.resize(infoSize, '\0');
    }
    std::string file = "BM" + le(offset + static_cast<std::uint32_t>(rows.size()), 4) + le(0, 4) +
                       le(offset, 4) + info;
    for (std::uint32_t c = 0; c < colours; ++c) file += std::string(entry, static_cast<char>(c));
    if (masks != 0)
        file += le(bits == 16 ? 0xF800 : 0xFF0000, 4) + le(bits == 16 ? 0x7E0 : 0xFF00, 4) +
                le(bits == 16 ? 0x1F : 0xFF, 4);
    return file + rows;
}

bool decoderReads(const std::string& file) {
    QByteArray bytes(file.data(), static_cast<qsizetype>(file.size()));
    QBuffer device(&bytes);
    device.open(QIODevice::ReadOnly);
    QImageReader reader(&device, "bmp");
    return !reader.read().isNull();
}

TEST(BitmapHeader, AcceptsWhatTheDecoderReadsAndNamesTheValidVariantsItDoesNot) {
    for (std::uint32_t infoSize : {12u, 40u, 52u, 56u, 64u, 108u, 124u})
        for (std::uint32_t bits : {0u, 1u, 2u, 4u, 8u, 16u, 24u, 32u, 64u})
            for (std::uint32_t compression : {0u, 1u, 2u, 3u, 4u, 5u}) {
                if (infoSize == 12 && compression != 0) continue;  // no such field
                SCOPED_TRACE(::testing::Message() << infoSize << "-byte header, " << bits
                                                  << " bits, compression " << compression);
                const std::string file = bitmapFile(infoSize, bits, compression);
                const auto* bytes = reinterpret_cast<const std::uint8_t*>(file.data());
                const Result<BitmapHeader> header = parseBitmapHeader(bytes, file.size());
                EXPECT_EQ(static_cast<bool>(header), decoderReads(file)) << header.error();
                if (header) {
                    EXPECT_EQ(header->width, 3u);
                    EXPECT_EQ(header->height, 2u);
                    EXPECT_TRUE(header->bottomUp);
                    EXPECT_EQ(header->rowStride, (3 * bits + 31) / 32 * 4);
                    if (!header->runLength()) {
                        EXPECT_EQ(header->rowsStart() + header->rowStride * 2, file.size());
                    }
                } else {
                    EXPECT_NE(header.kind(), kNotABitmap);
                }
            }
}

TEST(BitmapHeader, NamesEachUnsupportedVariant) {
    struct Row {
        std::uint32_t infoSize, bits, compression;
        const char* named;  // nullptr: damaged, not a variant
    };
    for (const Row& row :
         {Row{12, 2, 0, "2 bits a point"}, Row{124, 64, 0, "64 bits a point"},
          Row{40, 0, 4, "JPEG"}, Row{108, 0, 5, "PNG"}, Row{52, 24, 0, "52-byte header"},
          Row{56, 32, 3, "56-byte header"}, Row{64, 1, 3, "Huffman"}, Row{64, 24, 4, "run-length"},
          Row{40, 7, 0, nullptr}, Row{40, 24, 1, nullptr}, Row{40, 24, 9, nullptr}}) {
        const std::string file = bitmapFile(row.infoSize, row.bits, row.compression);
        const Result<BitmapHeader> header =
            parseBitmapHeader(reinterpret_cast<const std::uint8_t*>(file.data()), file.size());
        ASSERT_FALSE(header) << row.infoSize << "/" << row.bits << "/" << row.compression;
        EXPECT_EQ(header.kind(), row.named ? kUnsupportedBitmap : kDamagedBitmap) << header.error();
        if (row.named) {
            EXPECT_NE(header.error().find(row.named), std::string::npos) << header.error();
        }
    }
}

}  // namespace
}  // namespace vm

#include "imaging/picture_signatures.h"

#include <cstring>
#include <string_view>

namespace vm {

namespace {

bool startsWith(const std::uint8_t* bytes, std::size_t size, std::string_view signature) {
    return size >= signature.size() && std::memcmp(bytes, signature.data(), signature.size()) == 0;
}

// TGA has no signature: its reader checks the colour map and image types and the depth.
bool mayBeTga(const std::uint8_t* b, std::size_t size) {
    if (size < 18 || b[1] > 1) return false;
    const bool knownType =
        b[2] == 1 || b[2] == 2 || b[2] == 3 || b[2] == 9 || b[2] == 10 || b[2] == 11;
    const bool knownDepth = b[16] == 8 || b[16] == 15 || b[16] == 16 || b[16] == 24 || b[16] == 32;
    return knownType && knownDepth;
}

// WBMP: type 0, header 0, then a width and a height that are not 0.
bool mayBeWbmp(const std::uint8_t* b, std::size_t size) {
    return size >= 4 && b[0] == 0 && b[1] == 0 && b[2] != 0 && b[2] != 0x80;
}

}  // namespace

bool mayBePicture(const std::uint8_t* bytes, std::size_t size) {
    using namespace std::string_view_literals;
    static constexpr std::string_view kSignatures[] = {
        "BM"sv,                 // bitmap
        "GIF8"sv,               // GIF
        "\xff\xd8\xff"sv,       // JPEG
        "\x89PNG\r\n\x1a\n"sv,  // PNG
        "\x8aMNG"sv,
        "\x8bJNG"sv,  // MNG, JNG
        "RIFF"sv,     // WebP (RIFF....WEBP)
        "II*"sv,
        "MM\0*"sv,     // TIFF
        "\0\0\1\0"sv,  // icon
        "\0\0\2\0"sv,  // cursor
        "icns"sv,      // Apple icon
        "P1"sv,
        "P2"sv,
        "P3"sv,
        "P4"sv,
        "P5"sv,
        "P6"sv,  // portable bitmap, grey and pixel maps
        "/* XPM */"sv,
        "#define"sv,  // X pixmap, X bitmap
    };
    for (std::string_view signature : kSignatures)
        if (startsWith(bytes, size, signature)) return true;
    return mayBeTga(bytes, size) || mayBeWbmp(bytes, size);
}

}  // namespace vm

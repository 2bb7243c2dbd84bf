#include "support/test_pictures.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "imaging/decoded_picture.h"
#include "imaging/qt_picture_decoder.h"

namespace vm::test {

QImage patternImage(int width, int height, int salt) {
    QImage image(width, height, QImage::Format_RGB32);
    std::mt19937 rng(static_cast<unsigned>(width * 7919 + height * 31 + salt));
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) row[x] = 0xFF000000u | (rng() & 0xFFFFFFu);
    }
    return image;
}

PictureRef patternPicture(int width, int height, int salt) {
    return std::make_shared<DecodedPicture>(patternImage(width, height, salt));
}

PictureRef plainPicture(int width, int height, Colour colour) {
    QImage image(width, height, QImage::Format_RGB32);
    const auto c = static_cast<std::uint32_t>(colour);
    image.fill(qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                    static_cast<int>((c >> 16) & 0xFF)));
    return std::make_shared<DecodedPicture>(std::move(image));
}

QImage paletteImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int i = (x * 7 + y * 13) % 256;
            image.setPixel(x, y, qRgb(i, 255 - i, (i * 37) % 256));
        }
    return image;
}

bool writeGif(const QImage& image, const std::string& path) {
    std::vector<QRgb> palette;
    std::vector<std::uint8_t> indices;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y) | 0xFF000000u;
            auto it = std::find(palette.begin(), palette.end(), c);
            if (it == palette.end()) {
                if (palette.size() == 256) return false;
                it = palette.insert(palette.end(), c);
            }
            indices.push_back(static_cast<std::uint8_t>(it - palette.begin()));
        }
    palette.resize(256, 0xFF000000u);
    std::string out = "GIF89a";
    auto le16 = [&](int v) {
        out.push_back(static_cast<char>(v & 0xFF));
        out.push_back(static_cast<char>(v >> 8));
    };
    le16(image.width());
    le16(image.height());
    out += std::string("\xF7\x00\x00", 3);  // global 256-entry palette
    for (QRgb c : palette) {
        out.push_back(static_cast<char>(qRed(c)));
        out.push_back(static_cast<char>(qGreen(c)));
        out.push_back(static_cast<char>(qBlue(c)));
    }
    out.push_back(',');
    le16(0);
    le16(0);
    le16(image.width());
    le16(image.height());
    out.push_back('\0');
    out.push_back('\x08');  // minimum code size
    // Literal 9-bit codes only, with a clear code often enough that the code width never grows.
    std::string data;
    std::uint32_t bits = 0;
    int count = 0;
    auto emit = [&](std::uint32_t code) {
        bits |= code << count;
        count += 9;
        while (count >= 8) {
            data.push_back(static_cast<char>(bits & 0xFF));
            bits >>= 8;
            count -= 8;
        }
    };
    emit(256);
    for (std::size_t i = 0; i < indices.size(); ++i) {
        if (i > 0 && i % 250 == 0) emit(256);
        emit(indices[i]);
    }
    emit(257);
    if (count > 0) data.push_back(static_cast<char>(bits & 0xFF));
    for (std::size_t i = 0; i < data.size(); i += 255) {
        const std::string block = data.substr(i, 255);
        out.push_back(static_cast<char>(block.size()));
        out += block;
    }
    out.push_back('\0');
    out.push_back(';');
    writeFile(path, out);
    return true;
}

TempDir::TempDir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "veilmark-test-XXXXXX").string();
    m_path = ::mkdtemp(tmpl.data());
}

TempDir::~TempDir() {
    std::error_code ec;
    // Make read-only folders left by permission tests removable again.
    for (auto& entry : std::filesystem::recursive_directory_iterator(m_path, ec))
        std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

Result<PictureRef> loadPicture(const std::string& path) {
    QtPictureDecoder decoder;
    return decodePictureFile(path, decoder);
}

Result<PictureRef> openPicture(const std::string& path) {
    QtPictureDecoder decoder;
    return openPictureFile(path, decoder);
}

}  // namespace vm::test

#include "support/test_pictures.h"

#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "imaging/decoded_picture.h"

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

}  // namespace vm::test

#pragma once
// Pictures and folders for tests.

#include <QImage>

#include <filesystem>
#include <string>

#include "imaging/picture.h"
#include "platform/result.h"

namespace vm::test {

// A picture whose every point has a distinct, reproducible colour.
QImage patternImage(int width, int height, int salt = 0);
PictureRef patternPicture(int width, int height, int salt = 0);
// A picture of one colour everywhere.
PictureRef plainPicture(int width, int height, Colour colour);

// Writes a GIF of the picture with a 256-colour palette made of its own first
// colours (the picture must have no more); Qt reads GIFs but cannot write them.
bool writeGif(const QImage& image, const std::string& path);
// A picture of 256 distinct colours at most, so that a GIF keeps it exactly.
QImage paletteImage(int width, int height);

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    std::string file(const std::string& name) const { return (m_path / name).string(); }
    const std::filesystem::path& path() const { return m_path; }

  private:
    std::filesystem::path m_path;
};

// A picture file opened with the toolkit's decoders as the windows open it
// (decoded whole), or as the command line does (a plain bitmap read in place).
Result<PictureRef> loadPicture(const std::string& path);
Result<PictureRef> openPicture(const std::string& path);

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);

}  // namespace vm::test

#pragma once
// Opening a picture on a tab, the one way the window, the page and veilmark-cli do
// it, in two steps: the picture is read whole first, touching nothing (the window
// reads on another thread meanwhile), then placed: the tab's canvas takes it, its
// preview shows it, and the working area becomes its size with the
// picture-opened flag up. A picture that cannot be read changes nothing; the
// failure, which names the file (or says why veilmark-cli's decoders could not be
// loaded), comes back to be said.

#include <string>

#include "imaging/canvas.h"
#include "imaging/picture_reader.h"
#include "imaging/working_area.h"
#include "platform/result.h"

namespace vm {

inline constexpr const char* kOpenTitle = "Veilmark - Open Image";
inline constexpr const char* kOpenFilter =
    "Bitmap (*.bmp)|*.bmp|GIF (*.gif)|*.gif|JPG (*.jpg)|*.jpg|All Files (*.*)|*.*";

class OpenFlow {
  public:
    // How a named file is read: decoded whole into memory (the window, whose preview
    // shows all of it), or a plain 24-bit bitmap read in place and anything else
    // decoded (veilmark-cli, which reads a few thousand of its points).
    enum class Reading { Whole, BitmapInPlace };

    // The tab's canvas and, where the front end shows one, its preview; the working
    // area both tabs share.
    OpenFlow(Canvas& canvas, WorkingArea& area, PictureRef* preview = nullptr)
        : m_canvas(canvas), m_area(area), m_preview(preview) {}

    // 1. The picture in the named file, or why not.
    static Result<PictureRef> read(const std::string& path, PictureDecoder& decoder, Reading how);
    // 2. Places what step 1 gave, or what the page made from bytes it was given; a
    //    failure changes nothing and is passed on.
    Result<void> open(Result<PictureRef> read);
    //    Places a picture that is there for sure.
    void place(PictureRef picture);

    // Both steps for a named file.
    Result<void> openFile(const std::string& path, PictureDecoder& decoder, Reading how) {
        return open(read(path, decoder, how));
    }

  private:
    Canvas& m_canvas;
    WorkingArea& m_area;
    PictureRef* m_preview;
};

}  // namespace vm

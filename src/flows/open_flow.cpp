#include "flows/open_flow.h"

namespace vm {

Result<PictureRef> OpenFlow::read(const std::string& path, PictureDecoder& decoder, Reading how) {
    return how == Reading::Whole ? decodePictureFile(path, decoder)
                                 : openPictureFile(path, decoder);
}

Result<void> OpenFlow::open(Result<PictureRef> read) {
    if (!read) return read.why();
    place(read.take());
    return {};
}

void OpenFlow::place(PictureRef picture) {
    placeOpenedPicture(std::move(picture), m_canvas, m_area);
    if (m_preview) *m_preview = m_canvas.picture();
}

}  // namespace vm

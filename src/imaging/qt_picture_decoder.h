#pragma once
// The toolkit's image decoders behind PictureDecoder, with the guards they need:
// sizes are checked against the memory a decoder would take before it starts,
// bitmaps the decoder would misread are refused or rewritten first, and every
// picture comes out as DecodedPicture.

#include "imaging/picture_reader.h"

namespace vm {

class QtPictureDecoder : public PictureDecoder {
  public:
    Result<PictureRef> decode(const PictureInputRef& input) override;
};

}  // namespace vm

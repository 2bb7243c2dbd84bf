#pragma once
// Saving a picture: the one way the windows and veilmark-cli write one. The picture
// is written complete as a 24-bit bitmap, read back from what was written and
// checked (where the caller gives a check: a hide's message must read back), and
// only then committed: put in the target file's place (see FileReplacement), or
// handed over as bytes for a target that is not a file (standard output, a
// browser's download).

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "imaging/bitmap_writer.h"
#include "imaging/picture.h"
#include "platform/file_replacement.h"
#include "platform/result.h"

namespace vm {

// Runs on the picture as read back from what was written, before it is committed;
// a failure says why the save cannot be trusted, in words for the user.
using WrittenPictureCheck = std::function<Result<void>(const PictureRef& written)>;

// Writes the picture to path as a bitmap, or says what went wrong; an existing file
// of that name then stays byte for byte as it was (but for a disk error in the
// middle of an in-place rewrite, which the sentence then says: see
// FileReplacement). `faults` are a test's.
Result<void> savePicture(const Picture& picture, const std::string& path,
                         const WrittenPictureCheck& check = {},
                         const ReplacementFaults& faults = {});

// The same bitmap as bytes in memory, read back and checked the same way. `name`
// says where the bytes go, for the sentence of a failure.
Result<std::vector<std::uint8_t>> savePictureToMemory(const Picture& picture,
                                                      const std::string& name,
                                                      const WrittenPictureCheck& check = {});

}  // namespace vm

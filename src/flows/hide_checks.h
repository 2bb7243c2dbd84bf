#pragma once
// What Encrypt checks about the pictures before it asks anything, and the question
// it may ask: the sentences the window and the page say, from one place.

#include <optional>
#include <string>

#include "imaging/canvas.h"
#include "imaging/working_area.h"
#include "platform/result.h"

namespace vm {

// Also what Decrypt says when no picture was opened yet.
inline constexpr const char* kLoadFirst = "Load an image first!";
// The warning before a message is hidden in only part of the Encrypt tab's picture.
inline constexpr const char* kPartOfPictureTitle = "Veilmark - Only part of the picture";

// In this order: a picture opened, one on the Encrypt tab, and a working area that
// fits in it. The refusal to show, or nothing.
Result<void> checkPictures(const Canvas& encrypt, const WorkingArea& area);

// The question to ask (titled kPartOfPictureTitle) when the working area is smaller
// than the Encrypt tab's picture, so that only its top-left part would carry the
// message; nothing when the two are the same size.
std::optional<std::string> partOfPictureQuestion(const Canvas& encrypt, const WorkingArea& area);

}  // namespace vm

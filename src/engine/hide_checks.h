#pragma once
// What Encrypt and Decrypt check before they start, shared by the window's handlers
// and the web page, so that both say the same.

#include <optional>
#include <string>
#include <string_view>

#include "engine/hide_reveal.h"
#include "imaging/canvas.h"
#include "imaging/working_area.h"

namespace vm {

inline constexpr const char* kLoadFirst = "Load an image first!";
// The warning before a message is hidden in only part of the Encrypt tab's picture.
inline constexpr const char* kPartOfPictureTitle = "Veilmark - Only part of the picture";

// What Encrypt checks before it asks where to save, in this order: a picture opened,
// one on the Encrypt tab, a working area that fits in it, and a password and message
// that can be hidden there. The plan, or the refusal to show. The web page asks the same.
Result<HidePlan> planHide(const Canvas& encrypt, const WorkingArea& area,
                          std::u32string_view password, std::u32string_view message);

// The question to ask (titled kPartOfPictureTitle) when the working area is smaller
// than the Encrypt tab's picture, so that only its top-left part would carry the
// message; nothing when the two are the same size.
std::optional<std::string> partOfPictureQuestion(const Canvas& encrypt, const WorkingArea& area);

}  // namespace vm

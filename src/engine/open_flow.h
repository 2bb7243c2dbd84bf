#pragma once
// Opening a picture into a canvas and its preview; the picture opened last, on
// either tab, sets the working area and the picture-opened flag.

#include <string>

#include "engine/file_dialogs.h"
#include "engine/message_box.h"
#include "imaging/canvas.h"
#include "imaging/picture_reader.h"
#include "imaging/working_area.h"
#include "platform/user_messages.h"

namespace vm {

inline constexpr const char* kOpenTitle = "Veilmark - Open Image";
inline constexpr const char* kOpenFilter =
    "Bitmap (*.bmp)|*.bmp|GIF (*.gif)|*.gif|JPG (*.jpg)|*.jpg|All Files (*.*)|*.*";

// Asks for a file and opens it. A cancelled dialog or a file that cannot be opened
// (the user is told why) leaves canvas, preview, area and flag as they were.
void openImage(Canvas& canvas, PictureRef& preview, WorkingArea& area, FileDialogs& dialogs,
               MessageBoxes& boxes, PictureDecoder& decoder);

// Opens a file chosen some other way (dropped on a tab, say), exactly as openImage
// does after its dialog. Returns whether the picture was opened.
bool openImageFile(const std::string& path, Canvas& canvas, PictureRef& preview, WorkingArea& area,
                   MessageBoxes& boxes, PictureDecoder& decoder);

}  // namespace vm

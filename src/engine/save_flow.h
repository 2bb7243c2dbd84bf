#pragma once
// The handlers' save flow: asking where to save, committing the written points
// into the canvas's picture, saving it (see imaging/picture_saving.h) and telling
// the user how it went. Dialogs and message boxes stay here, with the handlers.

#include <string>

#include "engine/file_dialogs.h"
#include "engine/message_box.h"
#include "imaging/canvas.h"
#include "imaging/picture_saving.h"

namespace vm {

inline constexpr const char* kSaveTitle = "Save image";
inline constexpr const char* kSaveFilter =
    "Windows Bitmap (*.bmp)|*.bmp|GIF (*.gif)|*.gif|JPG (*.jpg)|*.jpg";
inline constexpr const char* kSaveOnlyBitmapFilter = "Windows Bitmap (*.bmp)|*.bmp";
inline constexpr const char* kDefaultExt = ".bmp";
inline constexpr const char* kSavedPrompt = "Image saved to ";
inline constexpr const char* kSavedTitle = "Veilmark";

// The chosen path, or the empty text when the user cancels.
std::string chooseSaveFile(FileDialogs& dialogs);

// The canvas's surface, written points included, becomes its picture.
void commitCanvas(Canvas& canvas);

// Writes the canvas's picture to the path as a bitmap and confirms with the file's
// name. The check reads the new file back before it replaces anything. When
// writing fails, or the check finds the file wrong, the user is told why instead
// and an existing file of that name is left byte for byte as it was. Returns
// whether the save was confirmed.
bool saveCanvas(const Canvas& canvas, const std::string& path, MessageBoxes& boxes,
                const WrittenPictureCheck& check = {});

}  // namespace vm

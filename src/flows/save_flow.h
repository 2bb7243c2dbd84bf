#pragma once
// What the window's saves ask and say: the save dialog's texts and the
// confirmation. The saving itself is imaging/picture_saving.h's, behind HideFlow
// for a hide.

#include <string>

#include "flows/file_dialogs.h"

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

}  // namespace vm

#pragma once
// The sentences the windows and the command line both say, kept in one place so
// the two never drift apart.

#include <string>

#include "platform/result.h"

namespace vm {

// The title of every error box.
inline constexpr const char* kErrorTitle = "Veilmark - Error";

// A hide that ran out of fresh slots.
inline constexpr const char* kNoFreeSlots =
    "The picture is too small for this message: not enough free colour values were found in it.";

// Begins what is said when a command stops on something no check foresaw.
inline constexpr const char* kCommandUnfinished = "The command could not finish: ";

// A picture written for path that does not give the message back: it never took
// path's place.
std::string unreadableSave(const std::string& path);

enum class FileAccess { Reading, Writing };

// What an errno from opening, reading or writing a file means, in a few words
// ("it does not exist", "the disk is full"). A missing name or a folder in its
// place mean different things to a reader and to a writer.
std::string errnoWording(int err, FileAccess access = FileAccess::Reading);

// A file that could not be opened or read for the reason in err.
Failure cannotRead(const std::string& path, int err);

}  // namespace vm

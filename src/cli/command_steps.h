#pragma once
// What more than one command does: reading INPUT, applying --area, refusing a
// terminal as a picture, and writing what was found on standard output.

#include <string>

#include "cli/args.h"
#include "cli/console.h"
#include "imaging/canvas.h"
#include "imaging/working_area.h"
#include "platform/result.h"

namespace vm::cli {

// INPUT's name in a sentence; "-" is standard input.
std::string fileName(const std::string& path);

// Opens INPUT into the canvas; the working area is its size.
Result<void> openInto(const std::string& path, Console& console, Canvas& canvas, WorkingArea& area);

// --area: read as if the picture had that size.
void applyArea(const Arguments& arguments, WorkingArea& area);

// What reveal and scan do first: refuse a terminal as INPUT, open it, and apply
// --area.
Result<void> openToRead(const Arguments& arguments, Console& console, Canvas& canvas,
                        WorkingArea& area);

// "-" as a picture: standard input or output, which must not be a terminal (a
// picture is not typed, and a bitmap would garble the screen).
Result<void> checkPictureStreams(const Arguments& arguments, const Console& console);

// Writes a message (or several, each ended by a NUL byte) as it may be shown on
// standard output: the exact bytes, but on a terminal without --raw its control
// characters as escapes, and ended by a line break so that the shell's prompt
// starts a line of its own. A failure names `what` was not written.
Result<void> writeMessage(Console& console, const Arguments& arguments, std::string bytes,
                          const std::string& what);

}  // namespace vm::cli

#include "cli/scan_command.h"

#include "cli/command_steps.h"
#include "engine/message_scan.h"
#include "engine/sealed_payload.h"
#include "imaging/bitmap_file_picture.h"
#include "platform/utf8.h"

namespace vm::cli {

int scan(const Arguments& arguments, Console& console) {
    Canvas canvas;
    WorkingArea area;
    if (Result<void> opened = openToRead(arguments, console, canvas, area); !opened)
        return report(console, opened.why());
    if (const BitmapFilePicture* file = canvas.picture()->bitmapFile()) file->readScattered();

    std::vector<std::u32string> messages = scanMessages(canvas, area);
    if (Result<void> whole = checkReadWhole(*canvas.picture()); !whole)
        return report(console, kFileError, whole.error());
    // A sealed message counts as found, and is never shown: its bytes say nothing.
    const auto sealed = std::erase_if(messages, isSealedMessage);
    if (sealed > 0)
        say(console, fileName(arguments.input) +
                         " holds a sealed message, which only its "
                         "password opens");
    if (messages.empty() && sealed > 0) return kDone;
    if (messages.empty())
        return report(
            console, kNothingFound,
            "no hidden message found in " + fileName(arguments.input) + " under any password");
    // One message is printed exactly as reveal prints it; several each end with a
    // NUL byte, so that a reader can split them.
    std::string bytes;
    for (const std::u32string& message : messages) {
        bytes += toUtf8(message);
        if (messages.size() > 1) bytes += '\0';
    }
    if (Result<void> written = writeMessage(console, arguments, std::move(bytes),
                                            messages.size() > 1 ? "the messages" : "the message");
        !written)
        return report(console, written.why());
    if (messages.size() > 1)
        say(console, std::to_string(messages.size()) + " different messages found in " +
                         fileName(arguments.input) + ", each followed by a NUL byte");
    return kDone;
}

}  // namespace vm::cli

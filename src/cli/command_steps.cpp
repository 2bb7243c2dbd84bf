#include "cli/command_steps.h"

#include "cli/standard_output.h"

#include "flows/open_flow.h"
#include "imaging/picture_reader.h"
#include "platform/visible_text.h"

namespace vm::cli {

std::string fileName(const std::string& path) {
    return path == kStandardStream ? std::string("standard input") : path;
}

Result<void> openInto(const std::string& path, Console& console, Canvas& canvas,
                      WorkingArea& area) {
    OpenFlow flow(canvas, area);
    if (path == kStandardStream) return flow.open(openStandardInputPicture(console.decoder));
    return flow.openFile(path, console.decoder, OpenFlow::Reading::BitmapInPlace);
}

void applyArea(const Arguments& arguments, WorkingArea& area) {
    if (!arguments.area) return;
    area.width = arguments.area->width;
    area.height = arguments.area->height;
}

Result<void> openToRead(const Arguments& arguments, Console& console, Canvas& canvas,
                        WorkingArea& area) {
    if (Result<void> streams = checkPictureStreams(arguments, console); !streams) return streams;
    if (Result<void> opened = openInto(arguments.input, console, canvas, area); !opened)
        return opened;
    applyArea(arguments, area);
    return {};
}

Result<void> checkPictureStreams(const Arguments& arguments, const Console& console) {
    if (arguments.input == kStandardStream && console.inputIsTerminal)
        return stopped(kUsage,
                       "standard input is a terminal, not a picture: pipe one in or name a file");
    if (arguments.command == Command::Hide && arguments.output == kStandardStream &&
        console.outputIsTerminal)
        return stopped(kUsage,
                       "standard output is a terminal: send the bitmap to a file or a pipe");
    return {};
}

Result<void> writeMessage(Console& console, const Arguments& arguments, std::string bytes,
                          const std::string& what) {
    if (console.outputIsTerminal && !arguments.raw) {
        bytes = visibleText(bytes, true);
        if (!bytes.empty() && bytes.back() != '\n') bytes += '\n';
    }
    return writeOutput(console, bytes, what);
}

}  // namespace vm::cli

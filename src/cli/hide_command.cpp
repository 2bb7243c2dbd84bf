#include "cli/hide_command.h"

#include <sys/stat.h>
#include <ostream>

#include "cli/command_steps.h"
#include "cli/standard_output.h"
#include "cli/text_inputs.h"
#include "engine/random_source.h"
#include "flows/hide_flow.h"

namespace vm::cli {

namespace {

// An existing regular file is replaced only when asked to (--force), or when the
// user says yes on the terminal. Anything else is left to the save, which refuses
// what it cannot replace (a folder, a pipe, a device) in words of its own.
Result<void> checkReplacing(const Arguments& arguments, Console& console) {
    struct stat status {};
    if (arguments.force || arguments.output == kStandardStream ||
        ::stat(arguments.output.c_str(), &status) != 0 || !S_ISREG(status.st_mode))
        return {};
    const std::string name = shown(console, arguments.output, true);
    if (console.inputIsTerminal && console.errorIsTerminal && console.askLine) {
        const std::optional<std::string> answer = console.askLine("Replace " + name + "? [y/N] ");
        if (answer && (*answer == "y" || *answer == "Y" || *answer == "yes" || *answer == "Yes"))
            return {};
        return stopped(kRefused, arguments.output + " was kept; nothing was hidden");
    }
    return stopped(kRefused, arguments.output +
                                 " already exists; nothing was hidden (give -f or --force "
                                 "to replace it)");
}

// hide ... -: the bitmap goes to standard output once it has given the message back.
int writeBitmapToOutput(const HideFlow& flow, Console& console) {
    const Result<std::vector<std::uint8_t>> bitmap = flow.saveToMemory("standard output");
    if (!bitmap) return report(console, kFileError, bitmap.error());
    const std::string_view bytes(reinterpret_cast<const char*>(bitmap->data()), bitmap->size());
    if (Result<void> written = writeOutput(console, bytes, "the bitmap"); !written)
        return report(console, written.why());
    return kDone;
}

}  // namespace

int hide(const Arguments& arguments, Console& console) {
    // Before anything is asked or read: a refusal should not cost a typed password.
    if (Result<void> streams = checkPictureStreams(arguments, console); !streams)
        return report(console, streams.why());
    if (Result<void> replacing = checkReplacing(arguments, console); !replacing)
        return report(console, replacing.why());
    const Result<std::u32string> password = obtainPassword(arguments, console, true);
    if (!password) return report(console, password.why());
    const Result<std::u32string> message = obtainMessage(arguments, console);
    if (!message) return report(console, message.why());

    Canvas canvas;
    WorkingArea area;
    RandomSource generator;
    HideFlow flow(canvas, area, generator, arguments.seal ? Sealing::On : Sealing::Off);
    // What no picture could take is refused before one is read.
    if (Result<void> texts = flow.checkTexts(*password, *message); !texts)
        return report(console, texts.why());
    if (Result<void> opened = openInto(arguments.input, console, canvas, area); !opened)
        return report(console, opened.why());
    if (Result<void> checked = flow.check(*password, *message); !checked)
        return report(console, checked.why());
    if (Result<void> written = flow.write(); !written) return report(console, written.why());
    // Only a file that gives the message back takes OUTPUT's place.
    if (arguments.output == kStandardStream) return writeBitmapToOutput(flow, console);
    if (Result<void> saved = flow.save(arguments.output); !saved)
        return report(console, kFileError, saved.error());
    return kDone;
}

}  // namespace vm::cli

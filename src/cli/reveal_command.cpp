#include "cli/reveal_command.h"

#include "cli/command_steps.h"
#include "cli/text_inputs.h"
#include "engine/hide_reveal.h"
#include "engine/random_source.h"
#include "imaging/bitmap_file_picture.h"
#include "platform/utf8.h"

namespace vm::cli {

int reveal(const Arguments& arguments, Console& console) {
    if (Result<void> streams = checkPictureStreams(arguments, console); !streams)
        return report(console, streams.why());
    const Result<std::u32string> password = obtainPassword(arguments, console, false);
    if (!password) return report(console, password.why());
    const Result<std::int32_t> seed = seedFor(*password);
    if (!seed) return report(console, kRefused, seed.error());

    Canvas canvas;
    WorkingArea area;
    if (Result<void> opened = openInto(arguments.input, console, canvas, area); !opened)
        return report(console, opened.why());
    applyArea(arguments, area);

    RandomSource generator;
    const Revealed revealed = revealPayload(*seed, canvas, area, generator);
    if (Result<void> whole = checkReadWhole(*canvas.picture()); !whole)
        return report(console, kFileError, whole.error());
    if (!revealed.found)
        return report(console, kNothingFound,
                      "no hidden message found in " + fileName(arguments.input) +
                          ": either the password is wrong or nothing is hidden there (the two "
                          "cannot be told apart)");
    if (!writeMessage(console, arguments, toUtf8(revealed.message)))
        return report(console, kFileError, "could not write the message to standard output");
    return kDone;
}

}  // namespace vm::cli

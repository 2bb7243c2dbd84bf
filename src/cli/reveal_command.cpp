#include "cli/reveal_command.h"

#include "cli/command_steps.h"
#include "cli/text_inputs.h"
#include "engine/random_source.h"
#include "flows/reveal_flow.h"
#include "platform/utf8.h"

#include <optional>
#include <vector>

namespace vm::cli {

namespace {

// Why a sealed message found in `where` stays closed, as the command line says it.
Failure closedSeal(const MessageReading& found, const std::string& where) {
    switch (found.state) {
        case Reading::SealedNewer:
            return stopped(kNothingFound, "a sealed message is hidden in " + where +
                                              ", written by a newer version of Veilmark: this "
                                              "version cannot open it");
        case Reading::SealedFailed:
            return stopped(kFileError, found.sentence);
        default:
            return stopped(kNothingFound, "a sealed message is hidden in " + where +
                                              ", and this password does not open it (or the "
                                              "picture was changed since it was sealed)");
    }
}

}  // namespace

int reveal(const Arguments& arguments, Console& console) {
    // The picture first: a file that is missing or no picture costs no typed password.
    Canvas canvas;
    WorkingArea area;
    if (Result<void> opened = openToRead(arguments, console, canvas, area); !opened)
        return report(console, opened.why());
    const Result<std::u32string> password = obtainPassword(arguments, console, false);
    if (!password) return report(console, password.why());
    RandomSource generator;
    RevealFlow flow(canvas, area, generator);
    if (Result<void> checked = flow.check(*password); !checked)
        return report(console, kRefused, checked.error());
    if (Result<void> read = flow.read(); !read) return report(console, kFileError, read.error());
    const PasswordReading& reading = flow.reading();
    const std::string where = fileName(arguments.input);
    std::vector<std::string> shown;
    std::optional<Failure> closed;  // a sealed message this password does not open
    for (const MessageReading* found : {&reading.own, &reading.sealed}) {
        if (found->state == Reading::Plain || found->state == Reading::SealedOpened)
            shown.push_back(toUtf8(found->text));
        else if (found->state != Reading::Nothing && !closed)
            closed = closedSeal(*found, where);
    }
    if (shown.empty() && closed) return report(console, *closed);
    if (shown.empty())
        return report(console, kNothingFound,
                      "no hidden message found in " + where +
                          ": either the password is wrong or nothing is hidden there (the two "
                          "cannot be told apart)");
    if (closed) say(console, closed->message);
    // A plain and a sealed message under one password: each ends with a NUL byte,
    // as scan writes several.
    std::string bytes = shown.front();
    if (shown.size() > 1) bytes = shown[0] + '\0' + shown[1] + '\0';
    if (Result<void> written = writeMessage(console, arguments, std::move(bytes), "the message");
        !written)
        return report(console, written.why());
    if (shown.size() > 1)
        say(console, "a plain and a sealed message found in " + where +
                         " under this password, each followed by a NUL byte");
    return kDone;
}

}  // namespace vm::cli

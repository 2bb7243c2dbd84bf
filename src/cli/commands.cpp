#include "cli/commands.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <istream>
#include <new>
#include <ostream>

#include "cli/output_failure.h"
#include "engine/hide_reveal.h"
#include "engine/message_scan.h"
#include "engine/payload.h"
#include "engine/random_source.h"
#include "engine/save_flow.h"
#include "imaging/bitmap_file_picture.h"
#include "imaging/canvas.h"
#include "imaging/picture_saving.h"
#include "imaging/working_area.h"
#include "platform/file_io.h"
#include "platform/unique_fd.h"
#include "platform/user_messages.h"
#include "platform/utf8.h"
#include "platform/visible_text.h"

#ifndef VEILMARK_VERSION
#define VEILMARK_VERSION "0.0.0"
#endif

namespace vm::cli {

namespace {

constexpr const char* kProgram = "veilmark-cli";
// Far more than any password or message that can be used; a larger file is refused
// rather than read whole.
constexpr std::size_t kTextFileLimit = std::size_t{1} << 20;

// One line for standard error: no line breaks, and a sentence of the core starts
// in lower case after the program's name, as the lines of our own do.
std::string asLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    if (text.size() > 1 && text[0] >= 'A' && text[0] <= 'Z' && text[1] >= 'a' && text[1] <= 'z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

// Each kind of stop, and the exit status it gives.
constexpr struct {
    Stop stop;
    ExitStatus status;
} kExitStatuses[] = {
    {Stop::NothingFound, kNothingFound},
    {Stop::Usage, kUsage},
    {Stop::File, kFileError},
    {Stop::Refused, kRefused},
};

Failure stopped(Stop stop, std::string why) {
    return failure(std::move(why), stop);
}

// Text the user gave, or a picture held, as it may be shown on this stream.
std::string shown(const Console& console, const std::string& text, bool onError) {
    return (onError ? console.errorIsTerminal : console.outputIsTerminal) ? visibleText(text, false)
                                                                          : text;
}

// One line on standard error, after the program's name.
void say(Console& console, const std::string& text) {
    console.err << kProgram << ": " << shown(console, asLine(text), true) << '\n';
    console.err.flush();
}

int report(Console& console, const Failure& why) {
    say(console, why.message);
    return exitStatusFor(why);
}
int report(Console& console, Stop stop, const std::string& why) {
    return report(console, stopped(stop, why));
}

// INPUT's name in a sentence; "-" is standard input.
std::string fileName(const std::string& path) {
    return path == kStandardStream ? std::string("standard input") : path;
}

// The whole file, up to kTextFileLimit bytes. what: "password" or "message".
Result<std::string> readTextFile(const std::string& path, const char* what) {
    const std::string name = std::string("the ") + what + " file " + path;
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) return stopped(Stop::File, "cannot read " + name + ": " + errnoWording(errno));
    std::string bytes;
    char buffer[16384];
    for (;;) {
        std::size_t got = 0;
        if (const int err = readUpTo(fd.get(), buffer, sizeof buffer, &got); err != 0)
            return stopped(Stop::File, "cannot read " + name + ": " + errnoWording(err));
        bytes.append(buffer, got);
        if (bytes.size() > kTextFileLimit)
            return stopped(Stop::Refused,
                           name + " is too large to be a " + what + " (more than 1 MiB)");
        if (got < sizeof buffer) break;
    }
    return bytes;
}

Result<std::string> readStandardInput(std::istream& in) {
    std::string bytes;
    char buffer[16384];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kTextFileLimit)
            return stopped(Stop::Refused,
                           "the message on standard input is too large (more than 1 MiB)");
    }
    if (in.bad()) return stopped(Stop::File, "could not read the message from standard input");
    return bytes;
}

Result<std::u32string> decoded(const Result<std::string>& bytes, const char* what) {
    if (!bytes) return bytes.why();
    std::optional<std::u32string> text = fromUtf8(*bytes);
    if (!text)
        return stopped(Stop::Refused, std::string("the ") + what + " is not valid UTF-8 text");
    return std::move(*text);
}

void dropOneLineBreak(std::string& text) {
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
        if (!text.empty() && text.back() == '\r') text.pop_back();
    }
}

// -p, --password-file, the environment, or the terminal, in that order. A hide asks
// twice on the terminal: a typing error there would lose the message for good.
Result<std::u32string> obtainPassword(const Arguments& arguments, Console& console, bool confirm) {
    if (arguments.password) return decoded(*arguments.password, "password");
    if (arguments.passwordFile) {
        Result<std::string> bytes = readTextFile(*arguments.passwordFile, "password");
        if (bytes) dropOneLineBreak(*bytes);
        return decoded(bytes, "password");
    }
    if (console.environment) {
        if (std::optional<std::string> value = console.environment(kPasswordVariable))
            return decoded(std::move(*value), "password");
    }
    if (!console.terminal || !console.askHidden)
        return stopped(Stop::Usage,
                       std::string("no password given: use -p PASSWORD, --password-file FILE or "
                                   "the environment variable ") +
                           kPasswordVariable + " (there is no terminal to ask on)");
    std::optional<std::string> typed = console.askHidden("Password: ");
    if (!typed) return stopped(Stop::Usage, "no password was typed");
    if (confirm) {
        std::optional<std::string> again = console.askHidden("Password again: ");
        if (!again || *again != *typed)
            return stopped(Stop::Usage, "the two passwords typed differ; nothing was hidden");
    }
    return decoded(std::move(*typed), "password");
}

Result<std::u32string> obtainMessage(const Arguments& arguments, Console& console) {
    if (arguments.message) return decoded(*arguments.message, "message");
    if (*arguments.messageFile == "-") return decoded(readStandardInput(console.in), "message");
    return decoded(readTextFile(*arguments.messageFile, "message"), "message");
}

// --area: read as if the picture had that size.
void applyArea(const Arguments& arguments, WorkingArea& area) {
    if (!arguments.area) return;
    area.width = arguments.area->width;
    area.height = arguments.area->height;
}

std::string usageLine(const std::string& error) {
    return error + " (see " + kProgram + " --help)";
}

// "-" as a picture: standard input or output, which must not be a terminal (a
// picture is not typed, and a bitmap would garble the screen).
Result<void> checkPictureStreams(const Arguments& arguments, const Console& console) {
    if (arguments.input == kStandardStream && console.inputIsTerminal)
        return stopped(Stop::Usage,
                       "standard input is a terminal, not a picture: pipe one in or name a file");
    if (arguments.command == Command::Hide && arguments.output == kStandardStream &&
        console.outputIsTerminal)
        return stopped(Stop::Usage,
                       "standard output is a terminal: send the bitmap to a file or a pipe");
    return {};
}

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
        return stopped(Stop::Refused, arguments.output + " was kept; nothing was hidden");
    }
    return stopped(Stop::Refused, arguments.output +
                                      " already exists; nothing was hidden (give -f or --force "
                                      "to replace it)");
}

// Writes a message (or several, each ended by a NUL byte) as it may be shown on
// standard output: the exact bytes, but on a terminal without --raw its control
// characters as escapes, and ended by a line break so that the shell's prompt
// starts a line of its own.
bool writeMessage(Console& console, const Arguments& arguments, std::string bytes) {
    if (console.outputIsTerminal && !arguments.raw) {
        bytes = visibleText(bytes, true);
        if (!bytes.empty() && bytes.back() != '\n') bytes += '\n';
    }
    console.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    console.out.flush();
    return static_cast<bool>(console.out);
}

// hide ... -: the bitmap goes to standard output once it has given the message back.
int writeBitmapToOutput(const Picture& picture, Console& console, std::int32_t seed,
                        const WorkingArea& area, std::u32string_view message) {
    const std::string name = "standard output";
    const Result<std::vector<std::uint8_t>> bitmap =
        savePictureToMemory(picture, name, [&](const PictureRef& written) {
            return checkSavedPicture(written, name, seed, area, message);
        });
    if (!bitmap) return report(console, Stop::File, bitmap.error());
    console.out.write(reinterpret_cast<const char*>(bitmap->data()),
                      static_cast<std::streamsize>(bitmap->size()));
    console.out.flush();
    if (!console.out) return report(console, Stop::File, outputFailure("the bitmap", errno));
    return kDone;
}

}  // namespace

// Opens INPUT into the canvas; the working area is its size.
static Result<void> openInto(const std::string& path, Console& console, Canvas& canvas,
                             WorkingArea& area) {
    Result<PictureRef> opened = path == kStandardStream ? openStandardInputPicture(console.decoder)
                                                        : openPictureFile(path, console.decoder);
    if (!opened) return stopped(Stop::File, opened.error());
    placeOpenedPicture(opened.take(), canvas, area);
    return {};
}

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

    // What no picture could take is refused before one is read.
    const WorkingArea roomy{1 << 20, 1 << 20, true};
    if (const Result<HidePlan> textCheck = prepareHide(*password, *message, roomy); !textCheck)
        return report(console, Stop::Refused, textCheck.error());

    Canvas canvas;
    WorkingArea area;
    if (Result<void> opened = openInto(arguments.input, console, canvas, area); !opened)
        return report(console, opened.why());

    const Result<HidePlan> plan = prepareHide(*password, *message, area);
    if (!plan) return report(console, Stop::Refused, plan.error());
    RandomSource generator;
    if (const Result<void> hidden = hidePayload(*plan, canvas, area, generator); !hidden)
        return report(console, Stop::Refused, hidden.error());
    if (Result<void> whole = checkReadWhole(*canvas.picture()); !whole)
        return report(console, Stop::File, whole.error());
    // The written points become a light layer over the picture as opened, which the
    // writer streams out row by row. Only a file that gives the message back takes
    // OUTPUT's place.
    commitCanvas(canvas);
    if (arguments.output == kStandardStream)
        return writeBitmapToOutput(*canvas.picture(), console, plan->seed, area, *message);
    const Result<void> saved =
        savePicture(*canvas.picture(), arguments.output, [&](const PictureRef& written) {
            return checkSavedPicture(written, arguments.output, plan->seed, area, *message);
        });
    if (!saved) return report(console, Stop::File, saved.error());
    return kDone;
}

int reveal(const Arguments& arguments, Console& console) {
    if (Result<void> streams = checkPictureStreams(arguments, console); !streams)
        return report(console, streams.why());
    // The picture first: a file that is missing or no picture costs no typed password.
    Canvas canvas;
    WorkingArea area;
    if (Result<void> opened = openInto(arguments.input, console, canvas, area); !opened)
        return report(console, opened.why());
    const Result<std::u32string> password = obtainPassword(arguments, console, false);
    if (!password) return report(console, password.why());
    const Result<std::int32_t> seed = seedFor(*password);
    if (!seed) return report(console, Stop::Refused, seed.error());
    applyArea(arguments, area);

    RandomSource generator;
    const Revealed revealed = revealPayload(*seed, canvas, area, generator);
    if (Result<void> whole = checkReadWhole(*canvas.picture()); !whole)
        return report(console, Stop::File, whole.error());
    if (!revealed.found)
        return report(console, Stop::NothingFound,
                      "no hidden message found in " + fileName(arguments.input) +
                          ": either the password is wrong or nothing is hidden there (the two "
                          "cannot be told apart)");
    if (!writeMessage(console, arguments, toUtf8(revealed.message)))
        return report(console, Stop::File, outputFailure("the message", errno));
    return kDone;
}

int scan(const Arguments& arguments, Console& console) {
    if (Result<void> streams = checkPictureStreams(arguments, console); !streams)
        return report(console, streams.why());
    Canvas canvas;
    WorkingArea area;
    if (Result<void> opened = openInto(arguments.input, console, canvas, area); !opened)
        return report(console, opened.why());
    applyArea(arguments, area);
    if (const BitmapFilePicture* file = canvas.picture()->bitmapFile()) file->readScattered();

    const std::vector<std::u32string> messages = scanMessages(canvas, area);
    if (Result<void> whole = checkReadWhole(*canvas.picture()); !whole)
        return report(console, Stop::File, whole.error());
    if (messages.empty())
        return report(
            console, Stop::NothingFound,
            "no hidden message found in " + fileName(arguments.input) + " under any password");
    // One message is printed exactly as reveal prints it; several each end with a
    // NUL byte, so that a reader can split them.
    std::string bytes;
    for (const std::u32string& message : messages) {
        bytes += toUtf8(message);
        if (messages.size() > 1) bytes += '\0';
    }
    if (!writeMessage(console, arguments, std::move(bytes)))
        return report(console, Stop::File,
                      outputFailure(messages.size() > 1 ? "the messages" : "the message", errno));
    if (messages.size() > 1)
        say(console, std::to_string(messages.size()) + " different messages found in " +
                         fileName(arguments.input) + ", each followed by a NUL byte");
    return kDone;
}

int exitStatusFor(const Failure& why) {
    for (const auto& row : kExitStatuses)
        if (why.kind == row.stop) return row.status;
    return kFileError;
}

int runCommand(const Arguments& arguments, Console& console) {
    try {
        switch (arguments.command) {
            case Command::Help:
            case Command::Version:
                console.out << (arguments.command == Command::Help ? helpText(arguments.helpTopic)
                                                                   : versionText());
                console.out.flush();
                if (!console.out)
                    return report(console, Stop::File,
                                  outputFailure(arguments.command == Command::Help ? "the help"
                                                                                   : "the version",
                                                errno));
                return kDone;
            case Command::Hide:
                return hide(arguments, console);
            case Command::Reveal:
                return reveal(arguments, console);
            case Command::Scan:
                return scan(arguments, console);
        }
    } catch (const std::bad_alloc&) {
        return report(console, Stop::File, "there is not enough memory for this picture");
    } catch (const std::exception& e) {
        return report(console, Stop::File, e.what());
    }
    return kUsage;
}

int runProgram(const std::vector<std::string>& words, Console& console) {
    const Result<Arguments> parsed = parseArguments(words);
    if (!parsed) return report(console, Stop::Usage, usageLine(parsed.error()));
    return runCommand(*parsed, console);
}

std::string versionText() {
    return std::string(kProgram) + " " + VEILMARK_VERSION + "\n";
}

namespace {

// The help, in parts that a command's own help picks from.
struct CommandHelp {
    Command command;
    const char* usage;
    const char* description;
};

constexpr CommandHelp kCommandHelp[] = {
    {Command::Hide,
     "  veilmark-cli hide   [-f] [-p PASSWORD | --password-file FILE]\n"
     "                      (-m MESSAGE | --message-file FILE) INPUT OUTPUT\n",
     R"(  hide    Reads INPUT (BMP, GIF, JPEG, PNG and the like, recognised by content),
          hides the message in it and writes OUTPUT as an uncompressed 24-bit BMP,
          whatever its name. OUTPUT is written complete and read back, to check
          that the message comes out again, before it replaces an existing file,
          whose links, owner and permissions are kept. An existing OUTPUT is
          replaced only with -f (on a terminal, hide asks instead); INPUT itself
          may be OUTPUT. A device, pipe or socket as OUTPUT is refused. INPUT "-"
          reads the picture from standard input, OUTPUT "-" writes the bitmap to
          standard output, after the same check.
)"},
    {Command::Reveal,
     "  veilmark-cli reveal [--raw] [-p PASSWORD | --password-file FILE]\n"
     "                      [--area WIDTHxHEIGHT] INPUT\n",
     R"(  reveal  Writes the message hidden in INPUT ("-": standard input) to standard
          output exactly, in UTF-8, with nothing added (no newline).
)"},
    {Command::Scan, "  veilmark-cli scan   [--raw] [--area WIDTHxHEIGHT] INPUT\n",
     R"(  scan    Finds a message without its password: whatever the password, hide
          can only choose among 65,536 orders of places, and scan tries them
          all. It prints the message as reveal does;
          when it finds several different ones, each is followed by a NUL byte
          and their number is said on standard error. INPUT "-" is standard input.
)"},
};

constexpr unsigned kHideOnly = 1, kRevealOnly = 2, kScanOnly = 4;
constexpr unsigned kAll = kHideOnly | kRevealOnly | kScanOnly;

struct OptionHelp {
    unsigned commands;  // the commands it is for
    const char* text;
};

constexpr OptionHelp kOptionHelp[] = {
    {kHideOnly | kRevealOnly,
     "  -p, --password=PASSWORD   the password; an empty one is a password too\n"},
    {kHideOnly | kRevealOnly,
     "      --password-file=FILE  read the password from FILE, less one trailing line\n"
     "                            break (LF or CR LF)\n"},
    {kHideOnly, "  -m, --message=MESSAGE     the message to hide (hide only)\n"},
    {kHideOnly,
     "      --message-file=FILE   read the message from FILE, exactly; \"-\" reads\n"
     "                            standard input\n"},
    {kHideOnly, "  -f, --force               replace an existing OUTPUT without asking (hide)\n"},
    {kRevealOnly | kScanOnly,
     "      --area=WIDTHxHEIGHT   read as if INPUT were WIDTH x HEIGHT points\n"
     "                            (reveal and scan; see below)\n"},
    {kRevealOnly | kScanOnly,
     "      --raw                 write the message's exact bytes to a terminal too\n"
     "                            (reveal and scan)\n"},
    {kAll, "  -h, --help                show this help\n"},
    {0, "      --version             show the version\n"},
    {kAll, "  --                        end of options; what follows are files\n"},
};

unsigned commandBit(Command command) {
    switch (command) {
        case Command::Hide:
            return kHideOnly;
        case Command::Reveal:
            return kRevealOnly;
        case Command::Scan:
            return kScanOnly;
        default:
            return kAll;
    }
}

std::string optionsFor(unsigned commands) {
    std::string text = "Options:\n";
    for (const OptionHelp& option : kOptionHelp)
        if (commands == kAll || (option.commands & commands) != 0) text += option.text;
    return text;
}

constexpr const char* kIntroduction = R"(
Hides a short text message in the lowest bits of a picture's colours, at places
drawn from a password, and reads it back. The message is concealed, not
encrypted: anyone with this program can read it, with the password or, by
trying every order of places, without it (scan).

)";

constexpr const char* kDetails = R"(
Without -p or --password-file the password is taken from the environment
variable VEILMARK_PASSWORD, or else asked on the terminal without echo (twice
for hide), also when standard input is a pipe. Passwords and messages are
UTF-8 text made of the characters of Windows-1252: Western European letters,
digits, signs and control characters. A message has at most 252 characters;
line breaks are kept exactly as given, so CR LF counts as two.

Reveal needs the password the message was hidden with; scan shows that a
password keeps no secret from anyone who has this program. The places that
carry the message depend on the picture's size too: pictures written by hide
need no --area, which is for a message hidden by the windowed program while a
picture of another size was the one opened last there.

On a terminal, reveal and scan show the message's control characters as
escapes, keeping its line breaks and ending with one: \033 for ESC, \a \b \t
\v \f \r, \\ for a backslash, and any other as \ and three octal digits per
byte; so do error lines on a terminal. Into a pipe or a file they write the
exact bytes, and --raw writes them to a terminal too.

Exit status:
  0  done (also for a hidden empty message, which reveal prints as nothing)
  1  no hidden message found: the password is wrong or nothing is hidden in
     INPUT; the two cannot be told apart (scan: nothing is hidden)
  2  usage error: a wrong option or file count, no password to be had, a
     terminal given as the picture
  3  a file could not be read, decoded or written (an existing OUTPUT is kept)
  4  refused: a message over 252 characters, a character outside Windows-1252,
     text that is not UTF-8, a picture too small for the message, or an
     existing OUTPUT without -f (or not confirmed on the terminal)
Every error is one line on standard error.

Example:
  veilmark-cli hide -p 'tulip mountain' -m 'Meet at noon.' photo.jpg photo-vm.bmp
  veilmark-cli reveal -p 'tulip mountain' photo-vm.bmp
  Meet at noon.
  veilmark-cli scan photo-vm.bmp
  Meet at noon.
)";

}  // namespace

std::string helpText(std::optional<Command> command) {
    std::string text = "Usage:\n";
    for (const CommandHelp& help : kCommandHelp)
        if (!command || help.command == *command) text += help.usage;
    if (!command) {
        text += "  veilmark-cli help [COMMAND] | --help | --version\n";
        text += kIntroduction;
    } else {
        text += '\n';
    }
    for (const CommandHelp& help : kCommandHelp)
        if (!command || help.command == *command) text += help.description;
    text += '\n' + optionsFor(command ? commandBit(*command) : kAll);
    if (command)
        return text +
               "\nveilmark-cli --help says where the password comes from, when --area is "
               "needed,\nhow a terminal shows the message, and the exit statuses, with an "
               "example.\n";
    return text + kDetails;
}

}  // namespace vm::cli

#include "cli/commands.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <istream>
#include <new>
#include <ostream>

#include "cli/mapped_bitmap.h"
#include "engine/engine_errors.h"
#include "engine/hide_reveal.h"
#include "engine/message_scan.h"
#include "engine/payload.h"
#include "engine/save_flow.h"
#include "imaging/bitmap_file_picture.h"
#include "imaging/canvas.h"
#include "imaging/working_area.h"
#include "platform/file_io.h"
#include "platform/random_source.h"
#include "platform/user_messages.h"
#include "platform/utf8.h"

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

int report(Console& console, int status, const std::string& why) {
    console.err << kProgram << ": " << asLine(why) << '\n';
    console.err.flush();
    return status;
}
// A failure whose kind is the exit status.
int report(Console& console, const Failure& why) {
    return report(console, why.kind, why.message);
}

// The whole file, up to kTextFileLimit bytes. what: "password" or "message".
Result<std::string> readTextFile(const std::string& path, const char* what) {
    const std::string name = std::string("the ") + what + " file " + path;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return failure("cannot read " + name + ": " + errnoWording(errno), kFileError);
    std::string bytes;
    char buffer[16384];
    for (;;) {
        std::size_t got = 0;
        if (const int err = readUpTo(fd, buffer, sizeof buffer, &got); err != 0) {
            ::close(fd);
            return failure("cannot read " + name + ": " + errnoWording(err), kFileError);
        }
        bytes.append(buffer, got);
        if (bytes.size() > kTextFileLimit) {
            ::close(fd);
            return failure(name + " is too large to be a " + what + " (more than 1 MiB)", kRefused);
        }
        if (got < sizeof buffer) break;
    }
    ::close(fd);
    return bytes;
}

Result<std::string> readStandardInput(std::istream& in) {
    std::string bytes;
    char buffer[16384];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (bytes.size() > kTextFileLimit)
            return failure("the message on standard input is too large (more than 1 MiB)",
                           kRefused);
    }
    if (in.bad()) return failure("could not read the message from standard input", kFileError);
    return bytes;
}

Result<std::u32string> decoded(const Result<std::string>& bytes, const char* what) {
    if (!bytes) return bytes.why();
    std::optional<std::u32string> text = fromUtf8(*bytes);
    if (!text) return failure(std::string("the ") + what + " is not valid UTF-8 text", kRefused);
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
    if (!console.inputIsTerminal || !console.askHidden)
        return failure(std::string("no password given: use -p PASSWORD, --password-file FILE or "
                                   "the environment variable ") +
                           kPasswordVariable + " (standard input is not a terminal to ask on)",
                       kUsage);
    std::optional<std::string> typed = console.askHidden("Password: ");
    if (!typed) return failure("no password was typed", kUsage);
    if (confirm) {
        std::optional<std::string> again = console.askHidden("Password again: ");
        if (!again || *again != *typed)
            return failure("the two passwords typed differ; nothing was hidden", kUsage);
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

}  // namespace

// Opens INPUT into the canvas; the working area is its size.
static Result<void> openInto(const std::string& path, Console& console, Canvas& canvas,
                             WorkingArea& area) {
    Result<PictureRef> opened = openPictureFile(path, console.decoder);
    if (!opened) return failure(opened.error(), kFileError);
    placeOpenedPicture(opened.take(), canvas, area);
    return {};
}

int hide(const Arguments& arguments, Console& console) {
    const Result<std::u32string> password = obtainPassword(arguments, console, true);
    if (!password) return report(console, password.why());
    const Result<std::u32string> message = obtainMessage(arguments, console);
    if (!message) return report(console, message.why());

    // What no picture could take is refused before one is read.
    const WorkingArea roomy{1 << 20, 1 << 20, true};
    if (const Result<HidePlan> textCheck = prepareHide(*password, *message, roomy); !textCheck)
        return report(console, kRefused, textCheck.error());

    Canvas canvas;
    WorkingArea area;
    if (Result<void> opened = openInto(arguments.input, console, canvas, area); !opened)
        return report(console, opened.why());

    const Result<HidePlan> plan = prepareHide(*password, *message, area);
    if (!plan) return report(console, kRefused, plan.error());
    RandomSource generator;
    try {
        hidePayload(*plan, canvas, area, generator);
    } catch (const SlotsExhausted&) {
        return report(console, kRefused, kNoFreeSlots);
    }
    // The written points become a light layer over the picture as opened, which the
    // writer streams out row by row. Only a file that gives the message back takes
    // OUTPUT's place.
    commitCanvas(canvas);
    const Result<void> saved =
        savePicture(*canvas.picture(), arguments.output, [&](const PictureRef& written) {
            return checkSavedPicture(written, arguments.output, plan->seed, area, *message);
        });
    if (!saved) return report(console, kFileError, saved.error());
    return kDone;
}

int reveal(const Arguments& arguments, Console& console) {
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
    if (!revealed.found)
        return report(console, kNothingFound,
                      "no hidden message found in " + arguments.input +
                          ": either the password is wrong or nothing is hidden there (the two "
                          "cannot be told apart)");
    const std::string bytes = toUtf8(revealed.message);
    console.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    console.out.flush();
    if (!console.out)
        return report(console, kFileError, "could not write the message to standard output");
    return kDone;
}

int scan(const Arguments& arguments, Console& console) {
    Canvas canvas;
    WorkingArea area;
    if (Result<void> opened = openInto(arguments.input, console, canvas, area); !opened)
        return report(console, opened.why());
    applyArea(arguments, area);
    if (auto bitmap = std::dynamic_pointer_cast<const BitmapFilePicture>(canvas.picture()))
        if (auto mapped = MappedBitmap::map(*bitmap)) canvas.setPicture(std::move(mapped));

    const std::vector<std::u32string> messages = scanMessages(canvas, area);
    if (messages.empty())
        return report(console, kNothingFound,
                      "no hidden message found in " + arguments.input + " under any password");
    // One message is printed exactly as reveal prints it; several each end with a
    // NUL byte, so that a reader can split them.
    for (const std::u32string& message : messages) {
        const std::string bytes = toUtf8(message);
        console.out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        if (messages.size() > 1) console.out.put('\0');
    }
    console.out.flush();
    if (!console.out)
        return report(console, kFileError,
                      messages.size() > 1 ? "could not write the messages to standard output"
                                          : "could not write the message to standard output");
    if (messages.size() > 1) {
        console.err << kProgram << ": " << messages.size() << " different messages found in "
                    << arguments.input << ", each followed by a NUL byte\n";
        console.err.flush();
    }
    return kDone;
}

int runCommand(const Arguments& arguments, Console& console) {
    try {
        switch (arguments.command) {
            case Command::Help:
            case Command::Version:
                console.out << (arguments.command == Command::Help ? helpText() : versionText());
                console.out.flush();
                if (!console.out)
                    return report(console, kFileError,
                                  std::string("could not write the ") +
                                      (arguments.command == Command::Help ? "help" : "version") +
                                      " to standard output");
                return kDone;
            case Command::Hide:
                return hide(arguments, console);
            case Command::Reveal:
                return reveal(arguments, console);
            case Command::Scan:
                return scan(arguments, console);
        }
    } catch (const std::bad_alloc&) {
        return report(console, kFileError, "there is not enough memory for this picture");
    } catch (const std::exception& e) {
        return report(console, kFileError, e.what());
    }
    return kUsage;
}

int runProgram(const std::vector<std::string>& words, Console& console) {
    const Result<Arguments> parsed = parseArguments(words);
    if (!parsed) return report(console, kUsage, usageLine(parsed.error()));
    return runCommand(*parsed, console);
}

std::string versionText() {
    return std::string(kProgram) + " " + VEILMARK_VERSION + "\n";
}

std::string helpText() {
    return R"(Usage:
  veilmark-cli hide   [-p PASSWORD | --password-file FILE] (-m MESSAGE | --message-file FILE) INPUT OUTPUT
  veilmark-cli reveal [-p PASSWORD | --password-file FILE] [--area WIDTHxHEIGHT] INPUT
  veilmark-cli scan   [--area WIDTHxHEIGHT] INPUT
  veilmark-cli --help | --version

Hides a short text message in the lowest bits of a picture's colours, at places
drawn from a password, and reads it back. The message is concealed, not
encrypted: anyone with this program can read it, with the password or, by
trying every order of places, without it (scan).

  hide    Reads INPUT (BMP, GIF, JPEG, PNG and the like, recognised by content),
          hides the message in it and writes OUTPUT as an uncompressed 24-bit BMP,
          whatever its name. OUTPUT is written complete and read back, to check
          that the message comes out again, before it replaces an existing file,
          whose links, owner and permissions are kept. A device, pipe or socket
          as OUTPUT is refused.
  reveal  Writes the message hidden in INPUT to standard output exactly, in
          UTF-8, with nothing added (no newline).
  scan    Finds a message without its password: whatever the password, hide
          can only choose among 65,536 orders of places, and scan tries them
          all. It prints the message as reveal does;
          when it finds several different ones, each is followed by a NUL byte
          and their number is said on standard error.

Options:
  -p, --password=PASSWORD   the password; an empty one is a password too
      --password-file=FILE  read the password from FILE, less one trailing line
                            break (LF or CR LF)
  -m, --message=MESSAGE     the message to hide (hide only)
      --message-file=FILE   read the message from FILE, exactly; "-" reads
                            standard input
      --area=WIDTHxHEIGHT   read as if INPUT were WIDTH x HEIGHT points
                            (reveal and scan; see below)
  -h, --help                show this help
      --version             show the version
  --                        end of options; what follows are files

Without -p or --password-file the password is taken from the environment
variable VEILMARK_PASSWORD, or else asked on the terminal without echo (twice
for hide). Passwords and messages are UTF-8 text made of the characters of
Windows-1252: Western European letters, digits, signs and control characters.
A message has at most 252 characters; line breaks are kept exactly as given,
so CR LF counts as two.

Reveal needs the password the message was hidden with; scan shows that a
password keeps no secret from anyone who has this program. The places that
carry the message depend on the picture's size too: pictures written by hide
need no --area, which is for a message hidden by the windowed program while a
picture of another size was the one opened last there.

Exit status:
  0  done (also for a hidden empty message, which reveal prints as nothing)
  1  no hidden message found: the password is wrong or nothing is hidden in
     INPUT; the two cannot be told apart (scan: nothing is hidden)
  2  usage error: a wrong option or file count, no password to be had
  3  a file could not be read, decoded or written (an existing OUTPUT is kept)
  4  refused: a message over 252 characters, a character outside Windows-1252,
     text that is not UTF-8, or a picture too small for the message
Every error is one line on standard error.

Example:
  veilmark-cli hide -p 'tulip mountain' -m 'Meet at noon.' photo.jpg photo-vm.bmp
  veilmark-cli reveal -p 'tulip mountain' photo-vm.bmp
  Meet at noon.
  veilmark-cli scan photo-vm.bmp
  Meet at noon.
)";
}

}  // namespace vm::cli

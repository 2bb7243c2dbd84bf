#include "cli/help_text.h"

#include "cli/console.h"

#ifndef VEILMARK_VERSION
#define VEILMARK_VERSION "0.0.0"
#endif

namespace vm::cli {

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
     "  veilmark-cli hide   [-f] [--seal] [-p PASSWORD | --password-file FILE]\n"
     "                      (-m MESSAGE | --message-file FILE) INPUT OUTPUT\n",
     R"(  hide    Reads INPUT (BMP, GIF, JPEG, PNG and the like, recognised by content),
          hides the message in it and writes OUTPUT as an uncompressed 24-bit BMP,
          whatever its name. OUTPUT is written complete and read back, to check
          that the message comes out again, before it replaces an existing file,
          whose links, owner and permissions are kept. An existing OUTPUT is
          replaced only with -f (on a terminal, hide asks instead); INPUT itself
          may be OUTPUT. A device, pipe or socket as OUTPUT is refused. INPUT "-"
          reads the picture from standard input, OUTPUT "-" writes the bitmap to
          standard output, after the same check. With --seal the message is
          sealed: encrypted with the password (see below).
)"},
    {Command::Reveal,
     "  veilmark-cli reveal [--raw] [-p PASSWORD | --password-file FILE]\n"
     "                      [--area WIDTHxHEIGHT] INPUT\n",
     R"(  reveal  Writes the message hidden in INPUT ("-": standard input) to standard
          output exactly, in UTF-8, with nothing added (no newline). A sealed
          message is opened with the password; one it does not open is said on
          standard error, and nothing is written.
)"},
    {Command::Scan, "  veilmark-cli scan   [--raw] [--area WIDTHxHEIGHT] INPUT\n",
     R"(  scan    Finds a message without its password: whatever the password, hide
          can only choose among 65,536 orders of places, and scan tries them
          all. It prints the message as reveal does;
          when it finds several different ones, each is followed by a NUL byte
          and their number is said on standard error. INPUT "-" is standard input.
          A sealed message is never shown: scan says on standard error that one
          is there, which only its password opens.
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
    {kHideOnly, "      --seal                seal the message with the password (hide)\n"},
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
drawn from a password, and reads it back. A plain message is concealed, not
encrypted: anyone with this program can read it, with the password or, by
trying every order of places, without it (scan). A sealed message (hide
--seal) is encrypted with the password: it opens only with that password, and
any change to it is detected.

)";

constexpr const char* kDetails = R"(
Without -p or --password-file the password is taken from the environment
variable VEILMARK_PASSWORD, or else asked on the terminal without echo (twice
for hide), also when standard input is a pipe. Passwords and messages are
UTF-8 text made of the characters of Windows-1252: Western European letters,
digits, signs and control characters. A message has at most 252 characters;
line breaks are kept exactly as given, so CR LF counts as two.

A sealed message is encrypted with a key made from the password (Argon2id over
64 MiB, then XChaCha20-Poly1305). It may be any UTF-8 text of up to 216 bytes,
needs a password that is not empty, and takes 2,048 colour values, so a picture
of at least 683 points. Anyone can still see that a sealed message is there,
and a short or common password can still be guessed: each guess costs only
about 0.1 to 0.2 s of one processor core. Converting the picture to JPEG
destroys any message, plain or sealed; PNG keeps it.

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
     INPUT; the two cannot be told apart (scan: nothing is hidden); or a sealed
     message that this password does not open (said on standard error)
  2  usage error: a wrong option or file count, no password to be had, a
     terminal given as the picture
  3  a file could not be read, decoded or written (an existing OUTPUT is kept)
  4  refused: a message over 252 characters (sealed: 216 bytes), a character
     outside Windows-1252 (sealed: in the password), a message starting with
     U+0001, an empty password for --seal, text that is not UTF-8, a picture
     too small for the message, or an existing OUTPUT without -f (or not
     confirmed on the terminal)
Every error is one line on standard error.

Example:
  veilmark-cli hide -p 'tulip mountain' -m 'Meet at noon.' photo.jpg photo-vm.bmp
  veilmark-cli reveal -p 'tulip mountain' photo-vm.bmp
  Meet at noon.
  veilmark-cli scan photo-vm.bmp
  Meet at noon.
  veilmark-cli hide --seal -p 'tulip mountain' -m 'Meet at noon.' photo.jpg sealed.bmp
  veilmark-cli scan sealed.bmp
  veilmark-cli: sealed.bmp holds a sealed message, which only its password opens
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

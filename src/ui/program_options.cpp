#include "ui/program_options.h"

#include <QCommandLineParser>
#include <QStringList>

#include <cstdio>
#include <string>

#include "platform/result.h"
#include "platform/visible_text.h"

namespace vm::ui {

namespace {

constexpr std::string_view kHelp = R"(Usage: veilmark [--decrypt] [PICTURE] [Qt options]
       veilmark --help | --version

Opens Veilmark's window, which hides a short text message in a picture and
reads it back with the same password. A PICTURE named here opens on the
Encrypt tab, or with --decrypt on the Decrypt tab, as if opened by hand.
Qt's own options, such as -platform NAME, are accepted too; any other
option is an error.

  -h, --help               show this help
      --version            show the version
      --decrypt [PICTURE]  open on the Decrypt tab (with PICTURE, open it there)

veilmark-cli does the same from the command line; see veilmark-cli --help.
)";

// Qt's options, as QGuiApplication, QApplication and the X11 plugin take them
// (with one dash or two); these must reach Qt untouched.
const char* const kQtOptionsWithValue[] = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "title",         "name",
    "style",           "stylesheet",         "qmljsdebugger"};
const char* const kQtFlags[] = {"reverse", "widgetcount", "nograb", "dograb", "sync"};

// Veilmark's own options, with the only spelling each has (Qt would take any with one
// dash or two).
struct OwnOption {
    const char* spelling;
    const char* name;
};
constexpr OwnOption kOwnOptions[] = {
    {"-h", "h"}, {"--help", "help"}, {"--version", "version"}, {"--decrypt", "decrypt"}};
constexpr std::string_view kJoinedDecrypt = "--decrypt=";

// An option word's name, as the parser reads it: no dashes, no "=value".
QString optionName(const QString& word) {
    const QString bare = word.startsWith(QLatin1String("--")) ? word.mid(2) : word.mid(1);
    return bare.section(u'=', 0, 0);
}

void addOptions(QCommandLineParser& parser) {
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOption(QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")}));
    parser.addOption(QCommandLineOption(QStringLiteral("version")));
    parser.addOption(QCommandLineOption(QStringLiteral("decrypt")));
    for (const char* name : kQtOptionsWithValue) {
        QCommandLineOption option(QString::fromLatin1(name), {}, QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : kQtFlags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

ProgramOptions usage(std::string error) {
    ProgramOptions options;
    options.action = ProgramOptions::Action::Usage;
    // Said on a terminal: a name's control characters are shown, not obeyed.
    options.error = visibleText(error, false);
    return options;
}

// The words as the parser takes them, with the program's name first. A joined
// --decrypt=PICTURE becomes the flag and the picture; a misspelt option of our own
// (--Help, --decrypt-ed) is refused, with its word.
Result<QStringList> parserWords(const std::vector<std::string_view>& args) {
    QStringList words{QStringLiteral("veilmark")};
    bool options = true;
    for (std::string_view arg : args) {
        QString word = QString::fromUtf8(arg.data(), qsizetype(arg.size()));
        if (options && word == QLatin1String("--")) options = false;
        if (options && word.size() > 1 && word.startsWith(u'-')) {
            if (arg.starts_with(kJoinedDecrypt)) {
                words << QStringLiteral("--decrypt");
                word = word.mid(qsizetype(kJoinedDecrypt.size()));
                if (word.isEmpty()) continue;
            } else {
                for (const OwnOption& own : kOwnOptions)
                    if (optionName(word) == QLatin1String(own.name) &&
                        word.section(u'=', 0, 0) != QLatin1String(own.spelling))
                        return failure("unknown option " + word.toStdString());
            }
        }
        words << word;
    }
    return words;
}

// The first word that the parser read as this unknown option.
std::string wordFor(const QString& name, const QStringList& words) {
    for (const QString& word : words) {
        if (word == QLatin1String("--")) break;
        if (word.startsWith(u'-') && optionName(word) == name) return word.toStdString();
    }
    return name.toStdString();
}

std::string parserError(const QCommandLineParser& parser, const QStringList& words) {
    if (!parser.unknownOptionNames().isEmpty())
        return "unknown option " + wordFor(parser.unknownOptionNames().front(), words);
    // A Qt option without its value, or a flag with one: the parser's own words.
    QString text = parser.errorText();
    if (text.endsWith(u'.')) text.chop(1);
    if (!text.isEmpty()) text[0] = text[0].toLower();
    return text.toStdString();
}

int print(std::FILE* stream, std::string_view text) {
    const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    return std::fflush(stream) == 0 && written ? 0 : 1;
}

}  // namespace

ProgramOptions parseProgramOptions(const std::vector<std::string_view>& args) {
    const Result<QStringList> read = parserWords(args);
    if (!read) return usage(read.error());
    const QStringList& words = *read;
    QCommandLineParser parser;
    addOptions(parser);
    const bool parsed = parser.parse(words);
    ProgramOptions options;
    // --help and --version answer whatever else the line holds, as they always have.
    if (parser.isSet(QStringLiteral("help"))) {
        options.action = ProgramOptions::Action::Help;
        return options;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        options.action = ProgramOptions::Action::Version;
        return options;
    }
    if (!parsed) return usage(parserError(parser, words));
    const QStringList pictures = parser.positionalArguments();
    if (pictures.size() > 1)
        return usage("one picture at most, but " + pictures[1].toStdString() + " is another");
    options.picture.onDecrypt = parser.isSet(QStringLiteral("decrypt"));
    if (!pictures.isEmpty()) options.picture.path = pictures.front().toStdString();
    return options;
}

int answerOnTerminal(const ProgramOptions& options) {
    switch (options.action) {
        case ProgramOptions::Action::Help:
            return print(stdout, kHelp);
        case ProgramOptions::Action::Version:
            return print(stdout, "veilmark " VEILMARK_VERSION "\n");
        case ProgramOptions::Action::Usage:
            print(stderr, "veilmark: " + options.error + " (see veilmark --help)\n");
            return 2;
        case ProgramOptions::Action::Window:
            break;
    }
    return 0;
}

}  // namespace vm::ui

#include "cli/args.h"

#include <charconv>
#include <iterator>

namespace vm::cli {

namespace {

enum class Option { Password, PasswordFile, Message, MessageFile, Area, Help, Version };

struct OptionName {
    const char* longName;
    char shortName;  // 0: none
    Option option;
    bool takesValue;
};

constexpr OptionName kOptions[] = {
    {"password", 'p', Option::Password, true}, {"password-file", 0, Option::PasswordFile, true},
    {"message", 'm', Option::Message, true},   {"message-file", 0, Option::MessageFile, true},
    {"area", 0, Option::Area, true},           {"help", 'h', Option::Help, false},
    {"version", 0, Option::Version, false},
};

const OptionName* findLong(std::string_view name) {
    for (const OptionName& o : kOptions)
        if (name == o.longName) return &o;
    return nullptr;
}

const OptionName* findShort(char name) {
    for (const OptionName& o : kOptions)
        if (o.shortName != 0 && name == o.shortName) return &o;
    return nullptr;
}

std::string spelled(const OptionName& o) {
    return o.shortName != 0 ? std::string("-") + o.shortName + "/--" + o.longName
                            : std::string("--") + o.longName;
}

bool parseDimension(std::string_view text, std::int32_t& value) {
    if (text.empty() || text.front() < '0' || text.front() > '9') return false;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value > 0;
}

class Parser {
  public:
    explicit Parser(const std::vector<std::string>& words) : m_words(words) {}

    Result<Arguments> run() {
        if (m_words.empty()) return fail("no command given; use hide, reveal or scan");
        const std::string& first = m_words.front();
        if (first == "hide") {
            m_arguments.command = Command::Hide;
        } else if (first == "reveal") {
            m_arguments.command = Command::Reveal;
        } else if (first == "scan") {
            m_arguments.command = Command::Scan;
        } else if (first == "--help" || first == "-h" || first == "help") {
            m_arguments.command = Command::Help;
            return result();
        } else if (first == "--version") {
            m_arguments.command = Command::Version;
            return result();
        } else if (!first.empty() && first.front() == '-') {
            return fail("the command (hide, reveal or scan) comes before the options, not " +
                        first);
        } else {
            return fail("unknown command '" + first + "'; use hide, reveal or scan");
        }

        std::vector<std::string> files;
        bool optionsEnded = false;
        for (m_next = 1; m_next < m_words.size();) {
            const std::string& word = m_words[m_next++];
            if (optionsEnded || word == "-" || word.empty() || word.front() != '-') {
                files.push_back(word);
            } else if (word == "--") {
                optionsEnded = true;
            } else if (!takeOption(word)) {
                return result();
            } else if (m_stop) {
                return result();
            }
        }
        return finish(files);
    }

  private:
    std::string commandName() const {
        switch (m_arguments.command) {
            case Command::Hide:
                return "hide";
            case Command::Scan:
                return "scan";
            default:
                return "reveal";
        }
    }

    Result<Arguments> result() const {
        if (!m_error.empty()) return failure(m_error);
        return m_arguments;
    }

    Result<Arguments> fail(std::string why) {
        m_error = std::move(why);
        return result();
    }

    // Keeps the error for the result(); false, so that option handlers can return it.
    bool refuse(std::string why) {
        m_error = std::move(why);
        return false;
    }

    // False after an error (kept in m_error).
    bool takeOption(const std::string& word) {
        const OptionName* option = nullptr;
        std::optional<std::string> value;
        if (word.rfind("--", 0) == 0) {
            const std::size_t eq = word.find('=');
            const std::string name = word.substr(2, eq == std::string::npos ? eq : eq - 2);
            option = findLong(name);
            if (!option) return refuse("unknown option --" + name);
            if (eq != std::string::npos) {
                if (!option->takesValue) return refuse("option --" + name + " takes no value");
                value = word.substr(eq + 1);
            }
        } else {
            option = findShort(word[1]);
            if (!option) return refuse("unknown option " + word.substr(0, 2));
            if (word.size() > 2) {
                if (!option->takesValue) return refuse("unknown option " + word);
                value = word.substr(2);
            }
        }
        if (option->takesValue && !value) {
            if (m_next >= m_words.size()) return refuse("option " + word + " needs a value");
            value = m_words[m_next++];
        }
        return apply(*option, value.value_or(std::string()));
    }

    bool apply(const OptionName& option, std::string value) {
        Arguments& a = m_arguments;
        switch (option.option) {
            case Option::Help:
                a.command = Command::Help;
                m_stop = true;
                return true;
            case Option::Version:
                a.command = Command::Version;
                m_stop = true;
                return true;
            case Option::Password:
            case Option::PasswordFile:
                if (a.command == Command::Scan)
                    return refuse("scan takes no password (" + spelled(option) +
                                  "): it tries them all");
                if (a.password || a.passwordFile)
                    return refuse("give the password once: -p, --password or --password-file");
                (option.option == Option::Password ? a.password : a.passwordFile) =
                    std::move(value);
                return true;
            case Option::Message:
            case Option::MessageFile:
                if (a.command != Command::Hide)
                    return refuse(commandName() + " takes no message (" + spelled(option) + ")");
                if (a.message || a.messageFile)
                    return refuse("give the message once: -m, --message or --message-file");
                (option.option == Option::Message ? a.message : a.messageFile) = std::move(value);
                return true;
            case Option::Area:
                if (a.command == Command::Hide)
                    return refuse(
                        "--area is for reveal and scan only; hide always uses the size of INPUT");
                if (a.area) return refuse("give --area once");
                a.area = parseAreaSize(value);
                if (!a.area)
                    return refuse("--area wants WIDTHxHEIGHT in points, such as 640x480, not '" +
                                  value + "'");
                return true;
        }
        return false;
    }

    Result<Arguments> finish(std::vector<std::string>& files) {
        Arguments& a = m_arguments;
        if (a.command == Command::Hide) {
            if (!a.message && !a.messageFile)
                return fail("hide needs a message: -m MESSAGE or --message-file FILE");
            if (files.size() < 2) return fail("hide needs two files: INPUT and OUTPUT");
            if (files.size() > 2)
                return fail("hide takes two files, INPUT and OUTPUT; '" + files[2] +
                            "' is one too many");
            a.input = files[0];
            a.output = files[1];
        } else {
            if (files.empty()) return fail(commandName() + " needs the file to read: INPUT");
            if (files.size() > 1)
                return fail(commandName() + " takes one file, INPUT; '" + files[1] +
                            "' is one too many");
            a.input = files[0];
        }
        return result();
    }

    const std::vector<std::string>& m_words;
    std::size_t m_next = 0;
    bool m_stop = false;
    Arguments m_arguments;
    std::string m_error;  // why the line is refused; empty while it is not
};

}  // namespace

std::optional<AreaSize> parseAreaSize(const std::string& text) {
    const std::size_t x = text.find_first_of("xX");
    if (x == std::string::npos) return std::nullopt;
    AreaSize size;
    const std::string_view all(text);
    if (!parseDimension(all.substr(0, x), size.width) ||
        !parseDimension(all.substr(x + 1), size.height))
        return std::nullopt;
    return size;
}

Result<Arguments> parseArguments(const std::vector<std::string>& words) {
    return Parser(words).run();
}

}  // namespace vm::cli

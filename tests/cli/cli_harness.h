#pragma once
// Runs veilmark-cli's commands in this process, with the streams, environment and
// terminal of the test, and the core's own picture files.

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/terminal.h"
#include "imaging/qt_picture_decoder.h"

namespace vm::test {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

struct CliHarness {
    std::map<std::string, std::string> environment;
    std::string input;      // standard input
    bool terminal = false;  // whether there is a terminal to ask for a password on
    // Which of standard input, output and error are terminals.
    bool inputIsTerminal = false, outputIsTerminal = false, errorIsTerminal = false;
    std::deque<std::optional<std::string>> typed;  // answers to the prompts, hidden or not
    std::vector<std::string> prompts;              // the prompts shown
    QtPictureDecoder decoder;

    CliRun run(const std::vector<std::string>& words) {
        std::istringstream in(input);
        std::ostringstream err;
        std::string out;
        cli::Console console{
            in,
            [&out](std::string_view bytes) -> Result<void> {
                out.append(bytes);
                return {};
            },
            err,
            [this](const char* name) -> std::optional<std::string> {
                auto it = environment.find(name);
                if (it == environment.end()) return std::nullopt;
                return it->second;
            },
            terminal,
            inputIsTerminal,
            outputIsTerminal,
            errorIsTerminal,
            [this](const std::string& prompt) -> Result<std::string> {
                std::optional<std::string> line = answer(prompt);
                if (!line) return failure("nothing was typed", cli::TerminalProblem::NothingTyped);
                return std::move(*line);
            },
            [this](const std::string& prompt) { return answer(prompt); },
            decoder,
        };
        CliRun result;
        result.status = cli::runProgram(words, console);
        result.out = out;
        result.err = err.str();
        return result;
    }

    std::optional<std::string> answer(const std::string& prompt) {
        prompts.push_back(prompt);
        if (typed.empty()) return std::nullopt;
        std::optional<std::string> line = typed.front();
        typed.pop_front();
        return line;
    }
};

// Whether the text is exactly one line that starts with the program's name.
inline bool oneErrorLine(const std::string& err) {
    return err.rfind("veilmark-cli: ", 0) == 0 && err.find('\n') == err.size() - 1;
}

// One run of a table: the words, and the status, standard output and part of the one
// error line ("" for none) it must give.
struct RunRow {
    const char* name;
    std::vector<std::string> words;
    int status;
    std::string out;
    const char* err;
};

inline void expectRun(const CliRun& r, const RunRow& row) {
    EXPECT_EQ(r.status, row.status) << row.name << ": " << r.err;
    EXPECT_EQ(r.out, row.out) << row.name;
    if (*row.err == 0) {
        EXPECT_EQ(r.err, "") << row.name;
    } else {
        EXPECT_TRUE(oneErrorLine(r.err)) << row.name << ": " << r.err;
        EXPECT_NE(r.err.find(row.err), std::string::npos) << row.name << ": " << r.err;
    }
}

}  // namespace vm::test

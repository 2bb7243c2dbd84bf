#include "cli/console.h"

#include <ostream>

#include "platform/visible_text.h"

namespace vm::cli {

namespace {

// One line for standard error: no line breaks, and a sentence of the core starts
// in lower case after the program's name, as the lines of our own do.
std::string asLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    if (text.size() > 1 && text[0] >= 'A' && text[0] <= 'Z' && text[1] >= 'a' && text[1] <= 'z')
        text[0] = static_cast<char>(text[0] - 'A' + 'a');
    return text;
}

}  // namespace

std::string shown(const Console& console, const std::string& text, bool onError) {
    return (onError ? console.errorIsTerminal : console.outputIsTerminal) ? visibleText(text, false)
                                                                          : text;
}

void say(Console& console, const std::string& text) {
    console.err << kProgram << ": " << shown(console, asLine(text), true) << '\n';
    console.err.flush();
}

int report(Console& console, const Failure& why) {
    say(console, why.message);
    return exitStatusFor(why);
}
int report(Console& console, ExitStatus status, const std::string& why) {
    return report(console, stopped(status, why));
}

}  // namespace vm::cli

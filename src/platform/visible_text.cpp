#include "platform/visible_text.h"

#include <cstdint>

namespace vm {

namespace {

void appendOctal(std::string& out, unsigned char byte) {
    out += '\\';
    out += static_cast<char>('0' + ((byte >> 6) & 7));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
}

// The length of the well-formed UTF-8 sequence at the start of rest, 0 if there is
// none (overlong forms, surrogates and values past U+10FFFF are not).
std::size_t sequenceLength(std::string_view rest, std::uint32_t& code) {
    const auto lead = static_cast<unsigned char>(rest[0]);
    std::size_t length = 0;
    std::uint32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, code = lead & 0x1Fu, least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, code = lead & 0x0Fu, least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, code = lead & 0x07u, least = 0x10000;
    } else {
        return 0;
    }
    if (rest.size() < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(rest[i]);
        if ((next & 0xC0) != 0x80) return 0;
        code = (code << 6) | (next & 0x3Fu);
    }
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

char escapeLetter(unsigned char byte) {
    switch (byte) {
        case '\a':
            return 'a';
        case '\b':
            return 'b';
        case '\t':
            return 't';
        case '\n':
            return 'n';
        case '\v':
            return 'v';
        case '\f':
            return 'f';
        case '\r':
            return 'r';
        case '\\':
            return '\\';
        default:
            return 0;
    }
}

}  // namespace

std::string visibleText(std::string_view bytes, bool keepLineBreaks) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (keepLineBreaks && (byte == '\n' || bytes.substr(i, 2) == "\r\n")) {
            const std::size_t length = byte == '\n' ? 1 : 2;
            out.append(bytes.substr(i, length));
            i += length;
        } else if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            out += static_cast<char>(byte);
            ++i;
        } else if (const char letter = escapeLetter(byte)) {
            out += '\\';
            out += letter;
            ++i;
        } else if (std::uint32_t code = 0; byte >= 0x80) {
            const std::size_t length = sequenceLength(bytes.substr(i), code);
            const bool shown = length != 0 && code >= 0xA0;
            for (std::size_t k = 0; k < (length == 0 ? 1 : length); ++k) {
                if (shown) {
                    out += bytes[i + k];
                } else {
                    appendOctal(out, static_cast<unsigned char>(bytes[i + k]));
                }
            }
            i += length == 0 ? 1 : length;
        } else {
            appendOctal(out, byte);
            ++i;
        }
    }
    return out;
}

}  // namespace vm

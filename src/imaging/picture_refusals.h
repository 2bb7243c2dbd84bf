#pragma once
// What the user is told when a picture cannot be opened, naming the file: one set
// of sentences for the windows, veilmark-cli and the web page.

#include <cstdint>
#include <string>

#include "platform/result.h"

namespace vm {

struct PictureRefusals {
    const std::string& path;

    Failure tooLarge(std::uint64_t w, std::uint64_t h) const {
        return failure("The picture in " + path + " is too large to open (" + std::to_string(w) +
                       " x " + std::to_string(h) + " points).");
    }
    Failure damaged() const {
        return failure("The picture in " + path +
                       " is damaged or incomplete and cannot be opened.");
    }
    Failure cutShort() const {
        return failure("The picture in " + path + " is incomplete: the file ends too early.");
    }
    Failure noMemory() const {
        return failure("There is not enough memory to open the picture in " + path + ".");
    }
    Failure notAPicture() const {
        return failure(
            "The file " + path +
            " is not a picture Veilmark can read (bitmap, GIF, JPEG, PNG and the like).");
    }
    Failure unsupported(const std::string& variant) const {
        return failure("The bitmap in " + path + " uses a variant Veilmark cannot open (" +
                       variant + ").");
    }
    Failure empty() const { return failure("The file " + path + " is empty."); }
};

}  // namespace vm

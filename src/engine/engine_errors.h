#pragma once
// Failures that stop a hide or reveal before it is done.

#include <cstddef>
#include <stdexcept>
#include <string>

namespace vm {

// A character the code page has no byte for.
class UnsupportedCharacter : public std::runtime_error {
  public:
    UnsupportedCharacter(char32_t ch, std::size_t index)
        : std::runtime_error("unsupported character"), character(ch), position(index) {}
    char32_t character;
    std::size_t position;  // 0-based
};

// No fresh slot is left for the next bit: the working area is too small.
class SlotsExhausted : public std::runtime_error {
  public:
    SlotsExhausted() : std::runtime_error("no fresh slot left in the working area") {}
};

}  // namespace vm

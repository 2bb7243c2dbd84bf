#pragma once
// Checked integer conversions: a value that does not fit its target is an
// OverflowError that stops the operation, never a silently truncated value.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace vm {

class OverflowError : public std::runtime_error {
  public:
    explicit OverflowError(const std::string& what) : std::runtime_error(what) {}
};

std::uint8_t toByte(std::int64_t value);
std::int32_t toInt32(std::int64_t value);

// Nearest whole number, halves to the even neighbour; overflow checked.
std::int32_t roundToInt32(double value);

}  // namespace vm

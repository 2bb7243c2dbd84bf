#pragma once
// The runtime's pseudo-random source, reproduced bit for bit: a 24-bit linear
// congruential generator. A picture can only be read back by a program that
// draws the same stream, so nothing here may change.

#include <cstdint>

namespace vm {

class RandomSource {
  public:
    static constexpr std::uint32_t kInitialState = 0x50000;
    // The state bits randomize() sets from its seed; it keeps the others as they were.
    static constexpr std::uint32_t kRandomizedBits = 0xFFFF00;

    // Next value of the stream, 0 <= r < 1.
    float next();
    // With a negative argument: jump to a state made from the argument's bits, then
    // draw. Zero repeats the last value; a positive argument draws as next().
    float next(float argument);
    // Mixes the seed's high word into the state; the low and high bytes are kept.
    void randomize(double seed);

    std::uint32_t state() const { return m_state; }
    void setState(std::uint32_t state) { m_state = state & kMask; }

  private:
    static constexpr std::uint32_t kMask = 0xFFFFFF;
    float value() const { return static_cast<float>(m_state) / 16777216.0f; }

    std::uint32_t m_state = kInitialState;
};

}  // namespace vm

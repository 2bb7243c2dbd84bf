#pragma once
// The reveal, the one way the window, the page and veilmark-cli run it: steps the
// front end calls in this order (the window runs the second off its thread).
//   1. check()   refuses, before anything is read: no picture opened yet (said in a
//                plain box, of kind RevealProblem::NoPicture), or a password that has
//                no seed (too long, or a character the code page cannot carry);
//   2. read()    reads the password's own slots and the sealed slots, deriving a key
//                only where a sealed message is (about 0.1 s here). A picture read
//                in place from a file that changed meanwhile reads black where the
//                file was cut: read() refuses it then, so no front end shows that;
//   3. shown()   what the Decrypt box shows and why a sealed message stays closed;
//      reading() both readings, for veilmark-cli, which writes out both.

#include <cstdint>
#include <string>
#include <string_view>

#include "engine/random_source.h"
#include "engine/sealed_payload.h"
#include "imaging/canvas.h"
#include "imaging/working_area.h"
#include "platform/result.h"

namespace vm {

enum class RevealProblem { NoPicture };

class RevealFlow {
  public:
    // The Decrypt tab's canvas, the working area and the generator the reveal draws
    // with; the flow keeps them by reference.
    RevealFlow(const Canvas& canvas, const WorkingArea& area, RandomSource& generator)
        : m_canvas(canvas), m_area(area), m_generator(generator) {}

    // 1. A picture opened, and the password's seed. Keeps the password for read().
    Result<void> check(std::u32string_view password);
    // 2. What the password reads, or why what was read cannot be trusted.
    Result<void> read();
    // 3. What a box shows for the reading.
    ShownReading shown() const { return shownReading(m_reading); }
    const PasswordReading& reading() const { return m_reading; }

  private:
    const Canvas& m_canvas;
    const WorkingArea& m_area;
    RandomSource& m_generator;
    std::u32string m_password;
    bool m_checked = false;
    PasswordReading m_reading;
};

}  // namespace vm

#pragma once
// The hide, the one way the window, the page and veilmark-cli run it: steps the
// front end calls in this order, doing its own part (asking, choosing where the
// picture goes) in between.
//   1. check()       refuses, before anything is asked or changed, what cannot work;
//                    it makes the plan: the seed and the payload's bytes (makePlan);
//   2. question()    what to ask before going on, if anything;
//   3. write()       the payload into the canvas, committed into its picture;
//   4. save() or saveToMemory(): the bitmap, read back and compared byte for byte
//                    with the plan's payload before it replaces a file or is handed
//                    over.
// A step that fails gives the sentence to say and leaves its canvas and files as
// they were. A sealed hide (Sealing::On) runs the same steps: check() refuses what
// cannot be sealed and then seals the message with the password (one key
// derivation, about 0.1 s here), and the read-back compares the sealed bytes, so the
// key is never derived twice.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/hide_reveal.h"
#include "engine/random_source.h"
#include "imaging/canvas.h"
#include "imaging/picture_saving.h"
#include "imaging/working_area.h"
#include "platform/result.h"

namespace vm {

// Whether the message is hidden plain (concealed only) or sealed with the password.
enum class Sealing { Off, On };

class HideFlow {
  public:
    // The Encrypt tab's canvas, the working area and the generator the hide draws
    // with; the flow keeps them by reference.
    HideFlow(Canvas& canvas, const WorkingArea& area, RandomSource& generator,
             Sealing sealing = Sealing::Off)
        : m_canvas(canvas), m_area(area), m_generator(generator), m_sealing(sealing) {}

    // What is hidden where: the seed and the payload for the password and message,
    // or a refusal (a Refusal, or a SealProblem when sealing) when they cannot be
    // hidden in `area`. Sealing, this derives the key.
    Result<HidePlan> makePlan(std::u32string_view password, std::u32string_view message,
                              const WorkingArea& area) const;
    // The refusals no picture could avoid, before one is read (veilmark-cli asks this
    // first, so that a refused message costs no reading). Never derives a key.
    Result<void> checkTexts(std::u32string_view password, std::u32string_view message) const;

    // 1. The pictures (one opened, one on the Encrypt tab, an area that fits in it),
    //    then the plan over the working area. Keeps the plan for the steps after.
    Result<void> check(std::u32string_view password, std::u32string_view message);
    // 2. The question to put (titled kPartOfPictureTitle) before going on, when only
    //    part of the picture would carry the message.
    std::optional<std::string> question() const;
    // 3. Hides the planned payload and makes the written points the canvas's picture.
    Result<void> write();
    // 4. Writes the picture to the path as a bitmap, read back before it replaces an
    //    existing file, which otherwise stays as it was (see savePicture). `faults`
    //    are a test's.
    Result<void> save(const std::string& path, const ReplacementFaults& faults = {}) const;
    //    The same bitmap as bytes; `name` says where they go, for a failure's sentence.
    Result<std::vector<std::uint8_t>> saveToMemory(const std::string& name) const;

    // The plan check() made; empty before.
    const std::optional<HidePlan>& plan() const { return m_plan; }

  private:
    const HidePlan& checkedPlan() const;
    // Reading the written picture back: the payload's bytes at the plan's seed must
    // be the plan's payload.
    WrittenPictureCheck readBack(const std::string& target) const;

    Canvas& m_canvas;
    const WorkingArea& m_area;
    RandomSource& m_generator;
    Sealing m_sealing;
    std::optional<HidePlan> m_plan;
};

}  // namespace vm

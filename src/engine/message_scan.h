#pragma once
// Reading a picture without its password. The reset before every hide and reveal
// leaves the generator in one of only 65,536 states, whatever the seed, so trying
// each of them finds every message a picture carries.

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/canvas.h"
#include "imaging/working_area.h"

namespace vm {

// Every state the reset can leave, lowest first: the state bits randomize() sets
// take all their values, the others hold what the reset's first step left there.
std::vector<std::uint32_t> statesAfterReset();

// The different messages hidden in the picture under any password, in the order of
// the first state that reads each. Nothing when the area cannot hold a payload.
std::vector<std::u32string> scanMessages(const Canvas& canvas, const WorkingArea& area);

}  // namespace vm

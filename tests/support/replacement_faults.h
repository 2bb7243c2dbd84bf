#pragma once
// The faults tests give a save, one at a time.

#include <optional>

#include "platform/file_replacement.h"

namespace vm::test {

inline ReplacementFaults writesFailWith(std::optional<int> err) {
    ReplacementFaults faults;
    faults.writeErrno = err;
    return faults;
}

inline ReplacementFaults namedStaging(bool named = true) {
    ReplacementFaults faults;
    faults.namedStaging = named;
    return faults;
}

}  // namespace vm::test

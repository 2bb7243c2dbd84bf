#pragma once
// Whether the first bytes of a stream can begin a picture that some decoder reads,
// so that a pipe carrying something else is refused at once, not after gigabytes.

#include <cstddef>
#include <cstdint>

namespace vm {

// At least the first 32 bytes, or all there are. False only where no format the
// decoders know (their signatures, or for the two without one, TGA and WBMP, the
// header fields their readers check) can start so.
bool mayBePicture(const std::uint8_t* bytes, std::size_t size);

}  // namespace vm

#pragma once
// Spreads a packed 64-bit key over the slots of an open-addressing table whose
// size is a power of two: nearby keys land far apart.

#include <cstddef>
#include <cstdint>

namespace vm {

inline std::size_t hashKey(std::uint64_t key) {
    key ^= key >> 33;
    key *= 0xff51afd7ed558ccdULL;
    key ^= key >> 33;
    return static_cast<std::size_t>(key);
}

}  // namespace vm

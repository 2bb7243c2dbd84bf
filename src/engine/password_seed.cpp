#include "engine/password_seed.h"

#include <vector>

#include "engine/code_page.h"
#include "platform/checked.h"

namespace vm {

std::int32_t passwordSeedFromCodes(const std::int16_t* codes, std::size_t count) {
    // The character count and the position counter are 16-bit: 32,767 does not fit past the end.
    if (count > kMaxPasswordLength)
        throw OverflowError("Overflow: a password of " + std::to_string(count) +
                            " characters is too long");
    std::uint32_t acc = 0;
    unsigned a = 3, b = 17;
    for (std::size_t i = 0; i < count; ++i) {
        const std::int64_t c = codes[i];
        const std::int32_t t1 = toInt32(c * (std::int64_t{1} << a));
        const std::int32_t t2 = toInt32(c * (std::int64_t{1} << b));
        acc ^= static_cast<std::uint32_t>(t1) ^ static_cast<std::uint32_t>(t2);
        a = (a + 7) % 19;
        b = (b + 13) % 23;
    }
    return static_cast<std::int32_t>(acc);
}

std::int32_t passwordSeed(std::u32string_view password) {
    if (password.size() > kMaxPasswordLength)
        return passwordSeedFromCodes(nullptr, password.size());  // throws
    std::vector<std::int16_t> codes(password.size());
    for (std::size_t i = 0; i < password.size(); ++i) {
        // The caller has checked every character (seedFor refuses the others).
        codes[i] = static_cast<std::int16_t>(ansiCode(password[i]).value());
    }
    return passwordSeedFromCodes(codes.data(), codes.size());
}

}  // namespace vm

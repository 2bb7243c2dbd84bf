#include "engine/sealed_field.h"

#include <sodium.h>

#include "engine/code_page.h"
#include "engine/hide_reveal.h"
#include "platform/utf8.h"

namespace vm {

namespace {

constexpr std::size_t kSaltAt = 2;
constexpr std::size_t kCipherAt = kSaltAt + SealSalt{}.size();  // 18
constexpr std::size_t kInnerSize = 2 + kMaxSealedText;          // form, length, text
constexpr std::size_t kTagSize = crypto_aead_xchacha20poly1305_ietf_ABYTES;
static_assert(kCipherAt + kInnerSize + kTagSize == kSealedFieldSize);
constexpr std::size_t kKeySize = crypto_aead_xchacha20poly1305_ietf_KEYBYTES;
constexpr std::size_t kNonceSize = crypto_aead_xchacha20poly1305_ietf_NPUBBYTES;
// Format 1's cost: Argon2id v1.3, three passes over 64 MiB, one lane.
constexpr unsigned long long kPasses = 3;
constexpr std::size_t kMemory = std::size_t{64} << 20;

enum Form : std::uint8_t { kAnsiForm = 0, kUtf8Form = 1 };

constexpr const char* kNotOpened =
    "A sealed message is hidden here, and this password does not open it.";

// The text in the code page, one byte a character; nothing when a character has no byte.
std::optional<std::string> ansiBytes(std::u32string_view text) {
    std::string bytes;
    for (const char32_t ch : text) {
        const std::optional<std::uint8_t> code = ansiCode(ch);
        if (!code) return std::nullopt;
        bytes.push_back(static_cast<char>(*code));
    }
    return bytes;
}

Failure problem(SealProblem why, std::string sentence) {
    return failure(std::move(sentence), why);
}

// The key and nonce for a password and a salt, wiped when it goes.
class SealKey {
  public:
    SealKey() = default;
    SealKey(const SealKey&) = delete;
    SealKey& operator=(const SealKey&) = delete;
    ~SealKey() { sodium_memzero(m_bytes.data(), m_bytes.size()); }

    bool derive(std::u32string_view password, const std::uint8_t* salt) {
        std::string utf8 = toUtf8(password);
        const int status = crypto_pwhash(m_bytes.data(), m_bytes.size(), utf8.data(), utf8.size(),
                                         salt, kPasses, kMemory, crypto_pwhash_ALG_ARGON2ID13);
        sodium_memzero(utf8.data(), utf8.size());
        return status == 0;
    }
    const unsigned char* key() const { return m_bytes.data(); }
    const unsigned char* nonce() const { return m_bytes.data() + kKeySize; }

  private:
    std::array<unsigned char, kKeySize + kNonceSize> m_bytes{};
};

Failure noMemory() {
    return problem(SealProblem::NoMemory,
                   "There is not enough memory to seal or open a message: it needs 64 MiB.");
}

Failure notStarted() {
    return problem(SealProblem::NoMemory,
                   "The cryptography library could not start, so nothing can be sealed or "
                   "opened.");
}

bool sodiumReady() {
    static const bool kReady = sodium_init() >= 0;
    return kReady;
}

// The 22 payload bytes before the ciphertext, which the tag also covers.
std::array<unsigned char, 4 + kCipherAt> associatedData(const unsigned char* fieldStart) {
    std::array<unsigned char, 4 + kCipherAt> data{0xFF, 'V', 'M', 'K'};
    std::copy(fieldStart, fieldStart + kCipherAt, data.begin() + 4);
    return data;
}

}  // namespace

bool isSealedField(std::string_view payloadText) {
    return !payloadText.empty() && static_cast<std::uint8_t>(payloadText[0]) == kSealedMark;
}

Result<void> checkSealable(std::u32string_view password, std::u32string_view text) {
    if (password.empty())
        return problem(SealProblem::EmptyPassword,
                       "Sealing needs a password: the empty password cannot seal a message.");
    const Result<std::int32_t> usable = seedFor(password);
    if (!usable) return usable.why();
    const std::optional<std::string> ansi = ansiBytes(text);
    const std::size_t bytes = ansi ? ansi->size() : toUtf8(text).size();
    if (bytes > kMaxSealedText)
        return problem(SealProblem::TextTooLong,
                       "The message is too long to seal: a sealed message holds at most " +
                           std::to_string(kMaxSealedText) + " bytes, and this one takes " +
                           std::to_string(bytes) + ".");
    return {};
}

Result<std::string> sealText(std::u32string_view password, std::u32string_view text) {
    if (!sodiumReady()) return notStarted();
    SealSalt salt;
    randombytes_buf(salt.data(), salt.size());
    return sealTextWithSalt(password, text, salt);
}

Result<std::string> sealTextWithSalt(std::u32string_view password, std::u32string_view text,
                                     const SealSalt& salt) {
    if (Result<void> ok = checkSealable(password, text); !ok) return ok.why();
    if (!sodiumReady()) return notStarted();
    // Form 0 whenever the code page carries every character: the window's 160
    // typed characters always fit that way.
    const std::optional<std::string> ansi = ansiBytes(text);
    const std::string bytes = ansi ? *ansi : toUtf8(text);
    std::array<unsigned char, kInnerSize> inner{};
    inner[0] = ansi ? kAnsiForm : kUtf8Form;
    inner[1] = static_cast<unsigned char>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), inner.begin() + 2);

    std::string field(kSealedFieldSize, '\0');
    auto* out = reinterpret_cast<unsigned char*>(field.data());
    out[0] = kSealedMark;
    out[1] = kSealedFormat;
    std::copy(salt.begin(), salt.end(), out + kSaltAt);
    SealKey key;
    if (!key.derive(password, salt.data())) return noMemory();
    const auto data = associatedData(out);
    crypto_aead_xchacha20poly1305_ietf_encrypt(out + kCipherAt, nullptr, inner.data(), inner.size(),
                                               data.data(), data.size(), nullptr, key.nonce(),
                                               key.key());
    sodium_memzero(inner.data(), inner.size());
    return field;
}

Result<std::u32string> openField(std::u32string_view password, std::string_view field) {
    if (!isSealedField(field)) return problem(SealProblem::NotOpened, kNotOpened);
    if (field.size() >= 2 && static_cast<std::uint8_t>(field[1]) != kSealedFormat)
        return problem(SealProblem::NewerFormat,
                       "A sealed message is hidden here, but a newer version of Veilmark wrote "
                       "it: this version cannot open it.");
    // No password seals with the empty one: no key to derive for it.
    if (field.size() != kSealedFieldSize || password.empty())
        return problem(SealProblem::NotOpened, kNotOpened);
    if (!sodiumReady()) return notStarted();
    const auto* in = reinterpret_cast<const unsigned char*>(field.data());
    SealKey key;
    if (!key.derive(password, in + kSaltAt)) return noMemory();
    const auto data = associatedData(in);
    std::array<unsigned char, kInnerSize> inner{};
    if (crypto_aead_xchacha20poly1305_ietf_decrypt(inner.data(), nullptr, nullptr, in + kCipherAt,
                                                   kInnerSize + kTagSize, data.data(), data.size(),
                                                   key.nonce(), key.key()) != 0)
        return problem(SealProblem::NotOpened, kNotOpened);
    const std::string_view bytes(reinterpret_cast<const char*>(inner.data() + 2),
                                 std::min<std::size_t>(inner[1], kMaxSealedText));
    std::optional<std::u32string> text;
    if (inner[0] == kAnsiForm && inner[1] <= kMaxSealedText) {
        text.emplace();
        for (const char byte : bytes)
            text->push_back(charFromAnsi(static_cast<std::uint8_t>(byte)));
    } else if (inner[0] == kUtf8Form && inner[1] <= kMaxSealedText) {
        text = fromUtf8(bytes);
    }
    sodium_memzero(inner.data(), inner.size());
    // Only a faulty writer with the password makes an inner block that does not parse.
    if (!text) return problem(SealProblem::NotOpened, kNotOpened);
    return *text;
}

}  // namespace vm

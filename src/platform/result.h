#pragma once
// The one way an operation that can fail on ordinary input reports it: Result<T>
// holds its value, or a Failure with a sentence for the user that says why there
// is none. std::expected would do, but the clang of the fuzz build and emscripten
// cannot compile libstdc++'s <expected>.
//
// A Failure may carry a kind, for callers that act differently on different
// failures (the command line's exit status, say). Each layer names its kinds in
// an enum of its own (BitmapProblem, Refusal, ...); the kind remembers which enum
// it came from, so a value of one family never passes for another's, and a
// failure without a kind is told apart from every kind (it is not 0).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>

namespace vm {

class FailureKind {
  public:
    // No kind: the sentence is all there is to say.
    constexpr FailureKind() = default;
    template <typename Enum>
    requires std::is_enum_v<Enum>
    constexpr FailureKind(
        Enum value)  // NOLINT(google-explicit-constructor): failure(text, kind) reads best
        : m_family(familyOf<Enum>()), m_value(static_cast<std::int64_t>(value)) {}

    constexpr bool none() const { return m_family == 0; }
    // The kind as a value of Enum, or nothing when it is none or of another family.
    template <typename Enum>
    constexpr std::optional<Enum> as() const {
        if (m_family != familyOf<Enum>()) return std::nullopt;
        return static_cast<Enum>(m_value);
    }
    template <typename Enum>
    requires std::is_enum_v<Enum>
    constexpr bool operator==(Enum value) const {
        return m_family == familyOf<Enum>() && m_value == static_cast<std::int64_t>(value);
    }
    constexpr bool operator==(const FailureKind&) const = default;

  private:
    // A number per enum type, the same in every library of the program (the
    // picture module is loaded at run time, so the address of a per-type
    // variable would not do): a hash of the type's name, never 0.
    template <typename Enum>
    static constexpr std::uint32_t familyOf() {
        std::uint32_t hash = 2166136261u;
        for (const char ch : std::string_view(__PRETTY_FUNCTION__))
            hash = (hash ^ static_cast<unsigned char>(ch)) * 16777619u;
        return hash | 1u;
    }

    std::uint32_t m_family = 0;
    std::int64_t m_value = 0;
};

struct Failure {
    std::string message;
    FailureKind kind;
};

inline Failure failure(std::string message, FailureKind kind = {}) {
    return {std::move(message), kind};
}

template <typename T>
class [[nodiscard]] Result {
  public:
    Result(T value) : m_value(std::move(value)) {}
    Result(Failure why) : m_failure(std::move(why)) {}

    explicit operator bool() const { return m_value.has_value(); }
    T& operator*() { return *m_value; }
    const T& operator*() const { return *m_value; }
    T* operator->() { return &*m_value; }
    const T* operator->() const { return &*m_value; }
    // The value, moved out. The result still counts as holding one (in its
    // moved-from state): a result that is neither value nor failure would be a
    // third state for every caller to think of.
    T take() { return std::move(*m_value); }

    const std::string& error() const { return m_failure.message; }
    const FailureKind& kind() const { return m_failure.kind; }
    const Failure& why() const { return m_failure; }

  private:
    std::optional<T> m_value;
    Failure m_failure;
};

template <>
class [[nodiscard]] Result<void> {
  public:
    Result() = default;
    Result(Failure why) : m_failed(true), m_failure(std::move(why)) {}

    explicit operator bool() const { return !m_failed; }
    const std::string& error() const { return m_failure.message; }
    const FailureKind& kind() const { return m_failure.kind; }
    const Failure& why() const { return m_failure; }

  private:
    bool m_failed = false;
    Failure m_failure;
};

}  // namespace vm

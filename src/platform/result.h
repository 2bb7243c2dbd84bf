#pragma once
// What an operation that can fail on ordinary input gives back: its value, or a
// sentence for the user that says why there is none. A kind tells callers that act
// differently on different failures (the command line's exit status, say) apart.

#include <optional>
#include <string>
#include <utility>

namespace vm {

struct Failure {
    std::string message;
    int kind = 0;
};

inline Failure failure(std::string message, int kind = 0) {
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
    // The value, moved out (the result is left without one).
    T take() { return std::move(*m_value); }

    const std::string& error() const { return m_failure.message; }
    int kind() const { return m_failure.kind; }
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
    int kind() const { return m_failure.kind; }
    const Failure& why() const { return m_failure; }

  private:
    bool m_failed = false;
    Failure m_failure;
};

}  // namespace vm

#pragma once
// The points written to a canvas since its picture was assigned: a small
// open-addressing table from a packed (x, y) to a colour. A hide writes a few
// thousand points and reads each one first, so this sits on the hot path.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vm {

class PointMap {
  public:
    struct Entry {
        std::uint64_t key;
        std::int32_t value;
    };

    // The value stored under key, or nullptr.
    const std::int32_t* find(std::uint64_t key) const;
    void set(std::uint64_t key, std::int32_t value);
    void clear();
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    // Every entry, in no particular order.
    std::vector<Entry> entries() const;

  private:
    static constexpr std::uint64_t kEmpty = ~std::uint64_t{0};
    std::size_t indexOf(std::uint64_t key) const;
    void grow();

    std::vector<Entry> m_table;
    std::size_t m_size = 0;
};

}  // namespace vm

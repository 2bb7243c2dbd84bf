#pragma once
// A read-only mapping of a whole file that survives the file being cut short while
// it is read. Reading a mapped page that a truncation removed raises SIGBUS; inside
// a guarded mapping that page reads as zeros instead, and the mapping remembers it,
// so the reader can refuse what it read with a sentence rather than end the program.
// Only faults inside our own mappings are handled: any other SIGBUS, and one sent
// by another process, goes to the handler that was there before or takes its
// default course.

#include <cstddef>
#include <cstdint>
#include <memory>

namespace vm {

struct GuardedRange;

class GuardedMapping {
  public:
    // The first size bytes of the open file fd; nothing when they cannot be mapped
    // (the reader then reads the file some other way).
    static std::unique_ptr<GuardedMapping> map(int fd, std::uint64_t size);
    ~GuardedMapping();
    GuardedMapping(const GuardedMapping&) = delete;
    GuardedMapping& operator=(const GuardedMapping&) = delete;

    const std::uint8_t* data() const { return m_data; }
    std::size_t size() const { return m_size; }
    // True once a read met a page the file no longer had.
    bool cutShort() const;

  private:
    GuardedMapping(const std::uint8_t* data, std::size_t size, GuardedRange* range)
        : m_data(data), m_size(size), m_range(range) {}

    const std::uint8_t* m_data;
    std::size_t m_size;
    // Where the handler that answers for this mapping keeps it. Reached through the
    // object, not a table, because a module with its own copy of this code may read a
    // mapping that the program made.
    GuardedRange* m_range;
};

}  // namespace vm

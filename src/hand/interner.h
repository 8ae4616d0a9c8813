// Keeps one copy of each distinct value while tables are built: equal values get one id, ids
// in order of first appearance, the values stored in the caller's array.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>
#include <vector>

namespace zuvelo::detail {

template <class T>
class Interner {
  // Values are hashed and compared as bytes, so padding would make equal values differ.
  static_assert(std::has_unique_object_representations_v<T>);

 public:
  Interner(T* storage, int capacity)
      : values_(storage), capacity_(capacity), slots_(SlotCount(capacity), 0) {}

  // The id of value; aborts past the capacity, which the tests pin well above the need.
  int Add(const T& value) {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t slot = Hash(value) & mask;; slot = (slot + 1) & mask) {
      const std::uint32_t id = slots_[slot];
      if (id == 0) {
        if (count_ == capacity_) std::abort();
        values_[count_] = value;
        slots_[slot] = static_cast<std::uint32_t>(++count_);
        return count_ - 1;
      }
      if (std::memcmp(&values_[id - 1], &value, sizeof(T)) == 0) return static_cast<int>(id - 1);
    }
  }

  [[nodiscard]] int size() const { return count_; }

 private:
  static std::size_t SlotCount(int capacity) {
    std::size_t n = 1;
    while (n < 2 * static_cast<std::size_t>(capacity)) n *= 2;
    return n;
  }

  // Four bytes at a time: the shape table hashes 400,000 values while the program starts.
  static std::size_t Hash(const T& value) {
    std::uint32_t words[(sizeof(T) + 3) / 4] = {};
    std::memcpy(words, &value, sizeof(T));
    std::uint32_t h = 0;
    for (std::uint32_t w : words) h = (h ^ w) * 0x9E3779B1u;
    return h ^ (h >> 16);
  }

  T* values_;
  int capacity_;
  std::vector<std::uint32_t> slots_;  // id + 1, 0 for free
  int count_ = 0;
};

}  // namespace zuvelo::detail

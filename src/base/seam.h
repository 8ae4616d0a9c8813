// Test seams: a process-wide override that tests install for the length of a scope and code under
// test reads, from any thread. One rule for all of them: every read and every install takes the
// seam's lock, and a read hands out a copy, so an override may change while workers run.
#pragma once

#include <mutex>
#include <utility>

namespace zuvelo {

// `T` is the override, its default value meaning "none installed"; `Tag` tells seams of the same
// type apart. Scopes nest: each one restores what was installed before it.
template <typename T, typename Tag>
class Seam {
 public:
  [[nodiscard]] static T Get() {
    std::lock_guard<std::mutex> hold(Lock());
    return Slot();
  }

  class Scope {
   public:
    explicit Scope(T value) {
      std::lock_guard<std::mutex> hold(Lock());
      previous_ = std::exchange(Slot(), std::move(value));
    }
    ~Scope() {
      std::lock_guard<std::mutex> hold(Lock());
      Slot() = std::move(previous_);
    }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    T previous_{};
  };

 private:
  // Never destroyed: a thread may still read the seam while the process ends.
  static std::mutex& Lock() {
    static auto* lock = new std::mutex;
    return *lock;
  }
  static T& Slot() {
    static auto* slot = new T{};
    return *slot;
  }
};

}  // namespace zuvelo

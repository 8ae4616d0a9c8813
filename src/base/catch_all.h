// The one catch of the program. No C++ exception may leave a thread entry, a window procedure,
// a COM method or the main-thread step: the system code between them and their callers cannot
// unwind, so the process would end on the spot, losing what it had not saved. Each of those
// places runs its body through CatchAll and turns what escaped into its own failure result.
#pragma once

#include <exception>
#include <new>

#include "base/trace.h"

namespace zuvelo {

enum class Escaped { kNothing, kOutOfMemory, kOther };

// Runs `body`; an exception it lets out is written to the trace as "<where> EXCEPTION <what>".
template <class Body>
[[nodiscard]] Escaped CatchAll(const char* where, Body&& body) noexcept {
  try {
    body();
    return Escaped::kNothing;
  } catch (const std::bad_alloc&) {
    trace("%s EXCEPTION out of memory\r\n", where);
    return Escaped::kOutOfMemory;
  } catch (const std::exception& e) {
    trace("%s EXCEPTION %s\r\n", where, e.what());
  } catch (...) {
    trace("%s EXCEPTION\r\n", where);
  }
  return Escaped::kOther;
}

}  // namespace zuvelo

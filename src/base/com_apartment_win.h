// COM start-up for the calling thread, undone only if it worked.
#pragma once

#include <objbase.h>

namespace zuvelo {

// Single-threaded apartment: script objects and the script engine live on the UI thread.
class ComApartment {
 public:
  ComApartment() noexcept : result_(::CoInitialize(nullptr)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) ::CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  [[nodiscard]] bool ok() const noexcept { return SUCCEEDED(result_); }
  [[nodiscard]] HRESULT result() const noexcept { return result_; }

 private:
  HRESULT result_;
};

}  // namespace zuvelo

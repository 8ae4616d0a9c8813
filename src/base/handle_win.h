// One move-only owner for every kind of Win32 handle; the traits say what "none" is and how to
// close. Every Win32 handle the program owns is held through one of the aliases at the end.
#pragma once

#include <windows.h>

#include <utility>

namespace zuvelo {

template <typename Traits>
class unique_handle {
 public:
  using pointer = typename Traits::pointer;

  unique_handle() noexcept = default;
  explicit unique_handle(pointer value) noexcept : value_(value) {}
  ~unique_handle() { reset(); }

  unique_handle(unique_handle&& other) noexcept : value_(other.release()) {}
  unique_handle& operator=(unique_handle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  unique_handle(const unique_handle&) = delete;
  unique_handle& operator=(const unique_handle&) = delete;

  [[nodiscard]] pointer get() const noexcept { return value_; }
  [[nodiscard]] bool valid() const noexcept { return value_ != Traits::invalid(); }
  explicit operator bool() const noexcept { return valid(); }

  // For out-parameters: whatever was held is closed before the address is handed out.
  [[nodiscard]] pointer* put() noexcept {
    reset();
    return &value_;
  }

  [[nodiscard]] pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }

  void reset(pointer value = Traits::invalid()) noexcept {
    pointer old = std::exchange(value_, value);
    if (old != Traits::invalid()) Traits::close(old);
  }

 private:
  pointer value_ = Traits::invalid();
};

// Handles whose "none" is null, closed by `Close`.
template <typename Handle, auto Close>
struct null_handle_traits {
  using pointer = Handle;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { Close(h); }
};

// CreateFile and FindFirstFile report failure with INVALID_HANDLE_VALUE, not null.
template <auto Close>
struct invalid_value_handle_traits {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(pointer h) noexcept { Close(h); }
};

// Events, threads, mutexes.
using unique_kernel_handle = unique_handle<null_handle_traits<HANDLE, &::CloseHandle>>;
using unique_file_handle = unique_handle<invalid_value_handle_traits<&::CloseHandle>>;
using unique_find_handle = unique_handle<invalid_value_handle_traits<&::FindClose>>;
using unique_module = unique_handle<null_handle_traits<HMODULE, &::FreeLibrary>>;
using unique_window = unique_handle<null_handle_traits<HWND, &::DestroyWindow>>;
using unique_menu = unique_handle<null_handle_traits<HMENU, &::DestroyMenu>>;
// A device context the program created (CreateCompatibleDC), not one it borrowed with GetDC.
using unique_device_context = unique_handle<null_handle_traits<HDC, &::DeleteDC>>;
// Bitmaps, brushes, fonts: deleting one still selected into a context fails, so deselect first.
using unique_bitmap = unique_handle<null_handle_traits<HBITMAP, &::DeleteObject>>;

}  // namespace zuvelo

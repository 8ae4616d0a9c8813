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

// Events, threads, mutexes: "none" is null.
struct kernel_handle_traits {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::CloseHandle(h); }
};

// CreateFile reports failure with INVALID_HANDLE_VALUE, not null.
struct file_handle_traits {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(pointer h) noexcept { ::CloseHandle(h); }
};

struct module_traits {
  using pointer = HMODULE;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::FreeLibrary(h); }
};

struct window_traits {
  using pointer = HWND;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DestroyWindow(h); }
};

// FindFirstFile also reports failure with INVALID_HANDLE_VALUE, and needs FindClose.
struct find_handle_traits {
  using pointer = HANDLE;
  static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static void close(pointer h) noexcept { ::FindClose(h); }
};

struct menu_traits {
  using pointer = HMENU;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DestroyMenu(h); }
};

// A device context the program created (CreateCompatibleDC), not one it borrowed with GetDC.
struct device_context_traits {
  using pointer = HDC;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DeleteDC(h); }
};

// Bitmaps, brushes, fonts: deleting one still selected into a context fails, so deselect first.
template <typename Handle>
struct gdi_object_traits {
  using pointer = Handle;
  static pointer invalid() noexcept { return nullptr; }
  static void close(pointer h) noexcept { ::DeleteObject(h); }
};

using unique_kernel_handle = unique_handle<kernel_handle_traits>;
using unique_file_handle = unique_handle<file_handle_traits>;
using unique_find_handle = unique_handle<find_handle_traits>;
using unique_module = unique_handle<module_traits>;
using unique_window = unique_handle<window_traits>;
using unique_menu = unique_handle<menu_traits>;
using unique_device_context = unique_handle<device_context_traits>;
using unique_bitmap = unique_handle<gdi_object_traits<HBITMAP>>;

}  // namespace zuvelo

// Owned reference on a COM-style object (anything with AddRef/Release), move-only.
#pragma once

#include <unknwn.h>

#include <utility>

namespace zuvelo {

template <typename I>
class com_ptr {
 public:
  com_ptr() noexcept = default;
  // Takes over a reference the caller already owns.
  explicit com_ptr(I* adopted) noexcept : p_(adopted) {}
  ~com_ptr() { reset(); }

  // Adds a reference of its own.
  [[nodiscard]] static com_ptr copy_of(I* p) noexcept {
    if (p) p->AddRef();
    return com_ptr(p);
  }

  com_ptr(com_ptr&& other) noexcept : p_(other.release()) {}
  com_ptr& operator=(com_ptr&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  com_ptr(const com_ptr&) = delete;
  com_ptr& operator=(const com_ptr&) = delete;

  [[nodiscard]] I* get() const noexcept { return p_; }
  I* operator->() const noexcept { return p_; }
  explicit operator bool() const noexcept { return p_ != nullptr; }

  // For out-parameters: the reference held before is dropped first.
  [[nodiscard]] I** put() noexcept {
    reset();
    return &p_;
  }
  [[nodiscard]] void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

  // Hands the reference to the caller, e.g. into a VARIANT that takes it over.
  [[nodiscard]] I* release() noexcept { return std::exchange(p_, nullptr); }

  void reset(I* adopted = nullptr) noexcept {
    I* old = std::exchange(p_, adopted);
    if (old) old->Release();
  }

  template <typename J>
  HRESULT query(com_ptr<J>& out) const noexcept {
    if (!p_) return E_POINTER;
    return p_->QueryInterface(__uuidof(J), out.put_void());
  }

 private:
  I* p_ = nullptr;
};

}  // namespace zuvelo

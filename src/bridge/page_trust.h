// Which pages may have window.external: the object reads the user's logs and writes files, so
// only the service's own pages and the two start pages the user chose get it.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace zuvelo {

// True when `address` begins with one of `trusted`. A trusted address counts only when it has
// a scheme and a host ("scheme://host..."); one that ends at its host is taken with a closing
// "/", so "http://a.example" admits neither "http://a.example.evil/" nor
// "http://a.example@evil/". A local address ("file:///C:/pages/") needs no host, only a path
// after it. Comparison is exact: case matters.
[[nodiscard]] bool IsTrustedPage(std::wstring_view address, std::span<const std::wstring> trusted);

}  // namespace zuvelo

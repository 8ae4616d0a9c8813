// The prefix rule for pages that get window.external.
#include "bridge/page_trust.h"

namespace zuvelo {
namespace {

constexpr std::wstring_view kSchemeEnd = L"://";

// The prefix a trusted address stands for, or empty when it names no host: an empty setting
// must not admit every page.
std::wstring TrustedPrefix(std::wstring_view trusted) {
  const std::size_t scheme_end = trusted.find(kSchemeEnd);
  if (scheme_end == std::wstring_view::npos || scheme_end == 0) return {};
  const std::size_t host = scheme_end + kSchemeEnd.size();
  const std::size_t host_end = trusted.find_first_of(L"/?#", host);
  if (host_end == host || host == trusted.size()) return {};
  std::wstring prefix(trusted);
  if (host_end == std::wstring_view::npos) prefix += L'/';
  return prefix;
}

}  // namespace

bool IsTrustedPage(std::wstring_view address, std::span<const std::wstring> trusted) {
  for (const std::wstring& candidate : trusted) {
    const std::wstring prefix = TrustedPrefix(candidate);
    if (!prefix.empty() && address.starts_with(prefix)) return true;
  }
  return false;
}

}  // namespace zuvelo

// The prefix rule for pages that get window.external.
#include "bridge/page_trust.h"

namespace zuvelo {
namespace {

constexpr std::wstring_view kSchemeEnd = L"://";

// A local page has no host ("file:///C:/..."); the user stored it, so it counts as stored.
constexpr std::wstring_view kLocalScheme = L"file://";

// The prefix a trusted address stands for, or empty when it names no host (nor, for a local
// page, a path): an empty setting must not admit every page.
std::wstring TrustedPrefix(std::wstring_view trusted) {
  const std::size_t scheme_end = trusted.find(kSchemeEnd);
  if (scheme_end == std::wstring_view::npos || scheme_end == 0) return {};
  const std::size_t host = scheme_end + kSchemeEnd.size();
  const bool no_host = host < trusted.size() && trusted[host] == L'/';
  if (no_host && trusted.starts_with(kLocalScheme) &&
      trusted.find_first_not_of(L'/', host) != std::wstring_view::npos) {
    return std::wstring(trusted);
  }
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

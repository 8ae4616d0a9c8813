// The service's web server: its one home address and every address of the service made from it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/seam.h"

namespace zuvelo {

// The only place that names the server. Absolute, "http://", ending in "/".
inline constexpr std::string_view kHomeAddress = "http://www.zuvelo.example/";

// kHomeAddress, or the address of a live ScopedHomeAddress.
[[nodiscard]] std::string HomeAddress();
// Default game page; the page a game or tray request must come from starts with it.
[[nodiscard]] std::string GameHomeAddress();
// Default script home page.
[[nodiscard]] std::string ScriptHomeAddress();
// Download address of a log. A full log name is cut to its id (the text before its first '&').
[[nodiscard]] std::string LogDownloadAddress(std::string_view log_name);

// Test seam: while it lives, HomeAddress() and every address above use `home` (such as
// "http://127.0.0.1:8080/") instead of kHomeAddress.
using HomeAddressSeam = Seam<std::optional<std::string>, struct HomeAddressSeamTag>;
using ScopedHomeAddress = HomeAddressSeam::Scope;

}  // namespace zuvelo

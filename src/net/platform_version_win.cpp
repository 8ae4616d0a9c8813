// The Windows version through GetVersionExA, the same numbers the program has always sent.
#include <windows.h>

#include "net/platform_version.h"

namespace zuvelo::net {

PlatformVersion ReadPlatformVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  if (!::GetVersionExA(&info)) return {};
  return {static_cast<std::int32_t>(info.dwPlatformId),
          static_cast<std::int32_t>(info.dwMajorVersion),
          static_cast<std::int32_t>(info.dwMinorVersion),
          static_cast<std::int32_t>(info.dwBuildNumber)};
}

}  // namespace zuvelo::net

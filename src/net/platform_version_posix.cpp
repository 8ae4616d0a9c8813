// The kernel release ("6.1.0-18-amd64" gives 6, 1, 0) for the native build, which has no
// Windows version to report.
#include <sys/utsname.h>

#include <cstdio>

#include "net/platform_version.h"

namespace zuvelo::net {

PlatformVersion ReadPlatformVersion() {
  PlatformVersion version;
  utsname name{};
  if (::uname(&name) != 0) return version;
  std::sscanf(name.release, "%d.%d.%d", &version.major, &version.minor, &version.build);
  return version;
}

}  // namespace zuvelo::net

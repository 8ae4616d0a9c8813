// The running system's version, as the download client names it in its User-Agent line.
#pragma once

#include <cstdint>

namespace zuvelo::net {

struct PlatformVersion {
  std::int32_t platform_id = 0;
  std::int32_t major = 0;
  std::int32_t minor = 0;
  std::int32_t build = 0;
};

// Windows: what GetVersionExA reports. Elsewhere: platform 0 and the kernel release numbers.
[[nodiscard]] PlatformVersion ReadPlatformVersion();

}  // namespace zuvelo::net

// The service's addresses: one home address, everything made from it, and the test seam that
// points them elsewhere (the download client's tests use it to reach their loopback server).
#include "net/service_address.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace zuvelo {
namespace {

constexpr std::string_view kLogName = "2015071412gm-0009-0000-0a1b2c3d&tw=0";

TEST(ServiceAddresses, AreMadeFromTheHomeAddressOrTheInnermostOverride) {
  // Absolute "http://", a host looked up by name, no port, nothing after the last "/".
  const std::string_view home = kHomeAddress;
  EXPECT_TRUE(home.starts_with("http://") && std::isalpha(static_cast<unsigned char>(home[7])) &&
              home.find_first_of(":?&", 7) == std::string_view::npos &&
              home.find('/', 7) == home.size() - 1)
      << home;
  const std::pair<std::string (*)(), std::string> cases[] = {
      {[] { return HomeAddress(); }, ""},
      {[] { return GameHomeAddress(); }, "0/"},
      {[] { return ScriptHomeAddress(); }, "1/script/"},
      {[] { return LogDownloadAddress(kLogName); }, "0/log/?2015071412gm-0009-0000-0a1b2c3d"},
      {[] { return LogDownloadAddress("2015071412gm-0009-0000-0a1b2c3d"); },
       "0/log/?2015071412gm-0009-0000-0a1b2c3d"},
  };
  for (const auto& [make, path] : cases) {
    SCOPED_TRACE(path);
    EXPECT_EQ(make(), std::string(kHomeAddress) + path);
    {
      ScopedHomeAddress outer("http://outer.example/");
      {
        ScopedHomeAddress inner("http://127.0.0.1:8080/");
        EXPECT_EQ(make(), "http://127.0.0.1:8080/" + path);
      }
      EXPECT_EQ(make(), "http://outer.example/" + path);
    }
    EXPECT_EQ(make(), std::string(kHomeAddress) + path);
  }
}

}  // namespace
}  // namespace zuvelo

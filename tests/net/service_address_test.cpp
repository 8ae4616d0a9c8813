// The service's addresses: one home address, everything made from it, and its test seam.
#include "net/service_address.h"

#include <gtest/gtest.h>

#include <cctype>
#include <optional>
#include <string>

namespace zuvelo {
namespace {

TEST(ServiceAddresses, AreMadeFromTheHomeAddressOrTheInnermostOverride) {
  // Absolute "http://", a host looked up by name, no port, nothing after the last "/".
  const std::string_view home = kHomeAddress;
  EXPECT_TRUE(home.starts_with("http://") && std::isalpha(static_cast<unsigned char>(home[7])) &&
              home.find_first_of(":?&", 7) == home.npos && home.find('/', 7) == home.size() - 1)
      << home;
  const std::string log = "2015071412gm-0009-0000-0a1b2c3d";
  const std::pair<std::string (*)(), std::string> cases[] = {
      {HomeAddress, ""},
      {GameHomeAddress, "0/"},
      {ScriptHomeAddress, "1/script/"},
      {[] { return LogDownloadAddress("2015071412gm-0009-0000-0a1b2c3d&tw=0"); }, "0/log/?" + log},
      {[] { return LogDownloadAddress("2015071412gm-0009-0000-0a1b2c3d"); }, "0/log/?" + log}};
  for (const auto& [make, path] : cases) {
    SCOPED_TRACE(path);
    std::optional<ScopedHomeAddress> outer("http://outer.test/"), inner("http://127.0.0.1:8080/");
    EXPECT_EQ(make(), "http://127.0.0.1:8080/" + path);
    inner.reset();
    EXPECT_EQ(make(), "http://outer.test/" + path);
    outer.reset();
    EXPECT_EQ(make(), std::string(kHomeAddress) + path);
  }
}

}  // namespace
}  // namespace zuvelo

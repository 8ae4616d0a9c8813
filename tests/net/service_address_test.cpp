// The service's addresses: one home address, everything made from it, and the test seam that
// points them, and with them the download client, at the loopback server.
#include "net/service_address.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/http_client.h"
#include "net_test_support.h"

namespace zuvelo {
namespace {

constexpr std::string_view kLogName = "2015071412gm-0009-0000-0a1b2c3d&tw=0";

TEST(HomeAddress, IsAnAbsoluteHttpAddressOfANamedHost) {
  const std::string_view home = kHomeAddress;
  ASSERT_TRUE(home.starts_with("http://"));
  ASSERT_TRUE(home.ends_with("/"));
  const std::string_view host = home.substr(7, home.size() - 8);
  EXPECT_EQ(host.find_first_of("/:?&"), std::string_view::npos) << "host only, no port or path";
  ASSERT_FALSE(host.empty());
  EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(host[0]))) << "looked up by name";
  EXPECT_EQ(HomeAddress(), home);
}

struct MadeAddress {
  const char* name;
  std::string (*make)();
  const char* path;
};

class MadeFromHome : public ::testing::TestWithParam<MadeAddress> {};

TEST_P(MadeFromHome, WithTheConstantAndWithAnOverride) {
  const MadeAddress& a = GetParam();
  EXPECT_EQ(a.make(), std::string(kHomeAddress) + a.path);
  {
    ScopedHomeAddress loopback("http://127.0.0.1:8080/");
    EXPECT_EQ(a.make(), std::string("http://127.0.0.1:8080/") + a.path);
  }
  EXPECT_EQ(a.make(), std::string(kHomeAddress) + a.path);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, MadeFromHome,
    ::testing::Values(
        MadeAddress{"Home", [] { return HomeAddress(); }, ""},
        MadeAddress{"GameHome", [] { return GameHomeAddress(); }, "0/"},
        MadeAddress{"ScriptHome", [] { return ScriptHomeAddress(); }, "1/script/"},
        MadeAddress{"LogByName", [] { return LogDownloadAddress(kLogName); },
                    "0/log/?2015071412gm-0009-0000-0a1b2c3d"},
        MadeAddress{"LogById", [] { return LogDownloadAddress("2015071412gm-0009-0000-0a1b2c3d"); },
                    "0/log/?2015071412gm-0009-0000-0a1b2c3d"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScopedHomeAddress, NestedOverridesUnwindInOrder) {
  {
    ScopedHomeAddress outer("http://outer.example/");
    {
      ScopedHomeAddress inner("http://inner.example/");
      EXPECT_EQ(GameHomeAddress(), "http://inner.example/0/");
    }
    EXPECT_EQ(GameHomeAddress(), "http://outer.example/0/");
  }
  EXPECT_EQ(HomeAddress(), kHomeAddress);
}

TEST(ScopedHomeAddress, PointsLogDownloadsAtTheLoopbackServer) {
  ScopedHomeAddress loopback(testing::ServerUrl("/"));
  {
    CHttpClient client;
    std::vector<std::uint8_t> body;
    ASSERT_EQ(client.Download(LogDownloadAddress(kLogName), body), kHttpOk);
    ASSERT_GE(body.size(), 10u);
    EXPECT_EQ(body[0], 0x1F);
    const std::string log = testing::Gunzip(body);
    EXPECT_TRUE(log.starts_with("<mjloggm")) << log;
    EXPECT_NE(log.find("2015071412gm-0009-0000-0a1b2c3d -->"), std::string::npos) << log;
  }
  CHttpClient client;
  std::vector<std::uint8_t> body;
  EXPECT_EQ(client.Download(LogDownloadAddress("missing-0009&tw=0"), body), kHttpNotFound);
}

}  // namespace
}  // namespace zuvelo

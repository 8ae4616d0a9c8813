// The prefix rule for pages that get window.external, on its own: which trusted addresses count
// and where a trusted prefix ends.
#include "bridge/page_trust.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zuvelo {
namespace {

TEST(PageTrustTest, APageIsTrustedOnlyUnderATrustedAddressThatNamesAHost) {
  struct Case {
    std::vector<std::wstring> trusted;
    const wchar_t* page;
    bool expected;
  };
  const Case cases[] = {
      {{L"http://a.example/"}, L"http://a.example/", true},
      {{L"http://a.example/"}, L"http://a.example/x/y?z", true},
      {{L"http://a.example/"}, L"http://a.example", false},
      {{L"http://a.example/"}, L"http://A.example/", false},
      {{L"http://a.example/0/"}, L"http://a.example/1/", false},
      {{L"http://a.example"}, L"http://a.example/page", true},
      {{L"http://a.example"}, L"http://a.example.evil/", false},
      {{L"http://a.example"}, L"http://a.example@evil/", false},
      {{L"http://a.example:80"}, L"http://a.example:8080/", false},
      {{L"http://a.example?q"}, L"http://a.example?q=1", true},
      {{L""}, L"http://evil/", false},
      {{L"http://"}, L"http://evil/", false},
      {{L"http:///"}, L"http:///x", false},
      {{L"a.example/"}, L"a.example/x", false},
      {{L"://a.example/"}, L"://a.example/x", false},
      {{}, L"http://a.example/", false},
      {{L"", L"http://b.example/"}, L"http://b.example/x", true},
      {{L"http://a.example/", L"http://b.example/"}, L"http://c.example/", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(std::wstring(c.page)));
    EXPECT_EQ(IsTrustedPage(c.page, c.trusted), c.expected);
  }
}

}  // namespace
}  // namespace zuvelo

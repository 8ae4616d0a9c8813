// Log names: validity, and the game type and lobby as wcstol reads them.
#include "logana/log_name.h"

#include <gtest/gtest.h>

#include <string>

namespace zuvelo {
namespace {

constexpr char16_t kName36[] = u"2015071412gm-0009-0000-0a1b2c3d&tw=0";

std::u16string WithLastField(std::u16string_view id) {
  return u"2015071412gm-0009-0000-" + std::u16string(id) + u"&tw=1";
}

TEST(LogName, ValidityAndFields) {
  const struct {
    std::u16string name;
    bool valid;
    std::int32_t gameType, lobby;
  } cases[] = {
      {kName36, true, 0x9, 0},
      {u"20150714gm-00e1-0217-0a1b2c3d&tw=3", true, 0xE1, 217},  // "-" at index 10, type at 11
      {u"20150714gm-0-09-0217-0a1b2c3d&tw=2", true, 0, 217},     // "-" at 10 wins over 12
      {u"2015071412gm-00a9-1234-0a1b2c3d&tw=2", true, 0xA9, 1234},
      {WithLastField(u"0a1b2c3d9"), true, 9, 0},
      {WithLastField(u"0a1b2c3d98"), false, 0, 0},
      {WithLastField(u"0a1b2c"), true, 9, 0},
      {WithLastField(u"0a1b2"), false, 0, 0},
      {WithLastField(u"0a1b2c3d0a1b2c"), true, 9, 0},
      {WithLastField(u"0a1b2c3d0a1b2c3"), true, 9, 0},
      {WithLastField(u"0a1b2c3d0a1b2c3d"), false, 0, 0},
      {WithLastField(u"0a1b2c3d0a1b2"), false, 0, 0},
      {u"2015071412gm-0009-0000-0a1b2c3d&tw=4", false, 0, 0},
      {u"2015071412gm-0009-0000-0a1b2c3d&TW=0", false, 0, 0},
      {u"2015071412gm-0009-0000-0a1b2c3dxtw=0", false, 0, 0},
      {u"2015071412gm-0009-0000-0a1b2c3d&tw=\uFF10", false, 0, 0},
      {u"2015071412gmx0009-0000-0a1b2c3d&tw=0", false, 0, 0},  // no "-" at index 10 or 12
      {u"2015071412gm-0x1f-0007-0a1b2c3d&tw=0", true, 0x1F, 7},
      {u"2015071412gm--001--002-0a1b2c3d&tw=0", true, -1, -2},
      {u"2015071412gm- 12a- 044-0a1b2c3d&tw=0", true, 0x12A, 44},
      {u"2015071412gm-zzzz-yyyy-0a1b2c3d&tw=0", true, 0, 0},
      {u"2015071412gm-12345678-0a1b2c3d&tw=2", true, 0x12345678, 678},
      // The lobby is read five characters after the type starts, wherever the type ends.
      {u"2015071412gm-fffffffff-99999999999999&tw=0", true, 0x7FFFFFFF, 0},
      {u"2015071412gm-0009-99999999999999999999&tw=0", true, 9, 2147483647},
      {u"2015071412gm-0009--9999999999999999999&tw=0", true, 9, -2147483647 - 1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.name));
    const std::optional<LogNameFields> fields = ParseLogName(c.name);
    ASSERT_EQ(fields.has_value(), c.valid);
    if (!c.valid) continue;
    EXPECT_EQ(fields->gameType, c.gameType);
    EXPECT_EQ(fields->lobby, c.lobby);
  }
}

TEST(SetLogName, SetsWhatTheNameGives) {
  LogInfo info;
  EXPECT_TRUE(SetLogName(info, u"20150714gm-00e1-0217-0a1b2c3d&tw=3"));
  EXPECT_EQ(info.name, u"20150714gm-00e1-0217-0a1b2c3d&tw=3");
  const char16_t* kInvalid = u"2015071412gm-0041-0000-0a1b2c3d&tw=9";
  for (const char16_t* name : {kInvalid, u"", u"x", u"2015071412gm-0041-0000-0a1b2c3d9x&tw=0"}) {
    EXPECT_FALSE(SetLogName(info, name));
    EXPECT_EQ(info.name, kInvalid);
    EXPECT_EQ(info.gameType, 0xE1);
    EXPECT_EQ(info.lobby, 217);
  }
}

}  // namespace
}  // namespace zuvelo

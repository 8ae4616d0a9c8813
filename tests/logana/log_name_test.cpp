// Log names: which names are valid, the game type and lobby read from them (as wcstol reads
// them), and what filling a LogInfo changes for valid, invalid and wrongly sized names.
#include "logana/log_name.h"

#include <gtest/gtest.h>

#include <string>

namespace zuvelo {
namespace {

constexpr char16_t kName36[] = u"2015071412gm-0009-0000-0a1b2c3d&tw=0";

struct NameCase {
  std::u16string name;
  bool valid;
  std::int32_t gameType;
  std::int32_t lobby;
};

void PrintTo(const NameCase& c, std::ostream* out) { *out << ::testing::PrintToString(c.name); }

class LogNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(LogNameTest, ValidityAndFields) {
  const NameCase& c = GetParam();
  const std::optional<LogNameFields> fields = ParseLogName(c.name);
  ASSERT_EQ(fields.has_value(), c.valid);
  if (!c.valid) return;
  EXPECT_EQ(fields->gameType, c.gameType);
  EXPECT_EQ(fields->lobby, c.lobby);
}

std::u16string WithLastField(std::u16string_view id) {
  return u"2015071412gm-0009-0000-" + std::u16string(id) + u"&tw=1";
}

INSTANTIATE_TEST_SUITE_P(
    Names, LogNameTest,
    ::testing::Values(
        NameCase{kName36, true, 0x9, 0},
        // "-" at index 10, game type at 11.
        NameCase{u"20150714gm-00e1-0217-0a1b2c3d&tw=3", true, 0xE1, 217},
        // "-" at 10 wins over "-" at 12.
        NameCase{u"20150714gm-0-09-0217-0a1b2c3d&tw=2", true, 0, 217},
        NameCase{u"2015071412gm-00a9-1234-0a1b2c3d&tw=2", true, 0xA9, 1234},
        // Lengths: 34, 35, 36, 37, 42 and 43 only.
        NameCase{WithLastField(u"0a1b2c3d"), true, 9, 0},
        NameCase{WithLastField(u"0a1b2c3d9"), true, 9, 0},
        NameCase{WithLastField(u"0a1b2c3d98"), false, 0, 0},
        NameCase{WithLastField(u"0a1b2c3"), true, 9, 0},
        NameCase{WithLastField(u"0a1b2c"), true, 9, 0},
        NameCase{WithLastField(u"0a1b2"), false, 0, 0},
        NameCase{WithLastField(u"0a1b2c3d0a1b2c"), true, 9, 0},
        NameCase{WithLastField(u"0a1b2c3d0a1b2c3"), true, 9, 0},
        NameCase{WithLastField(u"0a1b2c3d0a1b2c3d"), false, 0, 0},
        NameCase{WithLastField(u"0a1b2c3d0a1b2"), false, 0, 0},
        // The ending.
        NameCase{u"2015071412gm-0009-0000-0a1b2c3d&tw=4", false, 0, 0},
        NameCase{u"2015071412gm-0009-0000-0a1b2c3d&TW=0", false, 0, 0},
        NameCase{u"2015071412gm-0009-0000-0a1b2c3dxtw=0", false, 0, 0},
        NameCase{u"2015071412gm-0009-0000-0a1b2c3d&tw=\uFF10", false, 0, 0},
        // Neither index 10 nor 12 holds "-".
        NameCase{u"2015071412gmx0009-0000-0a1b2c3d&tw=0", false, 0, 0},
        // Numbers as wcstol reads them: a "0x" prefix, a sign, blanks, stopping at the first
        // character that is no digit, and saturation.
        NameCase{u"2015071412gm-0x1f-0007-0a1b2c3d&tw=0", true, 0x1F, 7},
        NameCase{u"2015071412gm--001--002-0a1b2c3d&tw=0", true, -1, -2},
        NameCase{u"2015071412gm- 12a- 044-0a1b2c3d&tw=0", true, 0x12A, 44},
        NameCase{u"2015071412gm-zzzz-yyyy-0a1b2c3d&tw=0", true, 0, 0},
        NameCase{u"2015071412gm-12345678-0a1b2c3d&tw=2", true, 0x12345678, 678},
        // The lobby is read five characters after the type starts, wherever the type ends.
        NameCase{u"2015071412gm-fffffffff-99999999999999&tw=0", true, 0x7FFFFFFF, 0},
        NameCase{u"2015071412gm-0009-99999999999999999999&tw=0", true, 9, 2147483647},
        NameCase{u"2015071412gm-0009--9999999999999999999&tw=0", true, 9, -2147483647 - 1}));

TEST(SetLogName, ValidNamesSetEverythingInvalidOnesOnlyTheNameWrongLengthsNothing) {
  LogInfo info;
  EXPECT_TRUE(SetLogName(info, kName36));
  EXPECT_EQ(info.name, kName36);
  EXPECT_EQ(info.gameType, 9);
  EXPECT_EQ(info.lobby, 0);

  EXPECT_TRUE(SetLogName(info, u"20150714gm-00e1-0217-0a1b2c3d&tw=3"));
  EXPECT_EQ(info.gameType, 0xE1);
  EXPECT_EQ(info.lobby, 217);

  // Right length, not a log name: the name is taken, the numbers stay.
  EXPECT_FALSE(SetLogName(info, u"2015071412gm-0041-0000-0a1b2c3d&tw=9"));
  EXPECT_EQ(info.name, u"2015071412gm-0041-0000-0a1b2c3d&tw=9");
  EXPECT_EQ(info.gameType, 0xE1);
  EXPECT_EQ(info.lobby, 217);

  for (const char16_t* wrong : {u"", u"x", u"2015071412gm-0041-0000-0a1b2c3d9x&tw=0"}) {
    EXPECT_FALSE(SetLogName(info, wrong));
    EXPECT_EQ(info.name, u"2015071412gm-0041-0000-0a1b2c3d&tw=9");
    EXPECT_EQ(info.gameType, 0xE1);
  }
}

}  // namespace
}  // namespace zuvelo

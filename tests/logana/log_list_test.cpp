#include "logana/log_list_win.h"

#include <gtest/gtest.h>

namespace zuvelo {
namespace {

TEST(LogListTest, NameTimes) {
  constexpr std::uint64_t k20150714At12 = 130813488000000000ull;
  constexpr std::uint64_t k20150714At00 = 130813056000000000ull;
  const struct {
    const char* file;
    std::uint64_t time;
  } cases[] = {
      {"2015071412gm-0009-0000-0a1b2c3d&tw=0.mjlog", k20150714At12},
      {"2015071412gm-0009-0000-0a1b2c3d&tw=0", k20150714At12},       // the extension plays no part
      {"20150714gm-0009-7447-0a1b2c3d&tw=0.mjlog", k20150714At00},   // "gm-" at 8: no hour
      {"201507141gm-0009-7447-0a1b2c3d&tw=0.mjlog", k20150714At00},  // at 9: no hour either
      {"2016022923gm-0009-0000-0a1b2c3d&tw=0.mjlog", 131012604000000000ull},
      {"2015131412gm-0009-0000-0a1b2c3d&tw=0.mjlog", 0},             // month 13
      {"2015073212gm-0009-0000-0a1b2c3d&tw=0.mjlog", 0},             // day 32
      {"2015071424gm-0009-0000-0a1b2c3d&tw=0.mjlog", 0},             // hour 24
      {"2015071gm-0009-0000-0a1b2c3d&tw=0.mjlog", 0},                // "gm-" too early
      {"2015071412xx-0009-0000-0a1b2c3d&tw=0.mjlog", 0},             // no "gm-"
      {"2015071412gm-0009-0000-gm-1b2c3&tw=0.mjlog", k20150714At12}  // the first one counts
  };
  for (const auto& c : cases) EXPECT_EQ(NameTimeOf(c.file), c.time) << c.file;
}

std::string Order(std::vector<LogListEntry> list, int sort) {
  SortLogList(list, sort);
  std::string order;
  for (const LogListEntry& e : list) order += e.path;
  return order;
}

TEST(LogListTest, OrderByNameTimeThenCreationTimeKeepsTiesInDiscoveryOrder) {
  const std::vector<LogListEntry> found = {{"a", 20, 5}, {"b", 10, 7}, {"c", 20, 5},
                                           {"d", 0, 9},  {"e", 20, 3}, {"f", 10, 7}};
  EXPECT_EQ(Order(found, 0), "dbfeac");
  EXPECT_EQ(Order(found, 1), "acebfd");
  EXPECT_EQ(Order({{"x", 0x100000000ull, 0}, {"y", 0xFFFFFFFFull, 0}}, 0), "yx");
}

}  // namespace
}  // namespace zuvelo

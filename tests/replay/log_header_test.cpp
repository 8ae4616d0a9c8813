// The players' line (UN element, percent-encoded UTF-8 names) and the final-score list.
#include "replay/log_header.h"

#include <gtest/gtest.h>

#include <string>

#include "replay/log_scanner.h"

namespace zuvelo {
namespace {

const std::string kRoot = "<mjloggm ver=\"2.3\">";

TEST(PlayerName, PercentDecodedUtf8BecomesUtf16) {
  struct Case {
    const char* encoded;
    std::u16string want;
  };
  const Case cases[] = {
      {"", u""},
      {"abc", u"abc"},
      {"%E3%81%82", u"\u3042"},
      {"%e3%81%82", u"\u3042"},
      {"%E9%9B%80%E5%A3%AB", u"\u96C0\u58EB"},
      {"%C3%A9t%C3%A9", u"\u00E9t\u00E9"},
      {"a%20b", u"a b"},
      {"%4", u"%4"},  // fewer than two characters follow: copied
      {"%", u"%"},
      {"%GZ", std::u16string(1, char16_t{0x23})},       // 'G' 16, 'Z' 35: (16 << 4 | 35) & 0xFF
      {"%80", std::u16string(1, char16_t{0xFF80})},     // a lone byte is sign-extended
      {"%E3%81", std::u16string(1, char16_t{0xFF81})},  // the lead byte runs out: dropped
      {"%C3", u""},
      {"%F0%9F%98%80", std::u16string{char16_t{0x07D8}, char16_t{0xFF80}}},  // taken as 3 bytes
      {"x%00y", u"x"},  // a decoded zero byte ends the name
  };
  for (const Case& c : cases) EXPECT_EQ(DecodePlayerName(c.encoded), c.want) << c.encoded;
}

struct LineResult {
  bool ok;
  ReplayMessage fault;
  Players players;
};

LineResult ReadLine(const std::string& elements, Players players = {}) {
  const std::string text = kRoot + elements;
  LineResult result{false, {}, std::move(players)};
  result.ok = ReadPlayerLine(text, FindElementStart(text), result.players, result.fault);
  return result;
}

TEST(PlayerLine, FillsNamesAndTheFourValueLists) {
  const LineResult r = ReadLine(
      "<GO type=\"1\"/><UN n0=\"%E3%81%82\" n1=\"B\" n2=\"C\" n3=\"D\" dan=\"10,11,12,13\" "
      "rate=\"1500.99,-2.5,1800.00,2000.5\" gold=\"1,2,3,4\" rc=\"5,6,7,8\" sx=\"M,F,C,M\"/>");
  ASSERT_TRUE(r.ok) << r.fault.text;
  const char16_t* names[] = {u"\u3042", u"B", u"C", u"D"};
  const int rates[] = {1500, -2, 1800, 2000};
  const int sx[] = {'M', 'F', 'C', 'M'};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(r.players[i].un, names[i]);
    EXPECT_EQ(r.players[i].dan, 10 + i);
    EXPECT_EQ(r.players[i].rate, rates[i]);
    EXPECT_EQ(r.players[i].gold, 1 + i);
    EXPECT_EQ(r.players[i].rc, 5 + i);
    EXPECT_EQ(r.players[i].sx, sx[i]);
  }
}

TEST(PlayerLine, ListsWithoutExactlyFourValuesKeepTheOldValues) {
  Players before;
  for (Player& p : before) {
    p.un = u"old";
    p.dan = 9;
    p.rate = 1234;
    p.gold = 7;
    p.rc = 3;
    p.sx = 'F';
  }
  const LineResult r =
      ReadLine("<UN n1=\"B\" dan=\"1,2,3\" rate=\"1,2,3,4,5\" gold=\"\" sx=\"M,F,C\"/>", before);
  ASSERT_TRUE(r.ok) << r.fault.text;
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(r.players[i].un, i == 1 ? u"B" : u"") << i;
    EXPECT_EQ(r.players[i].dan, 9);
    EXPECT_EQ(r.players[i].rate, 1234);
    EXPECT_EQ(r.players[i].gold, 7);
    EXPECT_EQ(r.players[i].rc, 3);
    EXPECT_EQ(r.players[i].sx, 'C');
  }
}

TEST(PlayerLine, OnlyTheFirstClosedUnElementIsRead) {
  EXPECT_EQ(ReadLine("<UN n0=\"A\"/><UN n0=\"B\"/>").players[0].un, u"A");
  Players before;
  before[0].dan = 5;
  const LineResult unclosed = ReadLine("<UN n0=\"A\" dan=\"1,2,3,4\"", before);
  EXPECT_TRUE(unclosed.ok);
  EXPECT_EQ(unclosed.players[0].un, u"");
  EXPECT_EQ(unclosed.players[0].dan, 5);
  EXPECT_EQ(unclosed.players[0].sx, 'C');
}

TEST(PlayerLine, MalformedAttributesGiveTheirMessages) {
  struct Case {
    std::string element;
    std::string text;
    MessageIcon icon;
  };
  const Case cases[] = {
      {"<UN n0=\"A\"  n1=\"B\"/>", "INVALID ATTR UN  n1=\"B\"/>", MessageIcon::kNone},
      {"<UNx n0=\"A\"/><UN  n0=\"A\" />", "INVALID ATTR UN  n0=\"A\" />", MessageIcon::kNone},
      {"<UN n4=\"A\" n1=\"B\"/>", "INVALID ATTR UN n4=\"A\" n1=\"B\"/>", MessageIcon::kNone},
      {"<UN who=\"1\"/>", "INVALID ATTR UN who=\"1\"/>", MessageIcon::kNone},
  };
  for (const Case& c : cases) {
    const LineResult r = ReadLine(c.element);
    EXPECT_FALSE(r.ok) << c.element;
    EXPECT_EQ(r.fault.text, c.text) << c.element;
    EXPECT_EQ(r.fault.icon, c.icon) << c.element;
  }
}

TEST(FinalScores, TheFirstOwariListAfterTheRootCounts) {
  std::vector<double> owari;
  const std::string text = kRoot + "<AGARI sc=\"1\" owari=\"250,-5.0,250,5.0,250,10.0,250,-10\"/>";
  ReadFinalScores(text, FindElementStart(text), owari);
  EXPECT_EQ(owari, (std::vector<double>{250, -5, 250, 5, 250, 10, 250, -10}));
  EXPECT_TRUE(IsCompleteFinalScores(owari));
  const std::string none = kRoot + "<AGARI owari=\"\"/><RY xowari=\"1,2\"/>";
  ReadFinalScores(none, FindElementStart(none), owari);
  EXPECT_TRUE(owari.empty());
  for (std::size_t n : {0u, 7u, 9u, 15u, 17u})
    EXPECT_FALSE(IsCompleteFinalScores(std::vector<double>(n)));
  EXPECT_TRUE(IsCompleteFinalScores(std::vector<double>(16)));
}

}  // namespace
}  // namespace zuvelo

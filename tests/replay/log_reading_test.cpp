#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "replay/log_header.h"
#include "replay/log_scanner.h"
#include "replay/log_values.h"
#include "replay/naki.h"

namespace zuvelo {
namespace {

using Ints = std::vector<std::int32_t>;
const std::string kRoot = "<mjloggm ver=\"2.3\">";

struct Scan {
  std::vector<Element> elements;
  std::vector<ElementKind> kinds;
  ReplayMessage message;
  LogAttributes attrs;
};

Scan ScanAll(const std::string& elements) {
  const std::string text = kRoot + elements;
  Scan scan;
  LogScanner scanner(text, FindElementStart(text));
  for (ElementKind kind = ElementKind::kIgnored;
       kind != ElementKind::kEnd && kind != ElementKind::kFault;) {
    kind = scanner.Next(scan.attrs);
    scan.elements.push_back(scanner.element());
    scan.kinds.push_back(kind);
  }
  scan.message = scanner.message();
  return scan;
}

TEST(LogRoot, OnlyTheTwoExactStartTagsAreLogs) {
  const std::size_t none = std::string::npos;
  // clang-format off
  const std::pair<std::string, std::size_t> cases[] = {
      {"<mjloggm ver=\"2.3\"><INIT/>", 19}, {"<mjloggm ver=\"2.3\" time=\"no element\">", 37},
      {"<mjloggm ver=\"2.3\" time=\"1300000000\"><GO type=\"1\"/>", 37}, {"", none},
      {"\xEF\xBB\xBF<mjloggm ver=\"2.3\">", none}, {" <mjloggm ver=\"2.3\">", none},
      {"<?xml version=\"1.0\"?><mjloggm ver=\"2.3\">", none}, {"<mjloggm ver=\"2.4\">", none},
      {"<mjloggm ver=\"2.3\"", none}};
  // clang-format on
  for (const auto& [text, start] : cases) EXPECT_EQ(FindElementStart(text), start) << text;
}

TEST(LogSequence, EndsAtTheRootEndTagAtWhiteSpaceOrAtTheTextEnd) {
  using K = ElementKind;
  EXPECT_EQ(ScanAll("<T12/><D12/></mjloggm><T13/>").kinds,
            (std::vector{K::kDraw, K::kDiscard, K::kEnd}));
  EXPECT_EQ(ScanAll("<T12/>\n<D12/>").kinds, (std::vector{K::kDraw, K::kEnd}));
  EXPECT_EQ(ScanAll("<T12/> <D12/>").kinds, (std::vector{K::kDraw, K::kEnd}));
  EXPECT_EQ(ScanAll("").kinds, (std::vector{K::kEnd}));
  EXPECT_EQ(
      ScanAll("<SHUFFLE seed=\"x\" ref=\"\"/><GO type=\"169\" lobby=\"0\"/><UN n0=\"a\"/>"
              "<TAIKYOKU oya=\"0\"/><BYE who=\"1\"/><INITIAL/><N who=\"1\" m=\"0\"/><REACHED/>"
              "<DORAX/><AGX/><RYX/><T1>")
          .kinds,
      (std::vector{K::kIgnored, K::kIgnored, K::kIgnored, K::kIgnored, K::kIgnored, K::kInit,
                   K::kNaki, K::kReach, K::kDora, K::kAgari, K::kRyuukyoku, K::kDraw, K::kEnd}));
}

TEST(LogSequence, DrawsAndDiscardsTakeSeatFromTheLetterAndTheLeadingDigits) {
  const Scan scan = ScanAll("<T0/><U135/><V136/><W7x9/><D1/><E2/><F34/><G99999999999/>");
  const int want[][3] = {{0, 0, 0}, {0, 1, 135}, {0, 2, 136}, {0, 3, 7},
                         {1, 0, 1}, {1, 1, 2},   {1, 2, 34},  {1, 3, 2147483647}};
  ASSERT_EQ(scan.elements.size(), std::size(want) + 1);
  for (std::size_t i = 0; i < std::size(want); ++i) {
    const Element& e = scan.elements[i];
    const ElementKind kind = want[i][0] ? ElementKind::kDiscard : ElementKind::kDraw;
    EXPECT_EQ(std::tie(e.kind, e.seat, e.code), std::tie(kind, want[i][1], want[i][2])) << i;
  }
}

TEST(LogAttributes, EveryReadAttributeFillsItsVariableWhateverTheElement) {
  const Scan scan = ScanAll(
      "<GO who=\"2\" m=\"41578\" step=\"1\" fromWho=\"3\" paoWho=\"1\" hai=\"52\" ten=\"1,2,3\"/>"
      "<TAIKYOKU seed=\"0,1,2,3,4,5,6\" hai0=\"1\" hai1=\"\" hai2=\"7,8\" hai3=\"9\"/>"
      "<UN yaku=\"1,1,7,1\" yakuman=\"39\" doraHaiUra=\"12,13\" sc=\"-5.0,25.5\"/>");
  const LogAttributes& a = scan.attrs;
  EXPECT_EQ(std::vector({a.who, a.m, a.step, a.fromWho, a.paoWho}),
            std::vector({2, 41578, 1, 3, 1}));
  EXPECT_EQ(
      (std::vector{a.hai, a.ten, a.seed, a.yaku, a.yakuman, a.doraHaiUra}),
      (std::vector<Ints>{{52}, {1, 2, 3}, {0, 1, 2, 3, 4, 5, 6}, {1, 1, 7, 1}, {39}, {12, 13}}));
  EXPECT_EQ(a.haiN, (std::array<Ints, 4>{{{1}, {}, {7, 8}, {9}}}));
  EXPECT_EQ(a.sc, (std::vector<double>{-5.0, 25.5}));
  const Scan again = ScanAll(
      "<AGARI ba=\"1,0\" hai=\"1,2\" m=\"5\" machi=\"3\" doraHai=\"4\" rc=\"1\" sx=\"M\" "
      "n0=\"x\" oya=\"0\" ref=\"\" dan=\"1\" yama=\"\" lobby=\"0\" shibari=\"\" gold=\"\" "
      "rate=\"\" shuffle=\"\" ratingsc=\"\" chip=\"\" owari=\"1\" doraX=\"1\" hai=\"3\" m=\"6\"/>");
  EXPECT_EQ(std::tie(again.attrs.hai, again.attrs.m, again.attrs.doraHaiUra),
            std::tuple(Ints{3}, 6, Ints{}));
}

TEST(LogValues, ListsReadLeadingNumbersSeparatedByCommas) {
  // clang-format off
  const std::pair<const char*, Ints> ints[] = {
      {"\"", {}}, {"250,250,250,250\"", {250, 250, 250, 250}}, {"-3,+4, 5\"", {-3, 4, 5}},
      {"x\"", {0}}, {"1,,2\"", {1, 0, 2}}, {"7abc,8\"", {7}}, {"1,\"", {1, 0}},
      {"99999999999,-99999999999\"", {2147483647, -2147483647 - 1}}};
  Ints intList = {42};  // each value: the text right after the opening quote
  for (const auto& [value, want] : ints)
    EXPECT_EQ((logtext::ReadIntList(value, intList), intList), want) << value;
  const std::pair<const char*, std::vector<double>> reals[] = {
      {"\"", {}}, {"-5.0,25.0\"", {-5.0, 25.0}}, {"+1.5e2,.25,3.\"", {150.0, 0.25, 3.0}},
      {" 7, -0.5\"", {7.0, -0.5}}, {"x\"", {0.0}}, {"1e999,1e-999\"", {HUGE_VAL, 0.0}}};
  // clang-format on
  std::vector<double> realList = {42.0};
  for (const auto& [value, want] : reals)
    EXPECT_EQ((logtext::ReadRealList(value, realList), realList), want) << value;
  const std::pair<double, int> truncated[] = {
      {-5.9, -5}, {1523.99, 1523}, {1e300, 2147483647}, {-1e300, -2147483647 - 1}, {NAN, 0}};
  for (const auto& [real, want] : truncated) EXPECT_EQ(logtext::TruncateToInt(real), want) << real;
}

TEST(LogValues, RyuukyokuTypeSelectsItsTextOnlyByTheFirstFourBytes) {
  // clang-format off
  const std::pair<const char*, std::string_view> cases[] = {
      {"type=\"yao9\"", "yao9"}, {"type=\"ron3\"", "ron3"}, {"type=\"kan4\"", "kan4"},
      {"type=\"reach4\"", "reach4"}, {"type=\"reac\"", "reach4"}, {"type=\"kaze4\"", "kaze4"},
      {"type=\"nm\" ba=\"0,0\"", "nm"}, {"type=\"nm\"", ""}, {"type=\"1\"", ""},
      {"type=\"ron\"", ""}, {"type=\"Yao9\"", ""}};
  // clang-format on
  for (const auto& [attrs, want] : cases) {
    const Scan scan = ScanAll(std::string("<GO type=\"yao9\"/><RYUUKYOKU ") + attrs + "/>");
    EXPECT_EQ(RyuukyokuTypeText(scan.attrs.ryuukyokuType), want) << attrs;
  }
}

TEST(LogMessages, EveryScannerMessageByteForByte) {
  constexpr MessageIcon E = MessageIcon::kError, N = MessageIcon::kNone;
  const std::string longest = "<GO a=\"" + std::string(4086, 'x') + "\"/>";
  const std::string tooLong = "<GO a=\"" + std::string(4087, 'x') + "\"/>";
  // clang-format off
  const struct { std::string elements, text; MessageIcon icon; } cases[] = {
      {"<T12", "MISSING >\r\n", E}, {"<", "MISSING >\r\n", E}, {"<T>", "q-p=3\r\n<T>\r\n", E},
      {tooLong, "q-p=4097\r\n" + tooLong.substr(0, 200) + "\r\n", E},
      {longest, "INVALID = *** " + longest, E},  // a one-letter name other than m
      {"<A12/>", "INVALID NODENAME A\r\n", E}, {"<N1/>", "INVALID NODENAME N\r\n", E},
      {"<XYZ/>", "INVALID NODENAME <XYZ/>", E}, {"<N/>", "INVALID NODENAME <N/>", E},
      {"<N who=\"0\" x=\"1\"/>", "INVALID = *** <N who=\"0\" x=\"1\"/>", E},
      {"<N zz=\"1\" who=\"0\"/>", "INVALID ATTR t+2 <N zz=\"1\" who=\"0\"/>", N},
      {"<INIT abc=\"1\" who=\"0\"/>", "INVALID ATTR t+3 abc=\"1\" who=\"0\"/>", N},
      {"<INIT who=\"0\" abcd=\"1\"/>", "INVALID ATTR tabcd=\"1\"/>", N},
      {"<GO type=\"a b\"/>", "INVALID ATTR tb\"/>", N},
      {"<INIT seeds=\"1\"/>", "", N}};  // first four letters decide: read as seed
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.elements.substr(0, 40));
    const Scan scan = ScanAll(c.elements);
    EXPECT_EQ(scan.elements.back().kind, c.text.empty() ? ElementKind::kEnd : ElementKind::kFault);
    EXPECT_EQ(std::tie(scan.message.text, scan.message.icon), std::tie(c.text, c.icon));
  }
}

TEST(PlayerName, PercentDecodedUtf8BecomesUtf16) {
  // clang-format off
  const std::pair<const char*, std::u16string> cases[] = {
      {"", u""}, {"%e3%81%82%e3%81%84", u"\u3042\u3044"}, {"%4", u"%4"}, {"%", u"%"}, {"%C3", u""},
      {"%GZ", u"\u0023"},  // 'G' 16, 'Z' 35: (16 << 4 | 35) & 0xFF
      {"%80", u"\uFF80"}, {"%E3%81", u"\uFF81"},  // lone bytes sign-extend
      {"%F0%9F%98%80", u"\u07D8\uFF80"},  // four-byte forms are taken as three bytes
      {"x%00y", u"x"}};
  // clang-format on
  for (const auto& [encoded, want] : cases) EXPECT_EQ(DecodePlayerName(encoded), want) << encoded;
}

std::string Seats(const Players& players) {
  std::ostringstream out;
  for (const Player& p : players)
    out << std::string(p.un.begin(), p.un.end()) << ' ' << p.dan << ' ' << p.rate << ' ' << p.gold
        << ' ' << p.rc << ' ' << char(p.sx) << '|';
  return out.str();
}

TEST(PlayerLine, FillsNamesAndListsOfExactlyFourValuesOrNamesTheMalformedAttribute) {
  Players old;
  for (Player& p : old) p.un = u"old", p.dan = 9, p.rate = 1234, p.gold = 7, p.rc = 3, p.sx = 'F';
  const std::string kept = " 9 1234 7 3 C|", fill = "<UN n0=\"%41b\" n1=\"B\" n2=\"C\" n3=\"D\" ";
  // clang-format off
  const struct { std::string elements, seats, fault = ""; } cases[] = {
      {"<GO type=\"1\"/>" + fill + "dan=\"10,11,12,13\" rate=\"1500.99,-2.5,1800.00,2000.5\" "
       "gold=\"1,2,3,4\" rc=\"5,6,7,8\" sx=\"M,F,C,M\"/><UN n0=\"X\"/>",
       "Ab 10 1500 1 5 M|B 11 -2 2 6 F|C 12 1800 3 7 C|D 13 2000 4 8 M|"},
      {"<UN n1=\"B\" dan=\"1,2,3\" rate=\"1,2,3,4,5\" gold=\"\" sx=\"M,F,C\"/>",
       kept + "B" + kept + kept + kept},
      {"<UN n0=\"A\" dan=\"1,2,3,4\"", kept + kept + kept + kept},  // unclosed
      {"<UN n0=\"A\"  n1=\"B\"/>", "", "  n1=\"B\"/>"}, {"<UN who=\"1\"/>", "", " who=\"1\"/>"},
      {"<UNx n0=\"A\"/><UN  n0=\"A\" />", "", "  n0=\"A\" />"},
      {"<UN n4=\"A\" n1=\"B\"/>", "", " n4=\"A\" n1=\"B\"/>"}};
  // clang-format on
  for (const auto& c : cases) {
    SCOPED_TRACE(c.elements);
    const std::string text = kRoot + c.elements;
    Players players = old;
    ReplayMessage fault;
    EXPECT_EQ(ReadPlayerLine(text, FindElementStart(text), players, fault), c.fault.empty());
    EXPECT_EQ(c.fault.empty() ? Seats(players) : fault.text,
              c.fault.empty() ? c.seats : "INVALID ATTR UN" + c.fault);
    EXPECT_EQ(fault.icon, MessageIcon::kNone);
  }
}

TEST(FinalScores, TheFirstOwariListAfterTheRootCounts) {
  std::vector<double> owari;
  const std::string text = kRoot + "<AGARI sc=\"1\" owari=\"250,-5.0,250,5.0,250,10.0,250,-10\"/>";
  EXPECT_EQ((ReadFinalScores(text, FindElementStart(text), owari), owari),
            (std::vector<double>{250, -5, 250, 5, 250, 10, 250, -10}));
  const std::string none = kRoot + "<AGARI owari=\"\"/><RY xowari=\"1,2\"/>";
  EXPECT_TRUE((ReadFinalScores(none, FindElementStart(none), owari), owari.empty()));
  for (std::size_t n : {0u, 7u, 8u, 9u, 15u, 16u, 17u})
    EXPECT_EQ(IsCompleteFinalScores(std::vector<double>(n)), n == 8 || n == 16) << n;
}

using Tiles = std::array<TileCode, 4>;
constexpr TileCode X = kNoTile;

// From-seat 0 is never written by the service; generated and golden logs cover the other codes.
TEST(MeldCode, ChiAndPonFromTheCallerKeepTheirTilesInOrder) {
  for (int k = 0; k < 3; ++k) {
    const MeldCall chi = DecodeMeld(std::uint16_t((2 * 3 + k) << 10 | 4)),
                   pon = DecodeMeld(std::uint16_t((5 * 3 + k) << 9 | 8));
    EXPECT_EQ(
        std::tie(chi.type, chi.from, chi.tiles, pon.type, pon.from, pon.tiles),
        std::tuple(NakiType::kChi, 0, Tiles{8, 12, 16, X}, NakiType::kPon, 0, Tiles{21, 22, 23, X}))
        << k;
  }
}

TEST(MeldCode, AddedKanReplacesThePonEntryInPlace) {
  Tehai tehai;
  const int codes[13] = {109, 110, 111, 8, 18, 100, 99, 98, 97, 96, 95, 94, 93};
  tehai.SetHaipai(codes);
  ASSERT_TRUE(tehai.UpdateSyanten1().ok() && TehaiNaki(tehai, 7463).ok() &&
              tehai.RemoveHai(100).ok() && TehaiNaki(tehai, 41578).ok() &&
              tehai.RemoveHai(99).ok() && tehai.AddHai(50).ok());
  const NakiResult kan = TehaiNaki(tehai, 41586);
  ASSERT_TRUE(kan.ok()) << kan.message << kan.hand.Message();
  EXPECT_EQ(std::tuple(tehai.nHai, kan.call.from), std::tuple(7, 2));
  EXPECT_EQ(std::count(tehai.hai.begin(), tehai.hai.begin() + tehai.nHai, 111), 0);
  EXPECT_EQ(tehai.nakiList, (std::vector<std::uint16_t>{7463, 41586}));
}

}  // namespace
}  // namespace zuvelo

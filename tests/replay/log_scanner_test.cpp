// The log scanner: root forms, the element sequence, attribute classification, value
// encodings and every message of the format, byte for byte.
#include "replay/log_scanner.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "replay/log_values.h"

namespace zuvelo {
namespace {

const std::string kRoot = "<mjloggm ver=\"2.3\">";

struct Scan {
  std::vector<Element> elements;  // up to and including kEnd or kFault
  ReplayMessage message;
  LogAttributes attrs;
};

Scan ScanAll(const std::string& text) {
  Scan scan;
  const std::size_t start = FindElementStart(text);
  EXPECT_NE(start, std::string::npos) << text;
  LogScanner scanner(text, start);
  for (;;) {
    const ElementKind kind = scanner.Next(scan.attrs);
    scan.elements.push_back(scanner.element());
    EXPECT_EQ(scanner.element().kind, kind);
    if (kind == ElementKind::kEnd || kind == ElementKind::kFault) break;
  }
  scan.message = scanner.message();
  return scan;
}

std::vector<ElementKind> Kinds(const Scan& scan) {
  std::vector<ElementKind> kinds;
  for (const Element& e : scan.elements) kinds.push_back(e.kind);
  return kinds;
}

TEST(LogRoot, OnlyTheTwoExactStartTagsAreLogs) {
  struct Case {
    std::string text;
    std::size_t start;
  };
  const Case cases[] = {
      {"<mjloggm ver=\"2.3\"><INIT/>", 19},
      {"<mjloggm ver=\"2.3\" time=\"1300000000\"><GO type=\"1\"/>", 37},
      {"<mjloggm ver=\"2.3\" time=\"no element\">", 37},
      {"\xEF\xBB\xBF<mjloggm ver=\"2.3\">", std::string::npos},
      {"<?xml version=\"1.0\"?><mjloggm ver=\"2.3\">", std::string::npos},
      {" <mjloggm ver=\"2.3\">", std::string::npos},
      {"<mjloggm ver=\"2.4\">", std::string::npos},
      {"<mjloggm ver=\"2.3\"", std::string::npos},
      {"", std::string::npos},
  };
  for (const Case& c : cases) EXPECT_EQ(FindElementStart(c.text), c.start) << c.text;
}

TEST(LogSequence, EndsAtTheRootEndTagAtWhiteSpaceOrAtTheTextEnd) {
  using K = ElementKind;
  EXPECT_EQ(Kinds(ScanAll(kRoot + "<T12/><D12/></mjloggm><T13/>")),
            (std::vector<K>{K::kDraw, K::kDiscard, K::kEnd}));
  EXPECT_EQ(Kinds(ScanAll(kRoot + "<T12/>\n<D12/>")), (std::vector<K>{K::kDraw, K::kEnd}));
  EXPECT_EQ(Kinds(ScanAll(kRoot + "<T12/> <D12/>")), (std::vector<K>{K::kDraw, K::kEnd}));
  EXPECT_EQ(Kinds(ScanAll(kRoot)), (std::vector<K>{K::kEnd}));
}

TEST(LogSequence, ClassifiesElementsByTheirFirstTwoCharacters) {
  using K = ElementKind;
  const std::string text = kRoot +
                           "<SHUFFLE seed=\"x\" ref=\"\"/><GO type=\"169\" lobby=\"0\"/>"
                           "<UN n0=\"a\"/><TAIKYOKU oya=\"0\"/><BYE who=\"1\"/>"
                           "<INITIAL/><N who=\"1\" m=\"0\"/><REACHED/><DORAX/><AGX/><RYX/>";
  EXPECT_EQ(
      Kinds(ScanAll(text)),
      (std::vector<K>{K::kIgnored, K::kIgnored, K::kIgnored, K::kIgnored, K::kIgnored, K::kInit,
                      K::kNaki, K::kReach, K::kDora, K::kAgari, K::kRyuukyoku, K::kEnd}));
}

TEST(LogSequence, DrawsAndDiscardsTakeSeatFromTheLetterAndTheLeadingDigits) {
  const Scan scan = ScanAll(kRoot + "<T0/><U135/><V136/><W7x9/><D1/><E2/><F34/><G99999999999/>");
  const std::vector<std::pair<ElementKind, std::pair<int, int>>> want = {
      {ElementKind::kDraw, {0, 0}},     {ElementKind::kDraw, {1, 135}},
      {ElementKind::kDraw, {2, 136}},   {ElementKind::kDraw, {3, 7}},
      {ElementKind::kDiscard, {0, 1}},  {ElementKind::kDiscard, {1, 2}},
      {ElementKind::kDiscard, {2, 34}}, {ElementKind::kDiscard, {3, 2147483647}},
  };
  ASSERT_EQ(scan.elements.size(), want.size() + 1);
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(scan.elements[i].kind, want[i].first) << i;
    EXPECT_EQ(scan.elements[i].seat, want[i].second.first) << i;
    EXPECT_EQ(scan.elements[i].code, want[i].second.second) << i;
  }
}

TEST(LogAttributes, EveryReadAttributeFillsItsVariableWhateverTheElement) {
  const Scan scan = ScanAll(
      kRoot +
      "<GO who=\"2\" m=\"41578\" step=\"1\" fromWho=\"3\" paoWho=\"1\" hai=\"52\" ten=\"1,2,3\"/>"
      "<TAIKYOKU seed=\"0,1,2,3,4,5,6\" hai0=\"1\" hai1=\"\" hai2=\"7,8\" hai3=\"9\"/>"
      "<UN yaku=\"1,1,7,1\" yakuman=\"39\" doraHaiUra=\"12,13\" sc=\"-5.0,25.5\"/>");
  const LogAttributes& a = scan.attrs;
  EXPECT_EQ(scan.elements.back().kind, ElementKind::kEnd) << scan.message.text;
  EXPECT_EQ(a.who, 2);
  EXPECT_EQ(a.m, 41578);
  EXPECT_EQ(a.step, 1);
  EXPECT_EQ(a.fromWho, 3);
  EXPECT_EQ(a.paoWho, 1);
  EXPECT_EQ(a.hai, (std::vector<std::int32_t>{52}));
  EXPECT_EQ(a.ten, (std::vector<std::int32_t>{1, 2, 3}));
  EXPECT_EQ(a.seed, (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(a.haiN[0], (std::vector<std::int32_t>{1}));
  EXPECT_TRUE(a.haiN[1].empty());
  EXPECT_EQ(a.haiN[2], (std::vector<std::int32_t>{7, 8}));
  EXPECT_EQ(a.haiN[3], (std::vector<std::int32_t>{9}));
  EXPECT_EQ(a.yaku, (std::vector<std::int32_t>{1, 1, 7, 1}));
  EXPECT_EQ(a.yakuman, (std::vector<std::int32_t>{39}));
  EXPECT_EQ(a.doraHaiUra, (std::vector<std::int32_t>{12, 13}));
  EXPECT_EQ(a.sc, (std::vector<double>{-5.0, 25.5}));
}

TEST(LogAttributes, IgnoredNamesAreSkippedAndTheLastOccurrenceWins) {
  const Scan scan = ScanAll(
      kRoot +
      "<AGARI ba=\"1,0\" hai=\"1,2\" m=\"5\" machi=\"3\" doraHai=\"4\" rc=\"1\" sx=\"M\" "
      "n0=\"x\" oya=\"0\" ref=\"\" dan=\"1\" yama=\"\" lobby=\"0\" shibari=\"\" gold=\"\" "
      "rate=\"\" shuffle=\"\" ratingsc=\"\" chip=\"\" owari=\"1\" doraX=\"1\" hai=\"3\" m=\"6\"/>");
  EXPECT_EQ(scan.elements.back().kind, ElementKind::kEnd) << scan.message.text;
  EXPECT_EQ(scan.attrs.hai, (std::vector<std::int32_t>{3}));
  EXPECT_EQ(scan.attrs.m, 6);
  EXPECT_TRUE(scan.attrs.doraHaiUra.empty());
}

TEST(LogAttributes, ASpaceInsideAValueStartsASecondAttribute) {
  const Scan scan = ScanAll(kRoot + "<GO type=\"a b\"/>");
  EXPECT_EQ(scan.elements.back().kind, ElementKind::kFault);
  EXPECT_EQ(scan.message.text, "INVALID ATTR tb\"/>");
}

TEST(LogValues, IntListsReadLeadingIntegersSeparatedByCommas) {
  struct Case {
    const char* value;  // text right after the opening quote
    std::vector<std::int32_t> want;
  };
  const Case cases[] = {
      {"\"", {}},
      {"250,250,250,250\"", {250, 250, 250, 250}},
      {"-3,+4, 5\"", {-3, 4, 5}},
      {"x\"", {0}},
      {"1,,2\"", {1, 0, 2}},
      {"7abc,8\"", {7}},
      {"1,\"", {1, 0}},
      {"99999999999,-99999999999\"", {2147483647, -2147483647 - 1}},
  };
  std::vector<std::int32_t> list = {42};
  for (const Case& c : cases) {
    logtext::ReadIntList(c.value, list);
    EXPECT_EQ(list, c.want) << c.value;
  }
}

TEST(LogValues, RealListsReadDecimalNumbers) {
  struct Case {
    const char* value;
    std::vector<double> want;
  };
  const Case cases[] = {
      {"\"", {}},
      {"-5.0,25.0\"", {-5.0, 25.0}},
      {"+1.5e2,.25,3.\"", {150.0, 0.25, 3.0}},
      {" 7, -0.5\"", {7.0, -0.5}},
      {"x\"", {0.0}},
      {"1e999,1e-999\"", {HUGE_VAL, 0.0}},
  };
  std::vector<double> list = {42.0};
  for (const Case& c : cases) {
    logtext::ReadRealList(c.value, list);
    EXPECT_EQ(list, c.want) << c.value;
  }
}

TEST(LogValues, TruncationTowardZeroIsDefinedForEveryDouble) {
  EXPECT_EQ(logtext::TruncateToInt(-5.9), -5);
  EXPECT_EQ(logtext::TruncateToInt(1523.99), 1523);
  EXPECT_EQ(logtext::TruncateToInt(1e300), 2147483647);
  EXPECT_EQ(logtext::TruncateToInt(-1e300), -2147483647 - 1);
  EXPECT_EQ(logtext::TruncateToInt(std::nan("")), 0);
}

TEST(LogValues, RyuukyokuTypeSelectsItsTextOnlyByTheFirstFourBytes) {
  struct Case {
    const char* element;
    std::string_view want;
  };
  const Case cases[] = {
      {"<RYUUKYOKU type=\"yao9\"/>", "yao9"},
      {"<RYUUKYOKU type=\"ron3\"/>", "ron3"},
      {"<RYUUKYOKU type=\"kan4\"/>", "kan4"},
      {"<RYUUKYOKU type=\"reach4\"/>", "reach4"},
      {"<RYUUKYOKU type=\"reac\"/>", "reach4"},
      {"<RYUUKYOKU type=\"kaze4\"/>", "kaze4"},
      {"<RYUUKYOKU type=\"nm\" ba=\"0,0\"/>", "nm"},
      {"<RYUUKYOKU type=\"nm\"/>", ""},
      {"<RYUUKYOKU type=\"1\"/>", ""},
      {"<RYUUKYOKU type=\"ron\"/>", ""},
      {"<RYUUKYOKU type=\"Yao9\"/>", ""},
  };
  for (const Case& c : cases) {
    const Scan scan = ScanAll(kRoot + "<GO type=\"yao9\"/>" + c.element);
    EXPECT_EQ(RyuukyokuTypeText(scan.attrs.ryuukyokuType), c.want) << c.element;
  }
}

TEST(LogMessages, EveryScannerMessageByteForByte) {
  using I = MessageIcon;
  const std::string long4097 = "<GO a=\"" + std::string(4087, 'x') + "\"/>";
  struct Case {
    std::string elements;
    std::string text;
    MessageIcon icon;
  };
  const Case cases[] = {
      {"<T12", "MISSING >\r\n", I::kError},
      {"<", "MISSING >\r\n", I::kError},
      {"<T>", "q-p=3\r\n<T>\r\n", I::kError},
      {long4097, "q-p=4097\r\n" + long4097 + "\r\n", I::kError},
      {"<A12/>", "INVALID NODENAME A\r\n", I::kError},
      {"<N1/>", "INVALID NODENAME N\r\n", I::kError},
      {"<XYZ/>", "INVALID NODENAME <XYZ/>", I::kError},
      {"<N/>", "INVALID NODENAME <N/>", I::kError},
      {"<N who=\"0\" x=\"1\"/>", "INVALID = *** <N who=\"0\" x=\"1\"/>", I::kError},
      {"<N zz=\"1\" who=\"0\"/>", "INVALID ATTR t+2 <N zz=\"1\" who=\"0\"/>", I::kNone},
      {"<INIT abc=\"1\" who=\"0\"/>", "INVALID ATTR t+3 abc=\"1\" who=\"0\"/>", I::kNone},
      {"<INIT who=\"0\" abcd=\"1\"/>", "INVALID ATTR tabcd=\"1\"/>", I::kNone},
      {"<INIT seeds=\"1\"/>", "", I::kNone},  // first four letters decide: read as seed
  };
  for (const Case& c : cases) {
    const Scan scan = ScanAll(kRoot + c.elements);
    if (c.text.empty()) {
      EXPECT_EQ(scan.elements.back().kind, ElementKind::kEnd) << c.elements;
      continue;
    }
    EXPECT_EQ(scan.elements.back().kind, ElementKind::kFault) << c.elements;
    EXPECT_EQ(scan.message.text, c.text) << c.elements;
    EXPECT_EQ(scan.message.icon, c.icon) << c.elements;
  }
}

TEST(LogMessages, ElementLengthLimitsAreInclusive) {
  const std::string longest = "<GO a=\"" + std::string(4086, 'x') + "\"/>";
  ASSERT_EQ(longest.size(), 4096u);
  EXPECT_EQ(ScanAll(kRoot + "<T1>").elements.front().kind, ElementKind::kDraw);
  // 4096 bytes is allowed; its attribute then fails as a one-letter name other than m.
  EXPECT_EQ(ScanAll(kRoot + longest).message.text.substr(0, 14), "INVALID = *** ");
}

TEST(LogAttributes, ValuesNearTheTextEndNeverReadPastIt) {
  // Offsets past the element's end are clamped to it; the zero after the text stops reading.
  for (const char* tail : {"<AGARI yakuXY>", "<AGARI doraHaiUra>", "<AGARI fromW>", "<AGARI paoW>",
                           "<RY type>", "<RY step>"}) {
    const Scan scan = ScanAll(kRoot + tail);
    EXPECT_NE(scan.elements.back().kind, ElementKind::kFault) << tail << scan.message.text;
  }
}

}  // namespace
}  // namespace zuvelo

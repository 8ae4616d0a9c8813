// The script objects over the replay's records: hand, player, seats and log info.
#include <memory>
#include <tuple>

#include "logana/log_info_object_win.h"
#include "logana/player_object_win.h"
#include "logana/tehai_object_win.h"
#include "logana_page_test.h"

namespace zuvelo::testing {
namespace {

// 11123m 456p 789p 55s waits on 1m, 4m and 5s: 1 + 4 + 2 left to draw.
const std::vector<int> kReady = {0, 1, 2, 4, 8, 48, 52, 56, 60, 64, 68, 88, 89};
const std::vector<int> kReversed(kReady.rbegin(), kReady.rend());

void Deal(Tehai& hand, const std::vector<int>& codes13) {
  hand.ResetTehai();
  hand.SetHaipai(codes13.data());
  ASSERT_TRUE(hand.UpdateSyanten1().ok());
}

std::wstring Join(const std::vector<int>& codes) {
  std::wstring joined;
  for (int code : codes) joined += (joined.empty() ? L"" : L",") + std::to_wstring(code);
  return joined;
}

constexpr const wchar_t* kHelpers =
    LR"(
function list(a) { return (a instanceof Array) + ':' + a.join(','); }
function slots(h) {
  var out = [];
  for (var i = 0; i < 14; i++) out.push(h[i]);
  return out.join(',');
}
function describe(p) {
  return [p.un, p.dan, p.rate, p.gold, p.rc, String.fromCharCode(p.sx), p.ten,
          p.tehai.length].join(',');
}
)";

class TehaiObjectTest : public PageTest {
 protected:
  void SetUp() override {
    PageTest::SetUp();
    ASSERT_EQ(script_.Run(kHelpers), S_OK);
    hand_ = IDispatchTehaiImpl::Create(record_, host_.hwnd());
    ASSERT_TRUE(hand_);
    ASSERT_EQ(script_.AddNamedItem(L"h", hand_.get()), S_OK);
  }
  void TearDown() override {
    PageTest::TearDown();
    script_.Close();
    hand_.reset();
    Trace();
    EXPECT_TRUE(boxes_.Take().empty());
  }
  HRESULT Call(DISPID id, WORD flags, VARIANT* result) {
    return InvokeWith(hand_.get(), id, flags, {}, result);
  }

  std::shared_ptr<Tehai> record_ = std::make_shared<Tehai>();
  com_ptr<IDispatchTehaiImpl> hand_;
};

// A bad index decides the lookup of several names.
TEST_F(TehaiObjectTest, DigitNamesAreSlotsAndOutOfRangeNumbersAreBadIndexes) {
  const HRESULT bad = DISP_E_BADINDEX, none = DISP_E_MEMBERNOTFOUND;
  const struct {
    const wchar_t* name;
    HRESULT hr;
    DISPID id = DISPID_UNKNOWN;
  } cases[] = {{L"007", S_OK, 207}, {L"", S_OK, 200},     {L"000000000000000000000013", S_OK, 213},
               {L"14", bad},        {L"4294967309", bad}, {L"-1", none},
               {L"1 ", none},       {L"1a", none},        {L"\xFF11", none}};
  for (const auto& c : cases) {
    const std::wstring name(c.name);
    SCOPED_TRACE(::testing::PrintToString(name));
    LPOLESTR names[] = {const_cast<LPOLESTR>(c.name)};
    DISPID id = 12345;
    EXPECT_EQ(hand_->GetIDsOfNames(IID_NULL, names, 1, 0, &id), c.hr);
    EXPECT_EQ(id, c.id);
    const Lines lines = Trace();
    ASSERT_EQ(lines.size(), c.hr == DISP_E_MEMBERNOTFOUND ? 1u : 0u);
    if (!lines.empty() && name[0] < 0x80) {  // how it shows others is the trace's business
      EXPECT_EQ(lines[0], "IDispatchTehaiImpl GetIDsOfNames UNKNOWN " +
                              std::string(name.begin(), name.end()) + "\r\n");
    }
  }
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"length"), const_cast<LPOLESTR>(L"14"),
                      const_cast<LPOLESTR>(L"5")};
  DISPID ids[3] = {};
  EXPECT_EQ(hand_->GetIDsOfNames(IID_NULL, names, 3, 0, ids), DISP_E_BADINDEX);
  EXPECT_EQ(std::vector<DISPID>(ids, ids + 3), (std::vector<DISPID>{100, DISPID_UNKNOWN, 205}));
}

TEST_F(TehaiObjectTest, SlotsReadLikeArrayElementsAndCannotBeWritten) {
  Deal(*record_, kReversed);
  EXPECT_EQ(Attempt(L"h[14];"), ErrorNumber(DISP_E_BADINDEX));
  unique_variant value;
  EXPECT_EQ(Call(203, DISPATCH_PROPERTYGET | DISPATCH_PROPERTYPUT, value.get()),
            DISP_E_ARRAYISLOCKED);
  EXPECT_EQ(Call(203, DISPATCH_PROPERTYGET, nullptr), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Attempt(L"h[3] = 1;"), ErrorNumber(DISP_E_MEMBERNOTFOUND));
  EXPECT_EQ(record_->hai[3], kReversed[3]);
  EXPECT_EQ(Trace(), Lines{});
  EXPECT_EQ(Call(213, DISPATCH_METHOD, value.get()), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call(100, DISPATCH_METHOD, value.get()), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Trace(), (Lines{"IDispatchTehaiImpl UNKNOWN Invoke dispid=213/0xD5 cArg=0",
                            "IDispatchTehaiImpl UNKNOWN Invoke dispid=100/0x64 cArg=0"}));
}

TEST_F(TehaiObjectTest, MethodsFollowTheLiveRecordAlsoReadAsValues) {
  ASSERT_EQ(script_.Run(L"var s = h.syanten, m = h.machi, n = h.machiCount, t = h.toArray;"), S_OK);
  const wchar_t* kAll = L"[h.length, s(), list(m()), n(), h.furiten(), list(t())].join(' ')";
  EXPECT_EQ(Text(kAll), L"0 8 true: 0 false true:");
  Deal(*record_, kReversed);
  EXPECT_EQ(Text(L"typeof h.sort()"), L"undefined");
  EXPECT_EQ(Text(L"slots(h)"), Join(kReady) + L",255");  // the empty slot stays last
  EXPECT_EQ(Text(kAll), L"13 0 true:0,3,22 7 false true:" + Join(kReady));

  ASSERT_TRUE(record_->AddHai(13).ok());
  ASSERT_TRUE(record_->UpdateSyanten2().ok());
  EXPECT_EQ(Text(L"h.length + ' ' + h.syanten() + ' ' + h.toArray().length"), L"14 -1 14");

  record_->ResetTehai();
  record_->MarkDiscard(14);  // 4m, earlier in the round
  record_->SetHaipai(kReady.data());
  ASSERT_TRUE(record_->UpdateSyanten1().ok());
  EXPECT_EQ(Text(L"h.furiten() === true"), L"true");

  Deal(*record_, kReversed);
  EXPECT_EQ(Call(101, DISPATCH_METHOD, nullptr), S_OK);
  EXPECT_EQ(record_->hai[0], kReady[0]);
  EXPECT_EQ(Trace(), Lines{});
}

using HandOwnersTest = PageTest;

TEST_F(HandOwnersTest, SeatsReadTheirDefaultsAndFacesScriptKeepsOutliveThemWithTheirLastValues) {
  std::optional<PlayerSeats> seats = PlayerSeats::Create(host_.hwnd());
  ASSERT_TRUE(seats);
  Player& seat = (*seats->records)[2];
  std::tie(seat.un, seat.dan, seat.rate, seat.gold, seat.rc, seat.sx, seat.ten) =
      std::make_tuple(u"\u6771", 10, 1623, 1, 5, 'M', 250);
  Deal(seat.tehai, kReady);
  ASSERT_EQ(script_.Run(kHelpers), S_OK);
  ASSERT_EQ(script_.AddNamedItem(L"seat", seats->faces[2].get()), S_OK);
  ASSERT_EQ(script_.AddNamedItem(L"first", seats->faces[0].get()), S_OK);
  EXPECT_EQ(Text(L"describe(first) + ';' + (first.tehai === first.tehai)"),
            L",0,1500,0,0,C,0,0;true");
  ASSERT_EQ(script_.Run(L"var kept = seat, hand = seat.tehai;"), S_OK);
  seats.reset();
  const Lines gone = {"IDispatchTehaiImpl DESTRUCT\r\n", "IDispatchPlayerImpl DESTRUCT\r\n",
                      "IDispatchTehaiImpl DESTRUCT\r\n", "IDispatchPlayerImpl DESTRUCT\r\n"};
  EXPECT_EQ(Trace(), gone);
  EXPECT_EQ(Text(L"describe(kept) + ';' + hand.syanten() + ';' + hand.machi()"),
            L"\u6771,10,1623,1,5,M,250,13;0;0,3,22");
  // The hand holds the page's global object: only the page can end the cycle.
  ASSERT_EQ(script_.Run(L"kept = hand = null; CollectGarbage();"), S_OK);
  EXPECT_EQ(Trace(), Lines{});
  script_.Close();
  EXPECT_EQ(Trace(), gone);
}

TEST_F(HandOwnersTest, AHostWithoutAScriptObjectFailsTheHandsWithABox) {
  TestHostWindow silent(main_.hwnd(), nullptr);
  EXPECT_FALSE(PlayerSeats::Create(silent.hwnd()));
  ExpectOneBox(boxes_, silent.hwnd(), MB_ICONERROR, "GETSCRIPT FAILED");
  EXPECT_EQ(Trace(),
            (Lines{"IDispatchTehaiImpl DESTRUCT\r\n", "IDispatchPlayerImpl DESTRUCT\r\n"}));
}

using LogInfoObjectTest = PageTest;

TEST_F(LogInfoObjectTest, PageSeesEachLogNameAsItIsSet) {
  com_ptr<IDispatchLogInfoImpl> info = IDispatchLogInfoImpl::Create();
  ASSERT_EQ(script_.AddNamedItem(L"info", info.get()), S_OK);
  const wchar_t* kAll =
      L"[info.file, info.wGameType, info.wLobbyID, info.tw, info.dwGameType, info.dwLobbyID, "
      L"info.filetw].join('|')";
  EXPECT_EQ(Text(kAll), L"|0|0|-1|0|0|");
  EXPECT_TRUE(info->SetLogName(u"2015071412gm-12345678-0a1b2c3d&tw=2"));
  EXPECT_EQ(Text(kAll),
            L"2015071412gm-12345678-0a1b2c3d|305419896|678|2|305419896|678|"
            L"2015071412gm-12345678-0a1b2c3d&tw=2");
  const std::pair<const char16_t*, const wchar_t*> names[] = {
      {u"", L"|"}, {u"ab", L"ab|ab"}, {u"abcd", L"abcd|abcd"}, {u"abcde", L"|abcde"}};
  for (const auto& [name, seen] : names) {
    info->record().name = name;
    EXPECT_EQ(Text(L"info.file + '|' + info.filetw"), seen);
  }
  EXPECT_EQ(Attempt(L"info.filetw();"), ErrorNumber(DISP_E_MEMBERNOTFOUND));
  unique_variant result;
  EXPECT_EQ(InvokeWith(info.get(), 999, DISPATCH_PROPERTYGET, {}, result.get()),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Trace(), Lines{"IDispatchLogInfoImpl UNKNOWN Invoke dispid=999/0x3E7 cArg=0"});
  script_.Close();
  info.reset();
  Trace();
}

}  // namespace
}  // namespace zuvelo::testing

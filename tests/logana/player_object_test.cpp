// The player object and the four seats: defaults, the default member, the one hand for the
// player's life, a hand that cannot be made, and a replay whose callbacks read live values.
#include "logana/player_object_win.h"

#include <algorithm>
#include <span>
#include <string>

#include "bridge/jscript_host_win.h"
#include "hand_codes.h"
#include "objects_test.h"
#include "replay/replay_log.h"

namespace zuvelo::testing {
namespace {

constexpr const wchar_t* kDescribe =
    LR"(
function describe(p) {
  return [p.un, p.dan, p.rate, p.gold, p.rc, String.fromCharCode(p.sx), p.ten,
          p.tehai.length].join(',');
}
)";

class PlayerObjectTest : public ObjectsTest {
 protected:
  void SetUp() override {
    ObjectsTest::SetUp();
    ASSERT_TRUE(engine_.ok());
    ASSERT_EQ(engine_.Run(kDescribe), S_OK);
  }
  void TearDown() override {
    EXPECT_TRUE(engine_.TakeErrors().empty());
    EXPECT_TRUE(boxes_.Take().empty());
    ObjectsTest::TearDown();
  }
  std::wstring CallText(const wchar_t* function, IDispatch* object) {
    unique_variant arg = variant_dispatch(object);
    unique_variant result;
    EXPECT_EQ(engine_.Call(function, std::span(arg.get(), 1), result.get()), S_OK);
    return TextOf(result);
  }

  JScriptHost engine_;
  ScriptHostWindow host_{engine_.Global().get()};
};

TEST_F(PlayerObjectTest, NewPlayerReadsItsDefaults) {
  auto player = IDispatchPlayerImpl::Create(std::make_shared<Player>(), host_.hwnd());
  ASSERT_TRUE(player);
  EXPECT_EQ(CallText(L"describe", player.get()), L",0,1500,0,0,C,0,0");
  EXPECT_EQ(Trace(), Lines{});
}

TEST_F(PlayerObjectTest, DefaultMemberIsThePlayerAndTehaiIsAlwaysTheSameHand) {
  auto player = IDispatchPlayerImpl::Create(std::make_shared<Player>(), host_.hwnd());
  ASSERT_TRUE(player);
  unique_variant self;
  ASSERT_EQ(Read(player.get(), DISPID_VALUE, self.get()), S_OK);
  ASSERT_EQ(self.type(), VT_DISPATCH);
  EXPECT_EQ(V_DISPATCH(self.get()), static_cast<IDispatch*>(player.get()));
  EXPECT_EQ(RefCount(player.get()), 2u);
  self.clear();

  IDispatch* hand = player->tehai();
  const ULONG hand_refs = RefCount(hand);
  for (int i = 0; i < 2; ++i) {
    unique_variant read;
    ASSERT_EQ(Read(player.get(), 108, read.get()), S_OK);
    ASSERT_EQ(read.type(), VT_DISPATCH);
    EXPECT_EQ(V_DISPATCH(read.get()), hand);
    EXPECT_EQ(RefCount(hand), hand_refs + 1);
  }
  EXPECT_EQ(RefCount(hand), hand_refs);

  ASSERT_EQ(engine_.AddNamedItem(L"p", player.get()), S_OK);
  unique_variant same;
  ASSERT_EQ(engine_.Evaluate(L"p.tehai === p.tehai && p.tehai.length === 0", same.get()), S_OK);
  EXPECT_EQ(V_BOOL(same.get()), VARIANT_TRUE);
  engine_.Close();
  EXPECT_EQ(RefCount(player.get()), 1u);
  EXPECT_EQ(RefCount(hand), hand_refs);
  EXPECT_EQ(Trace(), Lines{});
}

// The hand a page keeps outlives its player, and both outlive the seats, with their values.
TEST_F(PlayerObjectTest, FacesScriptKeepsOutliveTheSeatsWithTheirLastValues) {
  std::optional<PlayerSeats> seats = PlayerSeats::Create(host_.hwnd());
  ASSERT_TRUE(seats);
  EXPECT_EQ(host_.requests(), 4);
  (*seats->records)[2].un.assign(1, u'\u6771');
  (*seats->records)[2].ten = 250;
  Deal((*seats->records)[2].tehai, CodesOf("11123m456p789p55s"));
  ASSERT_EQ(engine_.AddNamedItem(L"seat", seats->faces[2].get()), S_OK);
  ASSERT_EQ(engine_.Run(L"var kept = seat, hand = seat.tehai;"), S_OK);
  seats.reset();
  // Seats 3, 1 and 0 go with their hands; seat 2 and its hand are the page's now.
  EXPECT_EQ(Trace(),
            (Lines{"IDispatchTehaiImpl DESTRUCT\r\n", "IDispatchPlayerImpl DESTRUCT\r\n",
                   "IDispatchTehaiImpl DESTRUCT\r\n", "IDispatchPlayerImpl DESTRUCT\r\n",
                   "IDispatchTehaiImpl DESTRUCT\r\n", "IDispatchPlayerImpl DESTRUCT\r\n"}));
  unique_variant seen;
  ASSERT_EQ(
      engine_.Evaluate(L"describe(kept) + ';' + hand.syanten() + ';' + hand.machi()", seen.get()),
      S_OK);
  EXPECT_EQ(TextOf(seen), L"\u6771,0,1500,0,0,C,250,13;0;0,3,22");
  // The page lets go (the hand holds the page's global object, so only the page can end the
  // cycle of its variables); the named item goes with the engine, and the player's hand with it.
  ASSERT_EQ(engine_.Run(L"kept = hand = null; CollectGarbage();"), S_OK);
  EXPECT_EQ(Trace(), Lines{});
  engine_.Close();
  EXPECT_EQ(Trace(),
            (Lines{"IDispatchTehaiImpl DESTRUCT\r\n", "IDispatchPlayerImpl DESTRUCT\r\n"}));
}

TEST_F(PlayerObjectTest, AHandThatCannotBeMadeFailsItsPlayerAndTheSeatsWithOneBox) {
  ScriptHostWindow silent(nullptr);
  EXPECT_FALSE(PlayerSeats::Create(silent.hwnd()));
  EXPECT_EQ(silent.requests(), 1);
  const std::vector<MessageBoxCall> boxes = boxes_.Take();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "GETSCRIPT FAILED");
  EXPECT_EQ(boxes[0].owner, silent.hwnd());
  EXPECT_EQ(Trace(),
            (Lines{"IDispatchTehaiImpl DESTRUCT\r\n", "IDispatchPlayerImpl DESTRUCT\r\n"}));
}

TEST_F(PlayerObjectTest, PropertiesOnlyRules) {
  auto player = IDispatchPlayerImpl::Create(std::make_shared<Player>(), host_.hwnd());
  ASSERT_TRUE(player);
  unique_variant value;
  EXPECT_EQ(Call(player.get(), 103, DISPATCH_METHOD, {}, value.get()), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call(player.get(), 103, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, value.get()), S_OK);
  EXPECT_EQ(V_I4(value.get()), 1500);
  EXPECT_EQ(Call(player.get(), DISPID_VALUE, DISPATCH_PROPERTYGET, {}, nullptr),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call(player.get(), 109, DISPATCH_PROPERTYGET, Args({L"x"}), value.put()),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Trace(), Lines{"IDispatchPlayerImpl UNKNOWN Invoke dispid=109/0x6D cArg=1"});
}

// Calls the page's callbacks with the seats as the analyzer does, so the page reads the
// records the replay is changing.
class ScriptEvents final : public ReplayEvents {
 public:
  ScriptEvents(JScriptHost& engine, PlayerSeats& seats) : engine_(engine), seats_(seats) {}
  EventSet Supplied() const override { return EventSet::All(); }
  int OnSceneBegin(std::span<const std::int32_t, 5>, std::span<const std::int32_t>) override {
    return Notify(L"onSceneBegin", 0);
  }
  int OnTsumo(int who, int) override { return Notify(L"onTsumo", who); }
  int OnDahai(int who, int) override { return Notify(L"onDahai", who); }
  int OnReach(int who) override { return Notify(L"onReach", who); }

 private:
  int Notify(const wchar_t* function, int who) {
    unique_variant player = variant_dispatch(seats_.faces[who].get());
    return engine_.Call(function, std::span(player.get(), 1), nullptr) == S_OK ? 0 : 1;
  }
  JScriptHost& engine_;
  PlayerSeats& seats_;
};

class NoMessages final : public ReplayReporter {
 public:
  void Report(const ReplayMessage& message) override { ADD_FAILURE() << message.text; }
};

TEST_F(PlayerObjectTest, CallbacksOfAReplayReadTheLiveValues) {
  ASSERT_EQ(engine_.Run(LR"(
var seen = [], first = null;
function note(what, p) {
  seen.push(what + ' ' + describe(p) + ' ' + p.tehai.syanten() + ' ' + p.tehai.machiCount());
}
function onSceneBegin(p) { first = p; note('begin', p); }
function onTsumo(p) { note('tsumo', p); }
function onDahai(p) { note('dahai', p); }
function onReach(p) { note('reach', p); }
)"),
            S_OK);
  std::optional<PlayerSeats> seats = PlayerSeats::Create(host_.hwnd());
  ASSERT_TRUE(seats);
  auto hai = [](std::string_view notation) {
    std::string list;
    for (int code : CodesOf(notation)) {
      if (!list.empty()) list += ',';
      list += std::to_string(code);
    }
    return list;
  };
  // Seat 0 is dealt a ready hand, draws a winning third 5s (code 90), declares riichi instead
  // and lets the 5s go.
  std::string log =
      "<mjloggm ver=\"2.3\"><UN n0=\"%E6%9D%B1\" n1=\"B\" n2=\"C\" n3=\"D\" "
      "dan=\"10,11,12,13\" rate=\"1623.99,1500.00,1400.00,2001.70\" sx=\"M,F,C,M\" "
      "gold=\"1,2,3,4\" rc=\"5,6,7,8\"/><INIT seed=\"0,0,0,2,3,52\" ten=\"250,240,260,250\" "
      "oya=\"0\"";
  const char* dealt[] = {"11123m456p789p55s", "1112223334445z", "2223334445556z", "1112223336667z"};
  for (int seat = 0; seat < 4; ++seat) {
    log.append(" hai")
        .append(std::to_string(seat))
        .append("=\"")
        .append(hai(dealt[seat]))
        .append("\"");
  }
  log.append(
      "/><T90/><REACH who=\"0\" step=\"1\"/><D90/><REACH who=\"0\" step=\"2\"/>"
      "<RYUUKYOKU sc=\"250,0,250,0,250,0,250,0\" owari=\"250,0.0,250,0.0,250,0.0,250,0.0\" />"
      "</mjloggm>");
  LogInfo info;
  NoMessages reporter;
  ScriptEvents events(engine_, *seats);
  ASSERT_EQ(ReplayLog(log.c_str(), info, *seats->records, events, reporter), kReplayOk);
  unique_variant seen;
  ASSERT_EQ(engine_.Evaluate(L"seen.join('|') + '|after ' + describe(first)", seen.get()), S_OK);
  // The riichi stick is paid at step 2, after the discard.
  EXPECT_EQ(TextOf(seen),
            L"begin \u6771,10,1623,1,5,M,250,13 0 7|"
            L"tsumo \u6771,10,1623,1,5,M,250,14 -1 6|"
            L"reach \u6771,10,1623,1,5,M,250,14 -1 6|"
            L"dahai \u6771,10,1623,1,5,M,250,13 0 7|"
            L"after \u6771,10,1623,1,5,M,240,13");
  engine_.Close();
  seats.reset();
  Trace();
}

}  // namespace
}  // namespace zuvelo::testing

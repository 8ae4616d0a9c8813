// Meld code decoding and the hand change of a call.
#include "replay/naki.h"

#include <algorithm>
#include <string>

namespace zuvelo {
namespace {

constexpr TileCode Code(int kind, int copy) { return static_cast<TileCode>(4 * kind + copy); }

// Called tile first when it came from another seat (k names its position); else ascending.
void OrderCalled(MeldCall& call, int k, TileCode low, TileCode mid, TileCode high) {
  if (call.from == 0 || k == 0)
    call.tiles = {low, mid, high, kNoTile};
  else if (k == 1)
    call.tiles = {mid, low, high, kNoTile};
  else
    call.tiles = {high, low, mid, kNoTile};
}

void DecodeChi(std::uint16_t m, MeldCall& call) {
  const int b = m >> 10;
  const int sequence = b / 3;
  const int kind = sequence / 7 * 9 + sequence % 7;
  OrderCalled(call, b % 3, Code(kind, m >> 3 & 3), Code(kind + 1, m >> 5 & 3),
              Code(kind + 2, m >> 7 & 3));
}

void DecodePon(std::uint16_t m, MeldCall& call) {
  const int b = m >> 9;
  const int kind = b / 3;
  const int unused = m >> 5 & 3;
  std::array<TileCode, 3> copies{};
  for (int copy = 0, i = 0; copy < 4; ++copy)
    if (copy != unused) copies[i++] = Code(kind, copy);
  OrderCalled(call, b % 3, copies[0], copies[1], copies[2]);
}

// t1 and the other three codes of its kind, ascending.
void FillKanTiles(TileCode t1, MeldCall& call) {
  const int t2 = (t1 & ~3) + (t1 % 4 == 0 ? 1 : 0);
  const int t3 = t2 + 1 == t1 ? t2 + 2 : t2 + 1;
  const int t4 = t3 + 1 == t1 ? t3 + 2 : t3 + 1;
  call.tiles = {t1, static_cast<TileCode>(t2), static_cast<TileCode>(t3),
                static_cast<TileCode>(t4)};
}

NakiType TypeOf(std::uint16_t m) {
  if (m & 0x04) return NakiType::kChi;
  if (m & 0x08) return NakiType::kPon;
  if (m & 0x10) return NakiType::kKakan;
  if (m & 0x20) return (m & 0x03) == 0 ? NakiType::kNuki : NakiType::kUnknown;
  return (m & 0x03) == 0 ? NakiType::kAnkan : NakiType::kMinkan;
}

void RecordCall(Tehai& tehai, NakiType type, std::uint16_t m, std::string& message) {
  if (type != NakiType::kKakan) {
    tehai.nakiList.push_back(m);
    return;
  }
  const auto pon = std::find(tehai.nakiList.begin(), tehai.nakiList.end(), m ^ 0x18);
  if (pon == tehai.nakiList.end())
    message = "TehaiNaki INVALID Chakan";
  else
    *pon = m;
}

}  // namespace

MeldCall DecodeMeld(std::uint16_t m) {
  MeldCall call;
  call.type = TypeOf(m);
  call.from = m & 3;
  switch (call.type) {
    case NakiType::kChi:
      DecodeChi(m, call);
      break;
    case NakiType::kPon:
      DecodePon(m, call);
      break;
    case NakiType::kKakan:
      FillKanTiles(Code((m >> 9) / 3, m >> 5 & 3), call);
      break;
    case NakiType::kAnkan:
    case NakiType::kMinkan:
      FillKanTiles(static_cast<TileCode>(m >> 8), call);
      break;
    case NakiType::kNuki:
      call.from = 0;
      call.tiles = {static_cast<TileCode>(m >> 8), kNoTile, kNoTile, kNoTile};
      break;
    case NakiType::kUnknown:
      call.from = 0;
      break;
  }
  return call;
}

HandTiles TilesFromHand(const MeldCall& call) {
  const auto& t = call.tiles;
  switch (call.type) {
    case NakiType::kChi:
    case NakiType::kPon:
      return {{t[1], t[2], kNoTile, kNoTile}, 2};
    case NakiType::kMinkan:
      return {{t[1], t[2], t[3], kNoTile}, 3};
    case NakiType::kAnkan:
      return {t, 4};
    case NakiType::kKakan:
    case NakiType::kNuki:
      return {{t[0], kNoTile, kNoTile, kNoTile}, 1};
    case NakiType::kUnknown:
      break;
  }
  return {{kNoTile, kNoTile, kNoTile, kNoTile}, 0};
}

NakiResult TehaiNaki(Tehai& tehai, std::int32_t m, bool handValues) {
  const auto code = static_cast<std::uint16_t>(m);
  NakiResult result;
  result.call = DecodeMeld(code);
  const NakiType type = result.call.type;
  if (type == NakiType::kUnknown) {
    result.message = std::string("UNKNOWN NAKI TYPE m=").append(std::to_string(m));
    return result;
  }
  const HandTiles removed = TilesFromHand(result.call);
  for (int i = 0; i < removed.count; ++i) {
    result.hand = tehai.RemoveHai(removed.codes[i]);
    if (!result.hand.ok()) return result;
  }
  const bool discardsNext = type == NakiType::kChi || type == NakiType::kPon;
  if (handValues)
    result.hand = discardsNext ? tehai.UpdateSyanten2() : tehai.UpdateSyanten1();
  else
    result.hand = discardsNext ? tehai.CheckTileCount2() : tehai.CheckTileCount1();
  if (!result.hand.ok()) return result;
  RecordCall(tehai, type, code, result.message);
  return result;
}

}  // namespace zuvelo

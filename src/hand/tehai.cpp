// The hand record's operations. Faults leave the record exactly as it was.
#include "hand/tehai.h"

#include <algorithm>
#include <cstring>

#include "base/trace.h"
#include "hand/syanten.h"

namespace zuvelo {
namespace {

// The 14 slots as two overlapping 8-byte words: a memcmp call would cost more than the rest of
// an unchanged-hand check.
bool SameSlots(const std::array<TileCode, 14>& a, const std::array<TileCode, 14>& b) {
  std::uint64_t a0, a1, b0, b1;
  std::memcpy(&a0, a.data(), 8), std::memcpy(&a1, a.data() + 6, 8);
  std::memcpy(&b0, b.data(), 8), std::memcpy(&b1, b.data() + 6, 8);
  return ((a0 ^ b0) | (a1 ^ b1)) == 0;
}

}  // namespace

Tehai::Tehai() {
  nakiList.reserve(4);
  machi.reserve(kKindCount);
  ResetTehai();
}

void Tehai::ResetTehai() {
  hai.fill(kNoTile);
  nHai = 0;
  syanten1 = 8;
  syanten2 = 8;
  haiKey = 0;
  haiKeyed = false;
  nakiList.clear();
  machi.clear();
  sutehaiKinds.fill(0);
  furiten = false;
}

void Tehai::SetHaipai(const int* values13) {
  for (int i = 0; i < 13; ++i) hai[i] = static_cast<TileCode>(values13[i]);
  hai[13] = kNoTile;
  nHai = 13;
}

HandResult Tehai::AddHai(int code) {
  if (nHai >= 14) return {HandError::kTehaiFull, code};
  hai[nHai++] = static_cast<TileCode>(code);
  return {};
}

HandResult Tehai::RemoveHai(int code) {
  const auto tile = static_cast<TileCode>(code);
  const HandResult missing{HandError::kInvalidTehai, tile};
  // An empty slot holds no tile: 255 would match the first slot past the hand.
  if (nHai <= 0 || tile == kNoTile) return missing;
  if (hai[nHai - 1] == tile) {
    hai[nHai - 1] = kNoTile;
    --nHai;
    return {};
  }
  const auto found = std::find(hai.begin(), hai.end(), tile);
  if (found == hai.end()) return missing;
  // The last filled slot: the one before the first empty slot from the match on.
  const auto end = std::find(found, hai.end(), kNoTile);
  if (end == hai.begin()) return missing;  // only a dealt 255 in slot 0 gets here
  *found = *(end - 1);
  *(end - 1) = kNoTile;
  --nHai;
  return {};
}

void Tehai::MarkDiscard(int code) {
  if (static_cast<unsigned>(code) < kTileCodeCount) sutehaiKinds[code / 4] = 1;
}

void Tehai::Sort() { std::sort(hai.begin(), hai.end()); }

HandResult Tehai::CheckTileCount1() const {
  if (nHai % 3 == 1) return {};
  trace("UpdateSyanten1 nHai=%d\r\n", nHai);
  return {HandError::kBadTileCount1, nHai};
}

HandResult Tehai::CheckTileCount2() const {
  if (nHai % 3 == 2) return {};
  trace("UpdateSyanten2 nHai=%d\r\n", nHai);
  return {HandError::kBadTileCount2, nHai};
}

HandResult Tehai::UpdateSyanten1() {
  if (HandResult r = CheckTileCount1(); !r.ok()) return r;
  if (haiKeyed && SameSlots(hai, keyedHai)) {
    // Same slots, but a drawn tile discarded again has been marked since: a ready hand waiting
    // on it is furiten now, whatever the flag said before.
    if (syanten1 == 0) furiten = AnyDiscarded(machi);
    return {};
  }
  TileKind waits[kKindCount];
  int n = 0;
  syanten1 = CalcSyanten14WithMachi(hai.data(), waits, n);
  haiKey = HaiKey(hai);
  keyedHai = hai;
  haiKeyed = true;
  machi.clear();
  if (syanten1 != 0) return {};
  machi.insert(machi.end(), waits, waits + n);
  furiten = AnyDiscarded(machi);
  return {};
}

HandResult Tehai::UpdateSyanten2() {
  if (HandResult r = CheckTileCount2(); !r.ok()) return r;
  syanten2 = CalcSyanten14(hai.data());
  return {};
}

bool Tehai::AnyDiscarded(const std::vector<TileKind>& kinds) const {
  return std::any_of(kinds.begin(), kinds.end(), [&](TileKind k) { return sutehaiKinds[k] != 0; });
}

int Tehai::MachiCount() const {
  const KindCounts counts = Counts();
  int total = 0;
  for (TileKind k : machi) total += 4 - counts[k];
  return total;
}

std::uint32_t HaiKey(const std::array<TileCode, 14>& hai) {
  auto word = [&](int i) {
    return std::uint32_t{hai[i]} | std::uint32_t{hai[i + 1]} << 8 |
           std::uint32_t{hai[i + 2]} << 16 | std::uint32_t{hai[i + 3]} << 24;
  };
  return word(0) ^ word(4) ^ word(8) ^ (std::uint32_t{hai[12]} | std::uint32_t{hai[13]} << 8);
}

}  // namespace zuvelo

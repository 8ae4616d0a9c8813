// The slow reference itself: hand-worked hands, and its standard form against a plain search
// over every complete hand.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "hand/hand_notation.h"
#include "random_hands.h"
#include "syanten_reference.h"

namespace zuvelo {
namespace {

using testing_hands::Describe;
using testing_hands::HandRng;

KindCounts Hand(const std::string& notation) {
  const ParsedHand hand = ParseTileNotation(notation);
  EXPECT_TRUE(hand.ok()) << notation << ": " << hand.message;
  return hand.counts;
}

struct WorkedSyanten {
  const char* hand;
  int syanten;
};

TEST(SyantenReference, HandWorkedShanten) {
  const WorkedSyanten cases[] = {
      {"1111m+3", 1},  // the spare 1m cannot be the head
      {"2222m+3", 1},  // nor can a 2m
      {"5m+4", 0},     // a lone tile waits for its pair
      {"55m+4", -1},
      {"12m+4", 0},
      {"1112m+3", 0},
      {"123m456p789s1z+1", 0},
      {"123m456p789s11z+1", -1},
      {"1234567m1z+2", 0},       // one exchange: 1z for a second 7m
      {"123m456p789s1111z", 1},  // four East leave one East that can never be used
      {"1115555m456p789s", 1},   // four 5m with no 3m, 4m, 6m or 7m
      {"1234444m456p789s", 0},   // 1m becomes the single that waits for its pair
      {"1111234m+2", 0},
      {"1111m2222m33m+1", 0},
      {"1112345678999m", 0},
      {"11122233344455m", -1},
      {"123456789m12345p", 0},
      {"123m456p789s1122z", 0},
      {"1122m3344p5566s77z", -1},  // seven pairs
      {"1122m3344p5566s7z", 0},
      {"1111m3344p5566s77z", 1},  // four of a kind is one pair, not two
      {"19m19p19s1234567z", 0},   // thirteen orphans
      {"119m19p19s1234567z", -1},
      {"19m19p19s1234566z", 0},
      {"1m1p1s1234567z+1", 6},   // no seven pairs or orphans below 13 tiles
      {"147m258p369s1357z", 6},  // nothing touches anything: seven pairs needs 7 tiles
      {"159m159p159s1234z", 3},  // orphans lacks three
  };
  for (const WorkedSyanten& c : cases)
    EXPECT_EQ(reference::Syanten(Hand(c.hand)), c.syanten) << c.hand;
}

struct WorkedMachi {
  const char* hand;
  const char* waits;
};

TEST(SyantenReference, HandWorkedWaits) {
  const WorkedMachi cases[] = {
      {"1112345678999m", "1m 2m 3m 4m 5m 6m 7m 8m 9m"},
      {"1122m3344p5566s7z", "7z"},
      {"19m19p19s1234567z", "1m 9m 1p 9p 1s 9s 1z 2z 3z 4z 5z 6z 7z"},
      {"19m19p19s1234566z", "7z"},
      {"123m456p789s1z+1", "1z"},
      {"123m456p789s1122z", "1z 2z"},
      {"1111234m+2", "4m"},  // 1m would be a fifth copy
      {"1112m+3", "2m 3m"},
      {"1111m2222m33m+1", "3m 4m"},
      {"1234444m456p789s", "1m"},
      {"5m+4", "5m"},
      {"2222m+3", "none"},
      {"123m456p789s1111z", "none"},
      {"1115555m456p789s", "none"},
      {"1122m3344p5566s77z", "none"},  // 14 tiles wait on nothing
  };
  for (const WorkedMachi& c : cases)
    EXPECT_EQ(Describe(reference::Machi(Hand(c.hand))), c.waits) << c.hand;
}

// Tries every hand of `sets` sets and one pair (no kind more than four times) and keeps the
// fewest tiles it holds beyond `held`, cutting a branch once it cannot win.
class CompleteHandSearch {
 public:
  explicit CompleteHandSearch(const KindCounts& held) : held_(held) {
    for (int kind = 0; kind < kKindCount; ++kind) {
      all_sets_.push_back({kind, kind, kind});
      if (kind < kSuitKindCount && kind % 9 < 7) all_sets_.push_back({kind, kind + 1, kind + 2});
    }
  }

  int FewestMissing(int sets) {
    best_ = 99;
    Search(0, sets, 0);
    return best_;
  }

 private:
  // The cost of one more tile of `kind`; -1 when that would be a fifth copy.
  int Add(int kind) {
    if (built_[kind] == 4) return -1;
    return built_[kind]++ >= held_[kind] ? 1 : 0;
  }

  void Search(std::size_t first, int setsLeft, int missing) {
    if (missing >= best_) return;
    if (setsLeft == 0) return AddPair(missing);
    for (std::size_t set = first; set < all_sets_.size(); ++set) {
      int cost = 0;
      int added = 0;
      for (int kind : all_sets_[set]) {
        const int step = Add(kind);
        if (step < 0) break;
        cost += step;
        ++added;
      }
      if (added == 3) Search(set, setsLeft - 1, missing + cost);
      for (int i = 0; i < added; ++i) --built_[all_sets_[set][i]];
    }
  }

  void AddPair(int missing) {
    for (int kind = 0; kind < kKindCount; ++kind) {
      if (built_[kind] + 2 > 4) continue;
      const int before = std::max(0, built_[kind] - held_[kind]);
      const int after = std::max(0, built_[kind] + 2 - held_[kind]);
      best_ = std::min(best_, missing + after - before);
    }
  }

  KindCounts held_;
  std::array<int, kKindCount> built_{};
  std::vector<std::array<int, 3>> all_sets_;
  int best_ = 99;
};

TEST(SyantenReference, StandardFormIsTheDistanceToTheNearestCompleteHand) {
  struct Size {
    int tiles;
    int hands;
  };
  const Size sizes[] = {{1, 300}, {2, 300}, {4, 300}, {5, 300}, {7, 200},
                        {8, 200}, {10, 60}, {11, 60}, {13, 25}, {14, 25}};
  HandRng rng(20240601);
  for (const Size& size : sizes) {
    const int sets = 4 - (14 - size.tiles) / 3;
    for (int i = 0; i < size.hands; ++i) {
      const KindCounts counts = testing_hands::CountsOf(rng.Hand(size.tiles));
      CompleteHandSearch search(counts);
      ASSERT_EQ(reference::StandardSyanten(counts), search.FewestMissing(sets) - 1)
          << Describe(counts);
    }
  }
}

}  // namespace
}  // namespace zuvelo

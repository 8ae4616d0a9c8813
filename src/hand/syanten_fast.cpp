// The fast shanten's entry point on counts, and its rare exact path.
#include "hand/syanten_detail.h"
#include "hand/syanten_view.h"

namespace zuvelo::detail {

int ExactForm(const HandView& v, const KindCounts& counts, const FixedGroups& h) {
  const SuitTables& tables = GetSuitTables();
  if (v.largest > kTabledSuitTiles)
    return CombineShapes(tables.ShapeOfAny(&counts[0]), tables.ShapeOfAny(&counts[9]),
                         tables.ShapeOfAny(&counts[18]), h);
  return CombineShapes(tables.Shape(v.spots[0].index()), tables.Shape(v.spots[1].index()),
                       tables.Shape(v.spots[2].index()), h);
}

int FastSyanten(const KindCounts& counts) {
  HandView view;
  return ViewHand(counts, view) ? SyantenOfView(view, counts) : kNotLegal;
}

}  // namespace zuvelo::detail

// The texts of the hand faults, byte for byte as the user and the trace see them.
#include "hand/hand_result.h"

#include <cstdio>

namespace zuvelo {

std::string HandResult::Message() const {
  char text[64] = "";
  switch (error) {
    case HandError::kNone:
      break;
    case HandError::kTehaiFull:
      return "TEHAI FULL";
    case HandError::kInvalidTehai:
      std::snprintf(text, sizeof text, "INVALID TEHAI hai136=%d", value);
      break;
    case HandError::kBadTileCount1:
      std::snprintf(text, sizeof text, "UpdateSyanten1 nHai=%d", value);
      break;
    case HandError::kBadTileCount2:
      std::snprintf(text, sizeof text, "UpdateSyanten2 nHai=%d", value);
      break;
  }
  return text;
}

}  // namespace zuvelo

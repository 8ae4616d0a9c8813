// Faults of the hand operations, as values: the caller (replay, Win32 layer) decides how a
// user sees them. The core never shows a box.
#pragma once

#include <string>

namespace zuvelo {

enum class HandError {
  kNone,
  kTehaiFull,      // "TEHAI FULL"
  kInvalidTehai,   // "INVALID TEHAI hai136=%d", value = the code
  kBadTileCount1,  // UpdateSyanten1 with nHai % 3 != 1, value = nHai (traced, no box)
  kBadTileCount2,  // UpdateSyanten2 with nHai % 3 != 2, value = nHai (traced, no box)
};

struct [[nodiscard]] HandResult {
  HandError error = HandError::kNone;
  int value = 0;

  [[nodiscard]] bool ok() const { return error == HandError::kNone; }
  // True for faults the user is shown in a box; the tile-count faults are trace-only.
  [[nodiscard]] bool ShowsMessage() const {
    return error == HandError::kTehaiFull || error == HandError::kInvalidTehai;
  }
  // The system's text for the fault: "TEHAI FULL", "INVALID TEHAI hai136=7",
  // "UpdateSyanten1 nHai=12" (the trace line without its line end). Empty when ok().
  [[nodiscard]] std::string Message() const;
};

}  // namespace zuvelo

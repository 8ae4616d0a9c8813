// Log names: the file name of a game log without its extension. Which lengths and endings make
// a valid one, the game type and lobby coded in it, and filling the replay's LogInfo from it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "replay/replay_types.h"

namespace zuvelo {

// 34, 35, 36, 37, 42 or 43 characters.
[[nodiscard]] bool IsLogNameLength(std::size_t length);

struct LogNameFields {
  std::int32_t gameType = 0;  // hexadecimal in the name
  std::int32_t lobby = 0;     // decimal, five characters after the game type
};

// The fields of a valid log name: a valid length, "&tw=" and one digit 0..3 at the end, and
// "-" at index 10 (game type at 11) or else at index 12 (game type at 13). Numbers are read
// as wcstol reads them and kept in 32 bits.
[[nodiscard]] std::optional<LogNameFields> ParseLogName(std::u16string_view name);

// SetLogName: a name of another length changes nothing; otherwise `info.name` takes the name,
// and the game type and lobby change only when the name is valid. True for a valid name.
bool SetLogName(LogInfo& info, std::u16string_view name);

}  // namespace zuvelo

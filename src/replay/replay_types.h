// Plain records the replay fills (players with their hands, the log's identity), the replay's
// result values, and the reporter that is handed every fault message of a log.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "hand/tehai.h"

namespace zuvelo {

// What ReplayLog returns besides an event's own non-zero result.
inline constexpr int kReplayOk = 0;
inline constexpr int kReplayNotALog = 1;
// A fault message ended the replay. E_FAIL's bit pattern: non-zero, distinct from "not a log",
// and it reads as a plain failure where the Win32 layer shows results in hexadecimal.
inline constexpr int kReplayFault = static_cast<int>(0x80004005u);

// The log's identity as the replay sees it; the script object of the analyzer wraps it.
struct LogInfo {
  std::int32_t gameType = 0;
  std::int32_t lobby = 0;
  std::u16string name;  // the full log name ("filetw"), used in messages
};

// One seat: the values of the log's player line, the score and the hand.
struct Player {
  std::u16string un;
  std::int32_t dan = 0;
  std::int32_t rate = 1500;
  std::int32_t gold = 0;
  std::int32_t rc = 0;
  std::int32_t sx = 'C';
  std::int32_t ten = 0;  // units of 100 points
  Tehai tehai;
};

using Players = std::array<Player, 4>;

enum class MessageIcon : std::uint8_t { kNone, kError };

// A fault of a log as the user is to see it. The text is UTF-8; log names are ASCII in
// practice, so for the system's own messages it is plain ASCII.
struct ReplayMessage {
  std::string text;
  MessageIcon icon = MessageIcon::kNone;
};

// Told every message that ends a replay, before ReplayLog returns kReplayFault. The Win32 layer
// shows it as a modal box with the platform's default caption; tests record it.
class ReplayReporter {
 public:
  virtual ~ReplayReporter() = default;
  virtual void Report(const ReplayMessage& message) = 0;
};

}  // namespace zuvelo

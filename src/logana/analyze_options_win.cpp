// Reading analyze's options with the script value readers.
#include "logana/analyze_options_win.h"

#include <optional>

#include "base/trace.h"
#include "bridge/automation/script_values.h"

namespace zuvelo {

AnalyzeOptions AnalyzeOptions::Read(IDispatch* options) {
  AnalyzeOptions o;
  // Exact texts only: any other spelling keeps the newest-first default.
  if (const std::optional<std::wstring> order = GetTextProperty(options, L"sortAs")) {
    if (*order == L"CTimeAscent") o.iSortAs = 0;
  }
  if (std::optional<std::wstring> player = GetTextProperty(options, L"enumPlayer")) {
    o.enumPlayer = std::move(*player);
  }
  o.enumLobbyID = GetIntProperty(options, L"enumLobbyID", -1);
  o.enumMatchMask = GetIntProperty(options, L"enumMatchMask", 0);
  o.enumMatch = GetIntProperty(options, L"enumMatch", 0);
  o.enumSkipMask = GetIntProperty(options, L"enumSkipMask", 0);
  o.enumSkip = GetIntProperty(options, L"enumSkip", 0);
  trace("iSortAs=%d enumLobbyID=%d enumMatch(%04X:%04X) enumSkip(%04X:%04X) enumPlayer.len=%d\r\n",
        o.iSortAs, o.enumLobbyID, static_cast<unsigned>(o.enumMatchMask),
        static_cast<unsigned>(o.enumMatch), static_cast<unsigned>(o.enumSkipMask),
        static_cast<unsigned>(o.enumSkip), static_cast<int>(o.enumPlayer.size()));
  return o;
}

}  // namespace zuvelo

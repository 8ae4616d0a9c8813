// The trace lines as a real listener on 127.0.0.1:514 receives them. The listener is made
// before the first test, so that on Windows the sockets layer is up before the first line.
#pragma once

#include <string>
#include <vector>

namespace zuvelo::testing {

// Lines that arrived since the last call, each without its terminating zero byte. A datagram
// that does not end in one zero byte is returned whole, so comparisons show it.
std::vector<std::string> TakeTraceLines();
[[nodiscard]] bool TraceListening();

}  // namespace zuvelo::testing

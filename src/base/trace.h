// Process-wide diagnostic trace: each line is one UDP datagram to 127.0.0.1:514, text plus
// its terminating zero byte, at most 1023 text bytes. Lost silently when nobody listens.
#pragma once

#include <cstdint>
#include <optional>

#include "base/seam.h"

namespace zuvelo {

inline constexpr std::uint16_t kTracePort = 514;

// printf-style; always returns 0. A null format or an empty result sends nothing.
int trace(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Test seam: while it lives, the trace goes to this port of 127.0.0.1 instead of kTracePort, so
// that a test program listens on a port of its own rather than the machine-wide one.
using TracePortSeam = Seam<std::optional<std::uint16_t>, struct TracePortSeamTag>;
using ScopedTracePort = TracePortSeam::Scope;

}  // namespace zuvelo

// Process-wide diagnostic trace: each line is one UDP datagram to 127.0.0.1:514, text plus
// its terminating zero byte, at most 1023 text bytes. Lost silently when nobody listens.
#pragma once

namespace zuvelo {

// printf-style; always returns 0. A null format or an empty result sends nothing.
int trace(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace zuvelo

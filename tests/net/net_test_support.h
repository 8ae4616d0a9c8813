// What the download client's tests share: the sockets layer, the loopback test server started by
// ctest, and readers for what the client leaves behind.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/socket.h"

namespace zuvelo::testing {

// The port of http_test_server.py, from the port file ctest's fixture writes into the test's
// working folder; 0 when there is none (the test was not started through ctest).
[[nodiscard]] int TestServerPort();
// "http://<host>:<port>" + path on the test server.
[[nodiscard]] std::string ServerUrl(std::string_view path, std::string_view host = "127.0.0.1");
// A loopback port nobody listens on (bound, then released).
[[nodiscard]] int ClosedPort();

// The bytes /length and /stream send: the pattern cut to `size`.
[[nodiscard]] std::string Pattern(std::size_t size);
[[nodiscard]] std::string Text(const std::vector<std::uint8_t>& bytes);
// The gzip member inflated; empty when it is not gzip.
[[nodiscard]] std::string Gunzip(const std::vector<std::uint8_t>& bytes);

// The time-outs set on a socket, read back from the system.
[[nodiscard]] std::chrono::milliseconds ReceiveTimeout(sockets::NativeSocket s);
[[nodiscard]] std::chrono::milliseconds SendTimeout(sockets::NativeSocket s);

}  // namespace zuvelo::testing

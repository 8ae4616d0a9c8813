// Program-wide set-up: COM on the test thread, sockets started before the first trace line,
// and the trace receiver bound once.

#include "bridge_test.h"
#include "support/com_test_environment.h"

namespace zuvelo::testing {
namespace {

ZUVELO_COM_TEST_ENVIRONMENT();

}  // namespace

TraceListener& TraceReceiver() {
  static TraceListener receiver(120000);
  [[maybe_unused]] static const bool own = receiver.KeepOnlyThisProcess();
  return receiver;
}

}  // namespace zuvelo::testing

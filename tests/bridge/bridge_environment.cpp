// Program-wide set-up: COM on the test thread, sockets started before the first trace line,
// and the trace receiver bound once.
#include <memory>

#include "bridge/com_apartment.h"
#include "bridge_test.h"

namespace zuvelo::testing {
namespace {

class BridgeEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    sockets_ = std::make_unique<WinsockSession>();
    apartment_ = std::make_unique<ComApartment>();
    ASSERT_TRUE(sockets_->ok());
    ASSERT_TRUE(apartment_->ok());
  }
  void TearDown() override {
    apartment_.reset();
    sockets_.reset();
  }

 private:
  std::unique_ptr<WinsockSession> sockets_;
  std::unique_ptr<ComApartment> apartment_;
};

[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new BridgeEnvironment);

}  // namespace

TraceListener& TraceReceiver() {
  static TraceListener receiver(120000);
  [[maybe_unused]] static const bool own = receiver.KeepOnlyThisProcess();
  return receiver;
}

}  // namespace zuvelo::testing

// COM on the test thread, and sockets up before the first trace line (the channel is made once).
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "base/com_apartment_win.h"
#include "shell/use_wsock32.h"

namespace zuvelo::testing {

class ComTestEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    sockets_ = std::make_unique<SocketsLayer>();
    apartment_ = std::make_unique<ComApartment>();
    ASSERT_TRUE(sockets_->ok());
    ASSERT_TRUE(apartment_->ok());
  }
  void TearDown() override {
    apartment_.reset();
    sockets_.reset();
  }

 private:
  std::unique_ptr<SocketsLayer> sockets_;
  std::unique_ptr<ComApartment> apartment_;
};

// attempt(f) is 'ok' or the failure's number.
inline constexpr const wchar_t* kAttemptHelper =
    LR"(
function attempt(f) {
  try { f(); return 'ok'; } catch (e) { return String(e.number); }
}
)";

}  // namespace zuvelo::testing

#define ZUVELO_COM_TEST_ENVIRONMENT()                                          \
  [[maybe_unused]] ::testing::Environment* const zuvelo_com_test_environment = \
      ::testing::AddGlobalTestEnvironment(new ::zuvelo::testing::ComTestEnvironment)

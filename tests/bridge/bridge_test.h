// Fixture shared by the bridge tests: one trace receiver for the program, and a leak check
// after every test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bridge/com_ptr.h"
#include "sample_objects.h"
#include "support/trace_listener.h"

namespace zuvelo::testing {

TraceListener& TraceReceiver();

class BridgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(TraceReceiver().ok()) << "UDP 127.0.0.1:514 is not free";
    ASSERT_TRUE(TraceReceiver().keeps_only_this_process()) << "own trace lines do not arrive";
    TraceReceiver().Take(0);
  }
  void TearDown() override {
    EXPECT_EQ(LiveSampleObjects(), 0) << "a script object outlived its test";
    EXPECT_EQ(TraceReceiver().malformed(), 0) << "a trace datagram lacked its zero byte";
  }
  static std::vector<std::string> Trace() { return TraceReceiver().Take(); }
};

template <class T>
com_ptr<T> Make() {
  return com_ptr<T>(new T);
}

// The count as the object keeps it, seen through AddRef/Release.
inline ULONG RefCount(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

}  // namespace zuvelo::testing

#include <utility>

#include "bridge/variant.h"

namespace zuvelo::testing {

// Arguments given in script order and laid out last-first, as automation stores them.
class ScriptArgs {
 public:
  ScriptArgs() = default;
  ScriptArgs(std::initializer_list<int> numbers) {
    for (int n : numbers) Add(variant_i4(n));
  }
  ScriptArgs& Add(unique_variant value) {
    owned_.push_back(std::move(value));
    return *this;
  }
  DISPPARAMS* params() {
    stored_.clear();
    for (auto it = owned_.rbegin(); it != owned_.rend(); ++it) stored_.push_back(*it->get());
    params_ = {stored_.empty() ? nullptr : stored_.data(), nullptr,
               static_cast<UINT>(stored_.size()), 0};
    return &params_;
  }

 private:
  std::vector<unique_variant> owned_;
  std::vector<VARIANT> stored_;
  DISPPARAMS params_{};
};

inline HRESULT CallInvoke(IDispatch* object, DISPID id, WORD flags, ScriptArgs args,
                          VARIANT* result) {
  return object->Invoke(id, IID_NULL, 0, flags, args.params(), result, nullptr, nullptr);
}

}  // namespace zuvelo::testing

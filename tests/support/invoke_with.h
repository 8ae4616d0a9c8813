#pragma once

#include <oaidl.h>

#include <vector>

#include "base/variant_win.h"

namespace zuvelo::testing {

// Arguments in script order, laid out last-first as automation stores them.
inline HRESULT InvokeWith(IDispatch* object, DISPID id, WORD flags,
                          std::vector<unique_variant> args, VARIANT* result) {
  std::vector<VARIANT> stored;
  for (auto it = args.rbegin(); it != args.rend(); ++it) stored.push_back(*it->get());
  DISPPARAMS params{stored.empty() ? nullptr : stored.data(), nullptr,
                    static_cast<UINT>(stored.size()), 0};
  return object->Invoke(id, IID_NULL, 0, flags, &params, result, nullptr, nullptr);
}

}  // namespace zuvelo::testing

// Replaces global operator new to count the process's heap allocations.
#pragma once

namespace zuvelo::testing {

long long AllocationCount();

}  // namespace zuvelo::testing

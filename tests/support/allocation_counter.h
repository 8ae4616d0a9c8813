// Counts every heap allocation of the program it is linked into (global operator new is
// replaced), so tests and benchmarks can show that a loop allocates nothing.
#pragma once

namespace zuvelo::testing {

// Allocations made by the whole process so far; read it before and after the code in question.
long long AllocationCount();

}  // namespace zuvelo::testing

// Loading and saving an analysis cache of 100,000 entries (log-name keys, values of 200
// characters), with the heap that the store and each operation take beside the time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <new>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "logana/logana_cache.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

constexpr int kEntries = 100000;
constexpr std::size_t kValueLength = 200;

// Every operator new is counted: the size lies in a header in front of the block, so unsized
// deletes are counted too.
constexpr std::size_t kHeader = alignof(std::max_align_t);
std::atomic<std::size_t> live_bytes{0};
std::atomic<std::size_t> peak_bytes{0};

void* Allocate(std::size_t size) {
  const std::size_t now = live_bytes.fetch_add(size) + size;
  std::size_t peak = peak_bytes.load();
  while (now > peak && !peak_bytes.compare_exchange_weak(peak, now)) {
  }
  auto* block = static_cast<unsigned char*>(std::malloc(size + kHeader));
  if (block == nullptr) throw std::bad_alloc();
  *reinterpret_cast<std::size_t*>(block) = size;
  return block + kHeader;
}

void Free(void* p) {
  if (p == nullptr) return;
  auto* block = static_cast<unsigned char*>(p) - kHeader;
  live_bytes.fetch_sub(*reinterpret_cast<std::size_t*>(block));
  std::free(block);
}

std::size_t StartPeak() {
  const std::size_t now = live_bytes.load();
  peak_bytes = now;
  return now;
}

std::size_t HeapInUse() {
#ifdef __GLIBC__
  return mallinfo2().uordblks;  // malloc's own count: block overhead and zlib included
#else
  return 0;
#endif
}

std::u16string Widen(const std::string& text) { return {text.begin(), text.end()}; }

// 36 characters ending in "&tw=0", like a real log name.
std::u16string LogName(std::mt19937& rng, int i) {
  const auto draw = [&rng](unsigned range) { return static_cast<unsigned>(rng() % range); };
  char name[64];
  std::snprintf(name, sizeof name, "20%02u%02u%02u%02ugm-00a9-0000-%08x&tw=0",
                10 + static_cast<unsigned>(i % 10), 1 + draw(12), 1 + draw(28), draw(24),
                static_cast<unsigned>(rng()));
  return Widen(name);
}

// What analysis pages keep: comma-separated figures.
std::u16string Value(std::mt19937& rng) {
  std::string value;
  while (value.size() < kValueLength) value += std::to_string(rng() % 40000) + ',';
  value.resize(kValueLength);
  return Widen(value);
}

struct BenchData {
  std::vector<std::pair<std::u16string, std::u16string>> entries;
  std::size_t bytes = 0;  // UTF-16 bytes of all texts
};

const BenchData& Data() {
  static const BenchData data = [] {
    BenchData d;
    std::mt19937 rng(20150704);
    for (int i = 0; i < kEntries; ++i) d.entries.emplace_back(LogName(rng, i), Value(rng));
    for (const auto& [key, value] : d.entries) d.bytes += 2 * (key.size() + value.size());
    return d;
  }();
  return data;
}

std::filesystem::path BenchFile(int level) {
  return std::filesystem::temp_directory_path() /
         ("zuvelo-cache-bench-" + std::to_string(level) + ".dat");
}

zuvelo::LogAnaCache::Options Options(int level) {
  const std::string mode = "wb" + std::to_string(level);
  return {BenchFile(level), [mode](const std::filesystem::path& file) {
            return zuvelo::OpenGzipSink(file, mode.c_str());
          }};
}

void Fill(zuvelo::LogAnaCache& cache) {
  for (const auto& [key, value] : Data().entries) cache.Put(key, value);
}

double Ratio(std::size_t bytes) { return static_cast<double>(bytes) / Data().bytes; }

void BM_CacheSave(benchmark::State& state) {
  const int level = static_cast<int>(state.range(0));
  std::filesystem::remove(BenchFile(level));
  Data();
  const std::size_t empty = live_bytes.load();
  zuvelo::LogAnaCache cache(Options(level));
  Fill(cache);
  const std::size_t store = live_bytes.load() - empty;
  std::size_t extra = 0;
  bool toggle = false;
  for (auto _ : state) {
    state.PauseTiming();
    cache.Put(Data().entries.front().first, (toggle = !toggle) ? u"changed" : u"again");
    const std::size_t before = StartPeak();
    state.ResumeTiming();
    if (!cache.SaveIfDirty().ok()) state.SkipWithError("save failed");
    extra = std::max(extra, peak_bytes.load() - before);
  }
  state.counters["data_MB"] = Data().bytes / 1e6;
  state.counters["file_MB"] = std::filesystem::file_size(BenchFile(level)) / 1e6;
  state.counters["store_x"] = Ratio(store);
  state.counters["save_extra_MB"] = extra / 1e6;
}

void BM_CacheLoad(benchmark::State& state) {
  const int level = static_cast<int>(state.range(0));
  if (!std::filesystem::exists(BenchFile(level))) {
    zuvelo::LogAnaCache writer(Options(level));
    Fill(writer);
    if (!writer.SaveIfDirty().ok()) state.SkipWithError("save failed");
  }
  std::size_t entries = 0, store = 0, peak = 0, heap = 0;
  for (auto _ : state) {
    const std::size_t before = StartPeak();
    const std::size_t heap_before = HeapInUse();
    auto cache = std::make_unique<zuvelo::LogAnaCache>(Options(level));
    state.PauseTiming();
    entries = cache->size();
    store = live_bytes.load() - before;
    peak = peak_bytes.load() - before;
    heap = HeapInUse() - heap_before;
    cache.reset();
    state.ResumeTiming();
  }
  if (entries != Data().entries.size()) state.SkipWithError("entries lost");
  state.counters["entries"] = static_cast<double>(entries);
  state.counters["store_x"] = Ratio(store);
  state.counters["peak_x"] = Ratio(peak);
  if (heap != 0) state.counters["heap_x"] = Ratio(heap);
  std::filesystem::remove(BenchFile(level));
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }

// Level 9 is the file's mode; level 1 shows what a faster level would give.
BENCHMARK(BM_CacheSave)->Arg(9)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CacheLoad)->Arg(9)->Arg(1)->Iterations(3)->Unit(benchmark::kMillisecond);

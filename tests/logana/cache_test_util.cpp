// Helpers of the cache tests.
#include "cache_test_util.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <new>
#include <random>
#include <stdexcept>

namespace zuvelo::testing {

TempFolder::TempFolder() {
  std::random_device entropy;
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = std::filesystem::temp_directory_path() /
            ("zuvelo-cache-" + std::to_string(entropy()) + "-" + std::to_string(entropy()));
    if (std::filesystem::create_directory(path_)) return;
  }
  throw std::runtime_error("no temporary folder");
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void AppendWord(std::string& out, std::uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<char>(value >> shift));
}

static void AppendText(std::string& out, const std::u16string& text) {
  AppendWord(out, static_cast<std::uint32_t>(text.size()));
  for (char16_t unit : text) {
    out.push_back(static_cast<char>(unit & 0xFF));
    out.push_back(static_cast<char>(unit >> 8));
  }
}

std::string ReferenceLayout(std::uint32_t version, const std::vector<RefRecord>& records) {
  std::string out;
  AppendWord(out, version);
  for (const RefRecord& r : records) {
    AppendText(out, r.key);
    AppendText(out, r.value);
    AppendText(out, r.player);
  }
  return out;
}

std::vector<std::size_t> RecordEnds(const std::vector<RefRecord>& records) {
  std::vector<std::size_t> ends;
  std::size_t at = 4;
  for (const RefRecord& r : records) {
    at += 12 + 2 * (r.key.size() + r.value.size() + r.player.size());
    ends.push_back(at);
  }
  return ends;
}

std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Gunzip(const std::filesystem::path& file) {
  std::string out;
  gzFile gz = gzopen(file.string().c_str(), "rb");
  if (gz == nullptr) return out;
  char buffer[16 * 1024];
  int got;
  while ((got = gzread(gz, buffer, sizeof buffer)) > 0) out.append(buffer, got);
  gzclose(gz);
  return out;
}

void WriteGzip(const std::filesystem::path& file, const std::string& content) {
  gzFile gz = gzopen(file.string().c_str(), "wb9");
  if (gz == nullptr) throw std::runtime_error("gzopen");
  gzwrite(gz, content.data(), static_cast<unsigned>(content.size()));
  gzclose(gz);
}

namespace {

class FailingSink : public CacheFileSink {
 public:
  FailingSink(std::unique_ptr<CacheFileSink> real, std::size_t budget, bool fail_close)
      : real_(std::move(real)), budget_(budget), fail_close_(fail_close) {}
  bool Write(const void* data, std::size_t size) override {
    const std::size_t taken = std::min(size, budget_);
    budget_ -= taken;
    return real_->Write(data, taken) && taken == size;
  }
  bool Close() override { return real_->Close() && !fail_close_; }

 private:
  std::unique_ptr<CacheFileSink> real_;
  std::size_t budget_;
  bool fail_close_;
};

}  // namespace

CacheSinkOpener FailingOpener(std::size_t budget, bool fail_close) {
  return [=](const std::filesystem::path& file) -> std::unique_ptr<CacheFileSink> {
    auto real = OpenGzipCacheSink(file);
    if (!real) return nullptr;
    return std::make_unique<FailingSink>(std::move(real), budget, fail_close);
  };
}

namespace {
std::atomic<std::size_t> largest_allocation{0};

void* Allocate(std::size_t size) {
  std::size_t seen = largest_allocation.load(std::memory_order_relaxed);
  while (size > seen && !largest_allocation.compare_exchange_weak(seen, size)) {
  }
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
}  // namespace

void ResetLargestAllocation() { largest_allocation = 0; }
std::size_t LargestAllocation() { return largest_allocation; }

}  // namespace zuvelo::testing

// Every allocation of the test program passes the probe.
void* operator new(std::size_t size) { return zuvelo::testing::Allocate(size); }
void* operator new[](std::size_t size) { return zuvelo::testing::Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return zuvelo::testing::Allocate(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

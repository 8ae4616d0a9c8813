// The cache record layout in memory: encoding against a layout built by hand, and reading of
// data cut short, of absurd lengths and of other versions.
#include "logana/cache_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "cache_test_util.h"

namespace zuvelo {
namespace {

using testing::RecordEnds;
using testing::ReferenceLayout;
using testing::RefRecord;

class StringSink : public CacheByteSink {
 public:
  bool Write(const void* data, std::size_t size) override {
    bytes.append(static_cast<const char*>(data), size);
    return true;
  }
  std::string bytes;
};

class StringSource : public CacheByteSource {
 public:
  explicit StringSource(std::string bytes) : bytes_(std::move(bytes)) {}
  std::size_t Read(void* data, std::size_t size) override {
    const std::size_t n = std::min(size, bytes_.size() - at_);
    std::memcpy(data, bytes_.data() + at_, n);
    at_ += n;
    return n;
  }

 private:
  std::string bytes_;
  std::size_t at_ = 0;
};

// Empty texts, a surrogate pair, characters on both sides of the surrogate range, and a value
// longer than the writer's buffer.
std::vector<RefRecord> SampleRecords() {
  return {
      {u"", u"", u""},
      {u"20150704gm-0009-0000-0a1b2c3d&tw=0", u"1,2,3", u"player"},
      {u"\U0001F600", u"\uD7FF\uE000\uFFFF", u"\u6771\u5357"},
      {u"long", std::u16string(40000, u'\u3042'), u""},
      {u"x", u"\u0100", u"\u00FF"},
  };
}

std::string Encode(const std::vector<RefRecord>& records) {
  StringSink sink;
  CacheRecordWriter writer(sink);
  EXPECT_TRUE(writer.WriteVersion());
  for (const RefRecord& r : records) EXPECT_TRUE(writer.WriteRecord({r.key, r.value, r.player}));
  EXPECT_TRUE(writer.Flush());
  return sink.bytes;
}

struct Decoded {
  CacheReadSummary summary;
  std::vector<RefRecord> records;
};

Decoded Decode(std::string bytes) {
  StringSource source(std::move(bytes));
  Decoded out;
  out.summary = ReadCacheRecords(source, [&](const CacheRecord& r) {
    out.records.push_back({r.key, r.value, r.player});
  });
  return out;
}

TEST(CacheCodec, EncodesTheDescribedLayout) {
  const std::vector<RefRecord> records = SampleRecords();
  EXPECT_EQ(Encode(records), ReferenceLayout(1000, records));
  EXPECT_EQ(Encode({}), ReferenceLayout(1000, {}));
}

TEST(CacheCodec, ReadsBackEveryRecordInFileOrder) {
  const std::vector<RefRecord> records = SampleRecords();
  const Decoded decoded = Decode(ReferenceLayout(1000, records));
  EXPECT_EQ(decoded.summary.version, 1000u);
  EXPECT_FALSE(decoded.summary.damaged);
  EXPECT_EQ(decoded.summary.records, records.size());
  EXPECT_EQ(decoded.records, records);
}

// Every cut keeps exactly the records that end at or before it; a cut inside a record is
// damage, a cut between records is a clean end.
TEST(CacheCodec, DataCutAtEveryByteKeepsTheCompleteRecords) {
  const std::vector<RefRecord> records = {
      {u"a", u"1", u"p"}, {u"bc", u"", u""}, {u"\U00020000", u"v\u00E9", u"q"}};
  const std::string full = ReferenceLayout(1000, records);
  const std::vector<std::size_t> ends = RecordEnds(records);
  for (std::size_t cut = 0; cut <= full.size(); ++cut) {
    SCOPED_TRACE("cut at " + std::to_string(cut));
    const Decoded decoded = Decode(full.substr(0, cut));
    if (cut < 4) {
      EXPECT_FALSE(decoded.summary.version.has_value());
      EXPECT_TRUE(decoded.records.empty());
      continue;
    }
    const auto complete = static_cast<std::size_t>(
        std::count_if(ends.begin(), ends.end(), [&](std::size_t end) { return end <= cut; }));
    const bool at_boundary = cut == 4 || std::find(ends.begin(), ends.end(), cut) != ends.end();
    EXPECT_EQ(decoded.summary.version, 1000u);
    EXPECT_EQ(decoded.records, std::vector<RefRecord>(records.begin(), records.begin() + complete));
    EXPECT_EQ(decoded.summary.records, complete);
    EXPECT_EQ(decoded.summary.damaged, !at_boundary);
  }
}

// A length larger than what follows is damage: the records before it stay, and the reader
// never asks for memory in proportion to the claimed length.
TEST(CacheCodec, AbsurdLengthIsDamageWithoutAHugeAllocation) {
  const std::vector<RefRecord> before = {{u"kept", u"value", u"p"}};
  struct Case {
    const char* name;
    int damaged_field;  // 0 key, 1 value, 2 player
    std::uint32_t length;
  };
  const Case cases[] = {
      {"key length all ones", 0, 0xFFFFFFFFu},    {"value length all ones", 1, 0xFFFFFFFFu},
      {"player length all ones", 2, 0xFFFFFFFFu}, {"key length 2^31", 0, 0x80000000u},
      {"value length one unit too long", 1, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string bytes = ReferenceLayout(1000, before);
    const std::u16string field = u"abcd";  // 4 units follow every length below
    for (int i = 0; i < 3; ++i) {
      const std::uint32_t length = i == c.damaged_field ? c.length : 4;
      testing::AppendWord(bytes, length);
      for (char16_t unit : field) bytes.append({static_cast<char>(unit), '\0'});
      if (i == c.damaged_field) break;
    }
    testing::ResetLargestAllocation();
    const Decoded decoded = Decode(bytes);
    EXPECT_LT(testing::LargestAllocation(), 1u << 20);
    EXPECT_TRUE(decoded.summary.damaged);
    EXPECT_EQ(decoded.records, before);
  }
}

TEST(CacheCodec, OtherVersionsReadNothing) {
  const std::vector<RefRecord> records = {{u"k", u"v", u"p"}};
  for (std::uint32_t version : {999u, 0u, 1001u, 0x03E80000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(version);
    const Decoded decoded = Decode(ReferenceLayout(version, records));
    EXPECT_EQ(decoded.summary.version, version);
    EXPECT_TRUE(decoded.records.empty());
    EXPECT_FALSE(decoded.summary.damaged);
  }
}

}  // namespace
}  // namespace zuvelo

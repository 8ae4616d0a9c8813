// Log files through zlib's gzip file functions, the same reader for gzip and plain files.
#include "replay/log_file.h"

#include <zlib.h>

#include <memory>

namespace zuvelo {
namespace {

struct GzCloser {
  void operator()(gzFile_s* file) const { gzclose(file); }
};
using GzFile = std::unique_ptr<gzFile_s, GzCloser>;

}  // namespace

bool ReadLogFile(const char* path, std::string& out) {
  out.clear();
  GzFile file(gzopen(path, "rb"));
  if (!file) return false;
  char buffer[64 * 1024];
  for (;;) {
    const int n = gzread(file.get(), buffer, sizeof buffer);
    if (n < 0) return false;
    if (n == 0) return true;
    out.append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace zuvelo

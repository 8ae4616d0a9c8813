// Durable replacement on Windows: the data is flushed before the move, and the move replaces
// the target in one step and returns only once it is on disk.
#include <windows.h>

#include "base/handle_win.h"
#include "logana/file_replace.h"

namespace zuvelo {
namespace {

bool FlushToDisk(const std::filesystem::path& path) {
  const unique_file_handle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file && ::FlushFileBuffers(file.get()) != 0;
}

}  // namespace

bool ReplaceFileDurably(const std::filesystem::path& finished,
                        const std::filesystem::path& target) {
  if (!FlushToDisk(finished)) return false;
  return ::MoveFileExW(finished.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace zuvelo

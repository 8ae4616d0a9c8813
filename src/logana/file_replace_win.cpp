// Durable replacement on Windows: the data is flushed before the move, and the move replaces
// the target in one step and returns only once it is on disk.
#include <windows.h>

#include <memory>
#include <type_traits>

#include "logana/file_replace.h"

namespace zuvelo {
namespace {

struct FileHandleCloser {
  void operator()(HANDLE handle) const { ::CloseHandle(handle); }
};
using FileHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, FileHandleCloser>;

bool FlushToDisk(const std::filesystem::path& path) {
  HANDLE raw = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (raw == INVALID_HANDLE_VALUE) return false;
  const FileHandle file(raw);
  return ::FlushFileBuffers(file.get()) != 0;
}

}  // namespace

bool ReplaceFileDurably(const std::filesystem::path& finished,
                        const std::filesystem::path& target) {
  if (!FlushToDisk(finished)) return false;
  return ::MoveFileExW(finished.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace zuvelo

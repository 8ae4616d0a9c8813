// Durable replacement on POSIX: the data is synced before the rename so the rename can never
// publish a file whose blocks are not yet written, and the folder after it so the new name
// itself survives a crash.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "logana/file_replace.h"

namespace zuvelo {
namespace {

bool SyncPath(const std::filesystem::path& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  return ::close(fd) == 0 && synced;
}

}  // namespace

bool ReplaceFileDurably(const std::filesystem::path& finished,
                        const std::filesystem::path& target) {
  if (!SyncPath(finished, O_RDONLY)) return false;
  if (std::rename(finished.c_str(), target.c_str()) != 0) return false;
  // The new file is in place already; a folder that cannot be synced only weakens crash safety.
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
  (void)SyncPath(folder, O_RDONLY | O_DIRECTORY);
  return true;
}

}  // namespace zuvelo

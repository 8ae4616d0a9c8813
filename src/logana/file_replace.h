// Putting a finished file in place of another so that, even after a crash or power loss, the
// target holds either its old content or the whole new content, never a mixture or nothing.
#pragma once

#include <filesystem>

namespace zuvelo {

// Flushes `finished` to disk, then moves it over `target` (which may or may not exist); both
// lie in the same folder. False leaves `target` as it was and `finished` where it is.
[[nodiscard]] bool ReplaceFileDurably(const std::filesystem::path& finished,
                                      const std::filesystem::path& target);

}  // namespace zuvelo

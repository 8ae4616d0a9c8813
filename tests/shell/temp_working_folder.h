// A fresh temporary folder made the working folder for as long as it lives, so that the
// program's relative files ("./config.ini", "00.dat") land there. The previous working folder
// comes back and the folder goes, with everything in it, at the end.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace zuvelo::testing {

class TempWorkingFolder {
 public:
  TempWorkingFolder() : previous_(std::filesystem::current_path()) {
    static int made = 0;
    const auto base = std::filesystem::temp_directory_path();
    do {
      path_ = base / ("zuvelo-work-" + std::to_string(::GetCurrentProcessId()) + "-" +
                      std::to_string(++made));
    } while (!std::filesystem::create_directory(path_));
    std::filesystem::current_path(path_);
  }
  ~TempWorkingFolder() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempWorkingFolder(const TempWorkingFolder&) = delete;
  TempWorkingFolder& operator=(const TempWorkingFolder&) = delete;

  [[nodiscard]] const std::filesystem::path& path() const { return path_; }
  [[nodiscard]] std::filesystem::path operator/(const char* name) const { return path_ / name; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

}  // namespace zuvelo::testing

// A fresh temporary folder, current while it lives, so that relative files land there.
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
    const std::string stem = "zuvelo-work-" + std::to_string(::GetCurrentProcessId()) + "-";
    const auto temp = std::filesystem::temp_directory_path();
    while (!std::filesystem::create_directory(path_ = temp / (stem + std::to_string(++made)))) {
    }
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
  std::filesystem::path previous_, path_;
};

}  // namespace zuvelo::testing

// A fresh temporary folder, current while it lives so that relative files ("./config.ini",
// "00.dat") land there; then the previous folder is current again and this one goes.
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
    do {
      path_ = std::filesystem::temp_directory_path() / (stem + std::to_string(++made));
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
  std::filesystem::path previous_, path_;
};

}  // namespace zuvelo::testing

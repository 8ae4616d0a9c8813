// Log folders for whole runs, and the logs the loopback test server hands out.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "mjlog_gen/mjlog_gen.h"
#include "shell/services/settings_win.h"
#include "shell/temp_working_folder.h"
#include "support/file_bytes.h"

namespace zuvelo::testing {

inline std::string LogName(const std::string& hour, const std::string& id = "0a1b2c3d",
                           const char* type = "0009", const char* lobby = "0000") {
  return hour + "gm-" + type + "-" + lobby + "-" + id + "&tw=0";
}

inline const gen::GeneratedGame& Game(std::uint64_t seed) {
  static std::map<std::uint64_t, gen::GeneratedGame> games;
  if (!games.contains(seed)) games.emplace(seed, gen::GenerateGame(seed));
  return games.at(seed);
}
using gen::Gzip;

class RunLogs {
 public:
  RunLogs() {
    std::filesystem::create_directories(logs_ / "log");
    WriteLogPathSetting(logs_.string().c_str());
  }
  [[nodiscard]] std::string root() const { return LogRootFolder(logs_.string()); }
  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = root() + "\\" + name.substr(0, 6) + "\\" + name + ".mjlog";
    WriteBytes(path, bytes);
    return path;
  }
  std::string WriteGame(const std::string& name, std::uint64_t seed) {
    return Write(name, Gzip(Game(seed).text));
  }
  std::string Placeholder(const std::string& name) { return Write(name, ""); }

 private:
  TempWorkingFolder work_;
  std::filesystem::path logs_ = work_.path() / "logs";
};

// Where the server fixture keeps its files, taken before tests change the working folder.
inline const std::filesystem::path build_folder = std::filesystem::current_path();

class ServedLogs {
 public:
  ServedLogs() {
    std::error_code ignored;
    std::filesystem::remove_all(build_folder / "served_logs", ignored);
    std::filesystem::create_directories(build_folder / "served_logs");
  }
  void Put(const std::string& name, const std::string& bytes) {
    WriteBytes(build_folder / "served_logs" / (name + ".mjlog"), bytes);
  }
  void Trickle(const std::string& name) {
    WriteBytes(build_folder / "served_logs" / (name + ".trickle"), "");
  }
  [[nodiscard]] static std::string HomeAddress() {
    int port = 0;
    std::ifstream(build_folder / "logana_server.port") >> port;
    return port > 0 ? "http://127.0.0.1:" + std::to_string(port) + "/" : std::string();
  }
};

}  // namespace zuvelo::testing

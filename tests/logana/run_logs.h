// Logs for end-to-end runs: a log folder in a temporary working folder (with the settings file
// that points at it), generated games written there gzip-compressed under names the test
// chooses, placeholders, and the folder of logs that the loopback test server hands out.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "../shell/temp_working_folder.h"
#include "mjlog_gen/mjlog_gen.h"
#include "shell/services/settings_win.h"
#include "support/file_bytes.h"

namespace zuvelo::testing {

// "<hour>gm-<type>-<lobby>-<id>&tw=0", the hour as "yyyymmddhh": a valid name of 36 characters.
inline std::string LogName(const std::string& hour, const std::string& id = "0a1b2c3d",
                           const char* type = "0009", const char* lobby = "0000") {
  return hour + "gm-" + type + "-" + lobby + "-" + id + "&tw=0";
}

// Generated games, made once per seed; the bytes a log folder and the service hold.
inline const gen::GeneratedGame& Game(std::uint64_t seed) {
  static std::map<std::uint64_t, gen::GeneratedGame> games;
  if (!games.contains(seed)) games.emplace(seed, gen::GenerateGame(seed));
  return games.at(seed);
}
using gen::Gzip;

class RunLogs {
 public:
  // Makes the working folder current and points the settings' log folder at "logs" in it.
  RunLogs() { WriteLogPathSetting(logs_.string().c_str()); }
  // The folder as the worker sees it: the settings' folder and "\log".
  [[nodiscard]] std::string root() const { return LogRootFolder(logs_.string()); }
  // Writes the log file of `name`, in the month of its first six characters; gives its path.
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
  bool made_ = std::filesystem::create_directories(logs_ / "log");
};

// ctest starts the program in its build folder, where the server fixture keeps its files; tests
// change the working folder later, so the folder is taken before the first test.
inline const std::filesystem::path build_folder = std::filesystem::current_path();

// The folder the test server hands logs out of, emptied at construction.
class ServedLogs {
 public:
  ServedLogs() {
    std::error_code ignored;
    std::filesystem::remove_all(build_folder / "served_logs", ignored);
    std::filesystem::create_directories(build_folder / "served_logs");
  }
  // The server answers "/0/log/?<id>" with these bytes for a log name beginning with the id.
  void Put(const std::string& name, const std::string& bytes) {
    WriteBytes(build_folder / "served_logs" / (name + ".mjlog"), bytes);
  }
  // The server answers the log's id with a body that trickles in for ever, a byte at a time.
  void Trickle(const std::string& name) {
    WriteBytes(build_folder / "served_logs" / (name + ".trickle"), "");
  }
  // "http://127.0.0.1:<port>/", or empty when the server is not running.
  [[nodiscard]] static std::string HomeAddress() {
    int port = 0;
    std::ifstream(build_folder / "logana_server.port") >> port;
    return port > 0 ? "http://127.0.0.1:" + std::to_string(port) + "/" : std::string();
  }
};

}  // namespace zuvelo::testing

// Logs for end-to-end runs: a log folder in a temporary working folder (with the settings file
// that points at it), generated games written there gzip-compressed under names chosen by the
// test, placeholders, and the folder of logs that the loopback test server hands out.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "../shell/temp_working_folder.h"
#include "mjlog_gen/mjlog_gen.h"

namespace zuvelo::testing {

// "yyyymmddhhgm-<type>-<lobby>-<id>&tw=0" from its parts: a valid name of 36 characters.
[[nodiscard]] std::string LogName(const std::string& hour, const char* type = "0009",
                                  const char* lobby = "0000", const std::string& id = "0a1b2c3d");

// Generated games are made once per seed and kept for the program's life.
[[nodiscard]] const gen::GeneratedGame& Game(std::uint64_t seed);
using gen::Gzip;  // the bytes a log folder and the service hold

class RunLogs {
 public:
  // Makes the working folder current and points the settings' log folder at "logs" in it.
  RunLogs();

  // The folder as the worker sees it: the settings' folder and "\log".
  [[nodiscard]] std::string root() const;
  // "<root>\<month>\<name>.mjlog", the month being the first six characters of the name.
  [[nodiscard]] std::string PathOf(const std::string& name) const;

  // Writes the bytes as the file of `name` (or under `file` in the month folder) and returns
  // its path.
  std::string Write(const std::string& name, const std::string& bytes);
  std::string WriteFile(const std::string& month, const std::string& file,
                        const std::string& bytes);
  // The game's text gzip-compressed.
  std::string WriteGame(const std::string& name, std::uint64_t seed);
  std::string Placeholder(const std::string& name) { return Write(name, ""); }

  [[nodiscard]] const std::filesystem::path& working_folder() const { return work_.path(); }

 private:
  TempWorkingFolder work_;
  std::filesystem::path logs_;
};

// The folder the test server hands logs out of, emptied at construction.
class ServedLogs {
 public:
  ServedLogs();
  // The server answers "/0/log/?<id>" with these bytes for a log name beginning with the id.
  void Put(const std::string& name, const std::string& bytes);
  // "http://127.0.0.1:<port>/", or empty when the server is not running.
  [[nodiscard]] static std::string HomeAddress();
};

[[nodiscard]] std::string ReadAll(const std::string& path);

}  // namespace zuvelo::testing

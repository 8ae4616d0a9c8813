// Log folders, generated logs and the served folder for end-to-end runs.
#include "run_logs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "shell/settings_win.h"

namespace zuvelo::testing {
namespace {

// ctest starts the program in its build folder, where the server fixture keeps its files; tests
// change the working folder later, so the folder is taken before the first test.
const std::filesystem::path& BuildFolder() {
  static const std::filesystem::path folder = std::filesystem::current_path();
  return folder;
}

class BuildFolderEnvironment : public ::testing::Environment {
  void SetUp() override { static_cast<void>(BuildFolder()); }
};
[[maybe_unused]] ::testing::Environment* const build_folder_environment =
    ::testing::AddGlobalTestEnvironment(new BuildFolderEnvironment);

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

}  // namespace

std::string LogName(const std::string& hour, const char* type, const char* lobby,
                    const std::string& id) {
  return hour + "gm-" + type + "-" + lobby + "-" + id + "&tw=0";
}

const gen::GeneratedGame& Game(std::uint64_t seed) {
  static std::map<std::uint64_t, gen::GeneratedGame> games;
  auto found = games.find(seed);
  if (found == games.end()) found = games.emplace(seed, gen::GenerateGame(seed)).first;
  return found->second;
}

RunLogs::RunLogs() : logs_(work_.path() / "logs") {
  std::filesystem::create_directories(logs_ / "log");
  WriteLogPathSetting(logs_.string().c_str());
}

std::string RunLogs::root() const { return LogRootFolder(logs_.string()); }

std::string RunLogs::PathOf(const std::string& name) const {
  return root() + "\\" + name.substr(0, 6) + "\\" + name + ".mjlog";
}

std::string RunLogs::Write(const std::string& name, const std::string& bytes) {
  return WriteFile(name.substr(0, 6), name + ".mjlog", bytes);
}

std::string RunLogs::WriteFile(const std::string& month, const std::string& file,
                               const std::string& bytes) {
  const std::string path = root() + "\\" + month + "\\" + file;
  WriteBytes(path, bytes);
  return path;
}

std::string RunLogs::WriteGame(const std::string& name, std::uint64_t seed) {
  return Write(name, Gzip(Game(seed).text));
}

ServedLogs::ServedLogs() {
  std::error_code ignored;
  std::filesystem::remove_all(BuildFolder() / "served_logs", ignored);
  std::filesystem::create_directories(BuildFolder() / "served_logs");
}

void ServedLogs::Put(const std::string& name, const std::string& bytes) {
  WriteBytes(BuildFolder() / "served_logs" / (name + ".mjlog"), bytes);
}

std::string ServedLogs::HomeAddress() {
  int port = 0;
  std::ifstream(BuildFolder() / "logana_server.port") >> port;
  return port > 0 ? "http://127.0.0.1:" + std::to_string(port) + "/" : std::string();
}

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

}  // namespace zuvelo::testing

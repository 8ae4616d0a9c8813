// mjlog-gen: writes generated game logs under <out>/log/<yyyymm>/<name>.mjlog, gzip-compressed
// as the service stores them, or plain with --plain.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "mjlog_gen/mjlog_gen.h"

namespace {

void Usage() {
  std::fprintf(stderr,
               "usage: mjlog-gen [--seed N] [--count K] [--out DIR] [--plain] [--players 3|4]\n"
               "  writes K games from seeds N, N+1, ... (default 1 game, seed 1, DIR \".\")\n");
}

bool WriteBytes(const std::string& path, const std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool ok = std::fwrite(text.data(), 1, text.size(), file) == text.size();
  return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  unsigned long long seed = 1, count = 1;
  std::string out = ".";
  bool plain = false;
  int players = 0;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--seed" && hasValue)
      seed = std::strtoull(argv[++i], nullptr, 10);
    else if (arg == "--count" && hasValue)
      count = std::strtoull(argv[++i], nullptr, 10);
    else if (arg == "--out" && hasValue)
      out = argv[++i];
    else if (arg == "--players" && hasValue)
      players = std::atoi(argv[++i]);
    else if (arg == "--plain")
      plain = true;
    else {
      Usage();
      return 2;
    }
  }
  for (unsigned long long k = 0; k < count; ++k) {
    zuvelo::gen::GenOptions options = zuvelo::gen::OptionsForSeed(seed + k);
    if (players == 3 || players == 4) options.players = players;
    const zuvelo::gen::GeneratedGame game = zuvelo::gen::GenerateGame(seed + k, options);
    const std::filesystem::path path =
        std::filesystem::path(out) / zuvelo::gen::LogRelativePath(game.name);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    const bool ok = WriteBytes(path.string(), plain ? game.text : zuvelo::gen::Gzip(game.text));
    if (!ok) {
      std::fprintf(stderr, "mjlog-gen: cannot write %s\n", path.string().c_str());
      return 1;
    }
    std::printf("%s\n", path.string().c_str());
  }
  return 0;
}

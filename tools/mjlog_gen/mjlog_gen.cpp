// Generator entry points: options per seed, one game, and where a log file lives.
#include "mjlog_gen/mjlog_gen.h"

#include "mjlog_gen/game.h"

namespace zuvelo::gen {
GenOptions OptionsForSeed(std::uint64_t seed) {
  GenOptions options;
  options.players = seed % 4 == 3 ? 3 : 4;
  options.southRound = seed % 5 != 0;
  options.chips = seed % 7 == 0;
  options.timedRoot = seed % 3 == 0;
  return options;
}

GeneratedGame GenerateGame(std::uint64_t seed, const GenOptions& options) {
  Game game(seed, options);
  GeneratedGame out = game.Play();
  return out;
}

std::string LogRelativePath(const std::string& name) {
  return "log/" + name.substr(0, 6) + "/" + name + ".mjlog";
}

}  // namespace zuvelo::gen

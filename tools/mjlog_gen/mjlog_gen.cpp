// Generator entry points: options per seed, one game, and where a log file lives.
#include "mjlog_gen/mjlog_gen.h"

#include <zlib.h>

#include "mjlog_gen/game.h"

namespace zuvelo::gen {
GenOptions OptionsForSeed(std::uint64_t seed) {
  GenOptions options;
  options.players = seed % 4 == 3 ? 3 : 4;
  options.southRound = seed % 5 != 0;
  options.redFives = seed % 9 != 4 && seed % 9 != 8;
  options.fast = seed % 11 == 6;
  options.chips = seed % 7 == 0;
  options.timedRoot = seed % 3 == 0;
  return options;
}

GeneratedGame GenerateGame(std::uint64_t seed, const GenOptions& options) {
  Game game(seed, options);
  GeneratedGame out = game.Play();
  return out;
}

std::string Gzip(const std::string& text) {
  z_stream z{};
  deflateInit2(&z, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, static_cast<uLong>(text.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::string LogRelativePath(const std::string& name) {
  return "log/" + name.substr(0, 6) + "/" + name + ".mjlog";
}

}  // namespace zuvelo::gen

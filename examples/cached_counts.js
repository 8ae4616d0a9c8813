// Riichi, win and deal-in counts per player, keeping each log's counts in the analysis cache:
// a second run replays only the logs it has not seen.
// Usage: logana-run [options] cached_counts.js [TSV-FILE]
// JScript 3 (ES3): no JSON, no forEach, no Object.keys.

var tsvPath = host.argCount > 0 ? host.arg(0) : "";
var kTag = "counts1|";  // marks this script's cache values

var analyzer = external.mjCommand("CREATEINSTANCE::LOGANA1.0");
var cache = analyzer.cache;
var fresh = 0, cached = 0;
var seats = [], counts = [];

// One log's counts: "counts1|" then per seat name,games,reach,tsumo,ron,dealIn joined by ";".
function encode() {
  var parts = [];
  for (var s = 0; s < 4; s++) {
    if (seats[s] == "") continue;
    var c = counts[s];
    parts.push([encodeURIComponent(seats[s]), 1, c.reach, c.tsumo, c.ron, c.dealIn].join(","));
  }
  return kTag + parts.join(";");
}

var totals = {}, order = [];
function add(value) {
  var parts = value.substring(kTag.length).split(";");
  for (var i = 0; i < parts.length; i++) {
    var f = parts[i].split(","), name = decodeURIComponent(f[0]);
    if (!totals.hasOwnProperty(name)) {
      totals[name] = [0, 0, 0, 0, 0];
      order.push(name);
    }
    for (var k = 0; k < 5; k++) totals[name][k] += parseInt(f[k + 1], 10);
  }
}

var options = {
  Array: Array,
  // A direct look-up per log: enumerating the whole cache first would cost a callback for
  // every entry, also for entries of logs that are gone.
  OnEnumLog: function (info) {
    var value = cache.get(info.filetw);
    if (value != null && value.indexOf(kTag) == 0) {
      add(value);
      cached++;
      return false;
    }
    return true;
  },
  OnLogBegin: function (info, players) {
    for (var s = 0; s < 4; s++) {
      seats[s] = players[s].un;
      counts[s] = { reach: 0, tsumo: 0, ron: 0, dealIn: 0 };
    }
  },
  OnReach: function (who) { counts[who].reach++; },
  OnAgari: function (who, t0, t1, t2, yaku, yakuman, ura, sc, pao, from) {
    if (who == from) counts[who].tsumo++;
    else {
      counts[who].ron++;
      counts[from].dealIn++;
    }
  },
  // The log info still names the log being replayed.
  OnLogEnd: function (owari) {
    var value = encode();
    cache.set(logInfo.filetw, value, "");
    add(value);
    fresh++;
  },
  OnAnalyzeEnd: function () {
    order.sort();
    host.print("logs analysed: " + fresh + ", from the cache: " + cached);
    var tsv = "player\tgames\treach\ttsumo\tron\tdealIn\n";
    for (var i = 0; i < order.length; i++) {
      var t = totals[order[i]];
      host.print(order[i] + ": games " + t[0] + ", riichi " + t[1] + ", wins " + t[2] + "+" +
                 t[3] + ", deal-ins " + t[4]);
      tsv += order[i] + "\t" + t.join("\t") + "\n";
    }
    if (tsvPath != "" && !host.writeFile(tsvPath, tsv)) host.exitCode = 5;
  }
};
var logInfo = null;
options.OnLogBegin = (function (begin) {
  return function (info, players) {
    logInfo = info;
    begin(info, players);
  };
})(options.OnLogBegin);

var started = analyzer.analyze(options);

// Per-player report over every log of the log folder, one section per game kind: three- and
// four-player games apart, and within each the rule set (east-only or east-south, red fives or
// not, fast or normal). A table on standard output and a self-contained HTML page with SVG
// charts. `--player NAME` puts that player's sections and trend charts first and is remembered
// for later runs (`--player ""` forgets it). Each log's figures are kept in the analysis cache,
// so a second run over the same folder replays only the logs added since.
// Usage: logana-run [options] player_report.js [--player NAME] [HTML-FILE [TSV-FILE]]
// JScript 3 (ES3): no JSON, no forEach, no Object.keys.

var argv = [], chosen = null;
for (var a = 0; a < host.argCount; a++) {
  if (host.arg(a) == "--player" && a + 1 < host.argCount) chosen = host.arg(++a);
  else argv.push(host.arg(a));
}
var htmlPath = argv.length > 0 ? argv[0] : "player_report.html";
var tsvPath = argv.length > 1 ? argv[1] : "";

// ---- one log's figures ---------------------------------------------------------------------

// Per seat and log: placing, final score in points, rounds, riichi, wins by self-draw and on
// discard, deal-ins, rounds with a call, sum of the dealt hands' shanten, rounds ready, ready in
// furiten, exhaustive draws, ready at them, points won, points dealt in, riichi wins; and the
// yaku numbers of the seat's wins.
var kLogFields = 16;
var L_PLACE = 0, L_SCORE = 1, L_ROUNDS = 2, L_REACH = 3, L_TSUMO = 4, L_RON = 5, L_DEALIN = 6,
    L_CALLED = 7, L_SYANTEN = 8, L_READY = 9, L_FURITEN = 10, L_DRAWS = 11, L_DRAWREADY = 12,
    L_WINPTS = 13, L_DEALINPTS = 14, L_RIICHIWINS = 15;
var kYakuCount = 55, kDoraFirst = 52;

var seats = [], present = [], logStats = [], logYaku = [], round = [];
var logName = "", logKind = null, logMonth = null;

function forPresent(fn) {
  for (var s = 0; s < 4; s++) if (present[s]) fn(s, logStats[s]);
}

// Yaku numbers of a win, once each; dora, under-dora and red fives once per dora. Numbers and
// counts outside what a log can hold are left out.
function addYaku(list, yaku, yakuman) {
  for (var i = 0; i + 1 < yaku.length; i += 2) {
    var id = yaku[i], han = yaku[i + 1];
    if (!(id >= 0 && id < kYakuCount && id % 1 == 0)) continue;
    if (id < kDoraFirst) list.push(id);
    else for (var h = 0; h < han && h < 40; h++) list.push(id);
  }
  for (var j = 0; j < yakuman.length; j++) {
    if (yakuman[j] >= 0 && yakuman[j] < kDoraFirst && yakuman[j] % 1 == 0) list.push(yakuman[j]);
  }
}

// ---- groups: a player in a game kind -------------------------------------------------------

// The small counters travel and add up two to a number, `kPair` times the first plus the
// second: a cached run spends most of its time adding, one array element at a time, and this
// halves the elements. A second counter stays below `kPair` up to millions of rounds.
var kPair = 10000000;
var kPairs = [[L_ROUNDS, L_DEALIN], [L_TSUMO, L_RON], [L_REACH, L_RIICHIWINS],
              [L_CALLED, L_SYANTEN], [L_READY, L_FURITEN], [L_DRAWS, L_DRAWREADY]];

// Totals of a group: games, placings 1st..4th, placing sum, final score sum, busts, points won,
// points dealt in, then the pairs in kPairs order.
var T_GAMES = 0, T_PLACESUM = 5, T_SCORE = 6, T_BUSTS = 7, T_WINPTS = 8, T_DEALINPTS = 9,
    T_PAIRS = 10, kTotalFields = 16;

// Figures add up per month first, in parts (a group's totals within a month, with the yaku
// numbers of its wins as text): a month's parts are what its batch keeps (below), and the
// chosen player's parts draw the trend charts. The groups that the report shows sum them.
var months = {};     // "$" + month -> month record
var monthList = [];
var groups = {};     // "$" + kind key + "\t" + name -> group, made by sumMonths()
var groupList = [];
var kinds = {};      // "$" + kind key -> kind
var kindList = [];

// Game type bits of the rule set.
var kThree = 0x10, kEastSouth = 0x08, kNoRed = 0x02, kFast = 0x40;
var kRuleBits = kThree | kEastSouth | kNoRed | kFast;

function kindOf(gameType) {
  var key = gameType & kRuleBits, kind = kinds["$" + key];
  if (!kind) {
    kind = kinds["$" + key] = {
      key: key,
      players: key & kThree ? 3 : 4,
      label: (key & kThree ? "3-player" : "4-player") +
          (key & kEastSouth ? ", east-south" : ", east-only") +
          (key & kNoRed ? ", no red fives" : ", red fives") + (key & kFast ? ", fast" : ", normal"),
      games: 0
    };
    kindList.push(kind);
  }
  return kind;
}

// The game type of a log name, read as the analyzer reads it: hexadecimal digits after the
// "-" at index 10, or else at index 12.
function gameTypeOf(name) {
  var at = name.charAt(10) == "-" ? 11 : name.charAt(12) == "-" ? 13 : -1;
  return at < 0 ? 0 : parseInt(name.substring(at, at + 8), 16) || 0;
}

var kMonth = /^\d{6}/;
function monthOf(name) { return kMonth.test(name) ? name.substring(0, 6) : ""; }

// A month's record: its parts, its games per kind, the names of the logs added to it, and
// what the run found of its batch.
function monthRecord(month) {
  var m = months["$" + month];
  if (!m) {
    m = months["$" + month] = { month: month, parts: [], partOf: {}, games: {}, names: [],
                                batch: null, seen: [], seenOf: {}, twice: false, changed: false };
    monthList.push(m);
  }
  return m;
}

function partOf(m, kind, name) {
  var id = "$" + kind.key + "\t" + name, part = m.partOf[id];
  if (!part) {
    part = m.partOf[id] = { kind: kind, name: name, t: zeros(kTotalFields), yaku: "" };
    m.parts.push(part);
  }
  return part;
}

function addGames(m, kind, n) { m.games["$" + kind.key] = (m.games["$" + kind.key] || 0) + n; }

function zeros(n) {
  var z = [];
  for (var i = 0; i < n; i++) z[i] = 0;
  return z;
}

// ---- the cache -----------------------------------------------------------------------------

// Each log's figures go into the analysis cache under the log's name: "report2|", then per
// player the name, placing, score, points won and dealt in, the pairs and the yaku numbers
// joined by ",", all joined by tabs; "%" and tab in names are percent-encoded. Values of
// another form, the previous "report1|" one included, are not ours: that log is replayed.
var kTag = "report2|";
var kPlayerKey = "player_report.player";
var kStride = 12;
var kYakuList = "(([1-4]?\\d|5[0-4])(,([1-4]?\\d|5[0-4]))*)?";
var kNamePattern = "([^\\t%]|%(25|09))*";
var kPlayerPattern = kNamePattern + "\\t[1-4]\\t-?\\d{1,9}(\\t\\d{1,12}){2}(\\t\\d{1,15}){6}\\t" +
                     kYakuList;
var kValue = new RegExp("^" + kPlayerPattern + "(\\t" + kPlayerPattern + "){0,3}$");
var cache = null;
var fresh = 0, cached = 0;

// The expressions are made once: the engine keeps each one a literal makes on every call
// until its collector runs, and over thousands of logs that was hundreds of megabytes.
var kPercent = /%/g, kTab = /\t/g;
function escapeName(name) {
  if (name.indexOf("%") < 0 && name.indexOf("\t") < 0) return name;
  return name.replace(kPercent, "%25").replace(kTab, "%09");
}
function unescapeName(name) { return name.indexOf("%") < 0 ? name : decodeURIComponent(name); }

function encodeLog() {
  var fields = [];
  forPresent(function (s, c) {
    fields.push(escapeName(seats[s].un), c[L_PLACE], c[L_SCORE], c[L_WINPTS], c[L_DEALINPTS]);
    for (var k = 0; k < kPairs.length; k++) fields.push(c[kPairs[k][0]] * kPair + c[kPairs[k][1]]);
    fields.push(logYaku[s].join(","));
  });
  return kTag + fields.join("\t");
}

// Adds a log's value to its month; false, adding nothing, when the value is not one of ours.
function mergeValue(m, kind, value) {
  var body = value.substring(kTag.length);
  if (!kValue.test(body)) return false;
  var f = body.split("\t");
  addGames(m, kind, 1);
  for (var i = 0; i < f.length; i += kStride) addPlayer(m, kind, f, i);
  return true;
}

// Written out, with the offsets of the value's fields and of the totals: this runs for every
// player of every log whose month is not taken whole from its batch.
function addPlayer(m, kind, f, i) {
  var score = +f[i + 2], part = partOf(m, kind, unescapeName(f[i])), t = part.t;
  var place = +f[i + 1];
  t[0]++;
  t[place]++;
  t[5] += place;
  t[6] += score;
  if (score < 0) t[7]++;
  t[8] += +f[i + 3];
  t[9] += +f[i + 4];
  t[10] += +f[i + 5];
  t[11] += +f[i + 6];
  t[12] += +f[i + 7];
  t[13] += +f[i + 8];
  t[14] += +f[i + 9];
  t[15] += +f[i + 10];
  var yaku = f[i + 11];
  if (yaku != "") part.yaku = part.yaku == "" ? yaku : part.yaku + "," + yaku;
}

// ---- month batches -------------------------------------------------------------------------

// Reading every log's value back is most of a cached run, so each month's logs are also kept as
// one batch under "player_report.batch:" and the month ("-" for names without a date):
// "batch2|", the log names joined by "|", then lines of the games per kind ("key:games" joined
// by ",") and of the parts (kind key, name, totals and yaku numbers joined by tabs). A run in
// which a month has exactly the logs of its batch adds the batch; other logs of the month are
// added from their own values and the month gets a new batch; a month whose batch names a log
// the run did not find is added from its logs' own values again.
var kBatchTag = "batch2|", kBatchKey = "player_report.batch:";
var kBatchGames = /^(\d{1,3}:\d{1,9}(,\d{1,3}:\d{1,9})*)?$/;
var kBatchPart = new RegExp("^\\d{1,3}\\t" + kNamePattern + "(\\t-?\\d{1,15}){" + kTotalFields +
                            "}\\t" + kYakuList + "$");

function batchKey(m) { return kBatchKey + (m.month == "" ? "-" : m.month); }

// The month's batch, read and checked when the month's first log comes; false when there is
// none of ours.
function batchOf(m) {
  if (m.batch !== null) return m.batch;
  m.batch = false;
  var value = cache.get(batchKey(m));
  if (value == null || value.indexOf(kBatchTag) != 0) return false;
  var lines = value.substring(kBatchTag.length).split("\n");
  if (lines.length < 2 || !kBatchGames.test(lines[1])) return false;
  for (var i = 2; i < lines.length; i++) if (!kBatchPart.test(lines[i])) return false;
  var list = lines[0] == "" ? [] : lines[0].split("|"), names = {};
  for (var j = 0; j < list.length; j++) names["$" + list[j]] = true;
  m.batch = { list: list, names: names, lines: lines };
  return m.batch;
}

// True when the log is one of its month's batch: it is then added with the batch.
function inBatch(m, name) {
  var batch = batchOf(m);
  if (!batch || batch.names["$" + name] !== true) return false;
  if (m.seenOf["$" + name]) m.twice = true;
  m.seenOf["$" + name] = true;
  m.seen.push(name);
  return true;
}

function addBatch(m, batch) {
  var games = batch.lines[1] == "" ? [] : batch.lines[1].split(",");
  for (var i = 0; i < games.length; i++) {
    var kg = games[i].split(":");
    addGames(m, kindOf(+kg[0]), +kg[1]);
  }
  for (var j = 2; j < batch.lines.length; j++) {
    var f = batch.lines[j].split("\t"), part = partOf(m, kindOf(+f[0]), unescapeName(f[1]));
    for (var k = 0; k < kTotalFields; k++) part.t[k] += +f[2 + k];
    var yaku = f[2 + kTotalFields];
    if (yaku != "") part.yaku = part.yaku == "" ? yaku : part.yaku + "," + yaku;
  }
  m.names = m.names.concat(batch.list);
}

function batchText(m) {
  var games = [], lines = [];
  for (var key in m.games) {
    if (key.charAt(0) == "$") games.push(key.substring(1) + ":" + m.games[key]);
  }
  games.sort();
  for (var i = 0; i < m.parts.length; i++) {
    var p = m.parts[i];
    lines.push(p.kind.key + "\t" + escapeName(p.name) + "\t" + p.t.join("\t") + "\t" + p.yaku);
  }
  return kBatchTag + m.names.join("|") + "\n" + games.join(",") + (lines.length ? "\n" : "") +
         lines.join("\n");
}

// After the replay: every month gets the logs of its batch, from the batch when the run found
// them all, once each, else from their own values; a month that changed gets a new batch.
function settleMonths() {
  for (var i = 0; i < monthList.length; i++) {
    var m = monthList[i];
    if (m.batch && m.seen.length == m.batch.list.length && !m.twice) {
      addBatch(m, m.batch);
    } else if (m.seen.length > 0) {
      m.changed = true;
      for (var j = 0; j < m.seen.length; j++) {
        var name = m.seen[j], value = cache.get(name);
        // A value gone bad since leaves its log out; the next run, finding no batch with it,
        // replays it.
        if (value != null && value.indexOf(kTag) == 0 &&
            mergeValue(m, kindOf(gameTypeOf(name)), value)) {
          m.names.push(name);
        }
      }
    }
    if (m.changed) cache.set(batchKey(m), batchText(m), "");
  }
}

// The groups the report shows: the sums of their parts over the months.
function sumMonths() {
  for (var i = 0; i < monthList.length; i++) {
    var m = monthList[i];
    for (var key in m.games) {
      if (key.charAt(0) == "$") kindOf(+key.substring(1)).games += m.games[key];
    }
    for (var j = 0; j < m.parts.length; j++) {
      var p = m.parts[j], g = groupOf(p.kind, p.name);
      for (var k = 0; k < kTotalFields; k++) g.t[k] += p.t[k];
      if (p.yaku != "") addYakuCounts(g, p.yaku);
      if (p.name == chosen && m.month != "") {
        g.months["$" + m.month] = p;
        g.monthList.push(m.month);
      }
    }
  }
}

function groupOf(kind, name) {
  var id = "$" + kind.key + "\t" + name, g = groups[id];
  if (!g) {
    g = groups[id] = { name: name, kind: kind, t: zeros(kTotalFields), yaku: null, months: {},
                       monthList: [], shown: null };
    groupList.push(g);
  }
  return g;
}

function addYakuCounts(g, list) {
  if (!g.yaku) g.yaku = zeros(kYakuCount);
  var ids = list.split(",");
  for (var j = 0; j < ids.length; j++) g.yaku[+ids[j]]++;
}

// ---- the replay ----------------------------------------------------------------------------

var options = {
  Array: Array,
  OnEnumLog: function (info) {
    var name = info.filetw, m = monthRecord(monthOf(name));
    if (inBatch(m, name)) {
      cached++;
      return false;
    }
    m.changed = true;
    var value = cache.get(name);
    if (value != null && value.indexOf(kTag) == 0 &&
        mergeValue(m, kindOf(gameTypeOf(name)), value)) {
      m.names.push(name);
      cached++;
      return false;
    }
    return true;
  },
  OnLogBegin: function (info, players) {
    logName = info.filetw;
    logKind = kindOf(gameTypeOf(logName));
    logMonth = monthRecord(monthOf(logName));
    for (var s = 0; s < 4; s++) {
      seats[s] = players[s];
      present[s] = players[s].un != "";
      logStats[s] = zeros(kLogFields);
      logYaku[s] = [];
    }
  },
  OnSceneBegin: function () {
    forPresent(function (s, st) {
      st[L_ROUNDS]++;
      st[L_SYANTEN] += seats[s].tehai.syanten();
      round[s] = { called: false, ready: false, furiten: false, reach: false };
    });
  },
  OnDahai: function (who) {
    if (!present[who]) return;
    var hand = seats[who].tehai;
    if (hand.syanten() == 0) {
      round[who].ready = true;
      if (hand.furiten()) round[who].furiten = true;
    }
  },
  OnNaki: function (who, m, type) {
    if (present[who] && (type == 0 || type == 1 || type == 5)) round[who].called = true;
  },
  OnReach: function (who) {
    if (!present[who]) return;
    logStats[who][L_REACH]++;
    round[who].reach = true;
  },
  OnAgari: function (who, t0, points, t2, yaku, yakuman, ura, sc, pao, from) {
    if (!present[who]) return;
    var st = logStats[who];
    points = points > 0 && points < 1e7 ? Math.floor(points) : 0;
    st[L_WINPTS] += points;
    if (round[who].reach) st[L_RIICHIWINS]++;
    addYaku(logYaku[who], yaku, yakuman);
    if (who == from || !present[from]) {
      st[L_TSUMO]++;
      return;
    }
    st[L_RON]++;
    logStats[from][L_DEALIN]++;
    logStats[from][L_DEALINPTS] += points;
  },
  OnRyuukyoku: function (type) {
    if (type != "" && type != "nm") return;
    forPresent(function (s, st) {
      st[L_DRAWS]++;
      if (seats[s].tehai.syanten() <= 0) st[L_DRAWREADY]++;
    });
  },
  OnSceneEnd: function () {
    forPresent(function (s, st) {
      if (round[s].called) st[L_CALLED]++;
      if (round[s].ready) st[L_READY]++;
      if (round[s].furiten) st[L_FURITEN]++;
    });
  },
  OnLogEnd: function (owari) {
    var stride = owari.length / 4;
    forPresent(function (s, st) {
      var place = 1;
      for (var o = 0; o < 4; o++) {
        if (o == s || !present[o]) continue;
        var mine = owari[s * stride], theirs = owari[o * stride];
        if (theirs > mine || (theirs == mine && o < s)) place++;
      }
      st[L_PLACE] = place;
      st[L_SCORE] = Math.round(owari[s * stride] * 100);
    });
    var value = encodeLog();
    cache.set(logName, value, "");
    if (mergeValue(logMonth, logKind, value)) logMonth.names.push(logName);
    fresh++;
  },
  OnAnalyzeEnd: function () {
    settleMonths();
    sumMonths();
    report();
  }
};

// ---- figures -------------------------------------------------------------------------------

function field(i) { return function (t) { return t[i]; }; }
function first(x) { return (x - x % kPair) / kPair; }
function pairField(logField) {
  for (var p = 0; p < kPairs.length; p++) {
    if (kPairs[p][0] == logField) return function (t) { return first(t[T_PAIRS + p]); };
    if (kPairs[p][1] == logField) return function (t) { return t[T_PAIRS + p] % kPair; };
  }
}
var games = field(T_GAMES), rounds = pairField(L_ROUNDS), tsumos = pairField(L_TSUMO);
var rons = pairField(L_RON), dealIns = pairField(L_DEALIN), reaches = pairField(L_REACH);
function wins(t) { return tsumos(t) + rons(t); }

// Each figure: its name, numerator, denominator (none for a plain count) and how it is shown.
var kFigures = [
  ["games", games, null, "count"],
  ["1st", field(1), games, "pct"],
  ["2nd", field(2), games, "pct"],
  ["3rd", field(3), games, "pct"],
  ["4th", field(4), games, "pct"],
  ["avg rank", field(T_PLACESUM), games, "avg2"],
  ["avg score", field(T_SCORE), games, "avg0"],
  ["busted", field(T_BUSTS), games, "count"],
  ["rounds", rounds, null, "count"],
  ["win", wins, rounds, "pct"],
  ["tsumo", tsumos, rounds, "pct"],
  ["ron", rons, rounds, "pct"],
  ["win pts", field(T_WINPTS), wins, "avg0"],
  ["deal-in", dealIns, rounds, "pct"],
  ["deal-in pts", field(T_DEALINPTS), dealIns, "avg0"],
  ["riichi", reaches, rounds, "pct"],
  ["riichi win", pairField(L_RIICHIWINS), reaches, "pct"],
  ["call", pairField(L_CALLED), rounds, "pct"],
  ["draw ready", pairField(L_DRAWREADY), pairField(L_DRAWS), "pct"],
  ["deal shanten", pairField(L_SYANTEN), rounds, "avg2"],
  ["ready furiten", pairField(L_FURITEN), pairField(L_READY), "pct"]
];
var kFigureIndex = {};
for (var fi = 0; fi < kFigures.length; fi++) kFigureIndex[kFigures[fi][0]] = fi;

// The tables, by figure name; "4th" is left out for three-player kinds.
var kTables = [
  ["results", ["games", "1st", "2nd", "3rd", "4th", "avg rank", "avg score", "busted"]],
  ["wins and deal-ins", ["games", "rounds", "win", "tsumo", "ron", "win pts", "deal-in",
                         "deal-in pts"]],
  ["riichi, calls, hands", ["games", "rounds", "riichi", "riichi win", "call", "draw ready",
                            "deal shanten", "ready furiten"]]
];

// Yaku names by the numbers of the log, five to a line.
var kYakuNames = [
  "門前清自摸和", "立直", "一発", "槍槓", "嶺上開花",
  "海底摸月", "河底撈魚", "平和", "断幺九", "一盃口",
  "自風 東", "自風 南", "自風 西", "自風 北", "場風 東",
  "場風 南", "場風 西", "場風 北", "役牌 白", "役牌 發",
  "役牌 中", "両立直", "七対子", "混全帯幺九", "一気通貫",
  "三色同順", "三色同刻", "三槓子", "対々和", "三暗刻",
  "小三元", "混老頭", "二盃口", "純全帯幺九", "混一色",
  "清一色", "人和", "天和", "地和", "大三元",
  "四暗刻", "四暗刻単騎", "字一色", "緑一色", "清老頭",
  "九蓮宝燈", "純正九蓮宝燈", "国士無双", "国士無双１３面", "大四喜",
  "小四喜", "四槓子", "ドラ", "裏ドラ", "赤ドラ"
];

function ratio(a, b) { return b == 0 ? 0 : a / b; }

// A group's figure as the tables show it, worked out once for the terminal and the page.
function shownOf(g, name) {
  if (!g.shown) g.shown = {};
  var text = g.shown["$" + name];
  if (text == null) text = g.shown["$" + name] = shown(kFigures[kFigureIndex[name]], g.t);
  return text;
}

function shown(figure, t) {
  var n = figure[1](t), d = figure[2] ? figure[2](t) : 1;
  if (figure[3] == "count") return "" + n;
  if (d == 0) return "-";
  if (figure[3] == "pct") return (100 * n / d).toFixed(1) + "%";
  return figure[3] == "avg2" ? (n / d).toFixed(2) : "" + Math.round(n / d);
}

function figureNames(kind, names) {
  var out = [];
  for (var i = 0; i < names.length; i++) {
    if (names[i] != "4th" || kind.players == 4) out.push(names[i]);
  }
  return out;
}

// Yaku of a group that occurred, most frequent first, dora last.
function yakuRows(g) {
  var rows = [], dora = [];
  for (var id = 0; g.yaku && id < kYakuCount; id++) {
    if (g.yaku[id] > 0) (id < kDoraFirst ? rows : dora).push(id);
  }
  rows.sort(function (a, b) { return g.yaku[b] - g.yaku[a] || a - b; });
  return rows.concat(dora);
}

// A month's games, placing sum, rounds, wins and deal-ins.
function monthCounts(g, month) {
  var t = g.months["$" + month].t, p0 = t[T_PAIRS], p1 = t[T_PAIRS + 1];
  return [t[T_GAMES], t[T_PLACESUM], first(p0), first(p1) + p1 % kPair, p0 % kPair];
}

function sortedMonths(g) {
  var months = g.monthList.slice(0);
  months.sort();
  return months;
}

// ---- ordering ------------------------------------------------------------------------------

function byGames(a, b) {
  return b.t[T_GAMES] - a.t[T_GAMES] || (a.name < b.name ? -1 : a.name > b.name ? 1 : 0);
}

function orderedKinds() {
  var list = kindList.slice(0);
  list.sort(function (a, b) {
    return b.players - a.players || b.games - a.games || a.key - b.key;
  });
  return list;
}

function groupsOfKind(kind) {
  var list = [];
  for (var i = 0; i < groupList.length; i++) if (groupList[i].kind == kind) list.push(groupList[i]);
  list.sort(byGames);
  return list;
}

// ---- the terminal table --------------------------------------------------------------------

// Columns a text takes in a terminal: East Asian wide and full-width characters take two.
function columnsOf(text) {
  var n = 0;
  for (var i = 0; i < text.length; i++) {
    var c = text.charCodeAt(i);
    n += (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) ? 2 : 1;
  }
  return n;
}

var kNarrow = /^[\x20-\x7E]*$/, kSpaces = "                              ";
function pad(text, width, right) {
  text = "" + text;
  var n = kNarrow.test(text) ? text.length : columnsOf(text);
  if (n >= width) return text;
  var fill = kSpaces.substring(0, width - n);
  while (fill.length < width - n) fill += " ";
  return right ? text + fill : fill + text;
}

// A name cut to fit its column, so that long names do not push the figures out of line.
function fit(name, width) {
  if (columnsOf(name) <= width) return name;
  while (columnsOf(name) > width - 1) name = name.substring(0, name.length - 1);
  return name + "~";
}

function columnWidth(name) { return Math.max(10, name.length + 2); }

function printTables(kind, list) {
  for (var k = 0; k < kTables.length; k++) {
    var names = figureNames(kind, kTables[k][1]);
    var head = pad("player", 18, true);
    for (var c = 0; c < names.length; c++) head += pad(names[c], columnWidth(names[c]));
    host.print(head);
    for (var i = 0; i < list.length; i++) {
      var line = pad(fit(list[i].name, 17), 18, true);
      for (var c2 = 0; c2 < names.length; c2++) {
        line += pad(shownOf(list[i], names[c2]), columnWidth(names[c2]));
      }
      host.print(line);
    }
    host.print("");
  }
}

function printPlayer(g) {
  host.print("== " + g.name + ": " + g.kind.label + " ==");
  printTables(g.kind, [g]);
  var w = wins(g.t), rows = yakuRows(g);
  if (rows.length > 0) {
    host.print("yaku: share of " + w + (w == 1 ? " win" : " wins") + " (dora: per win)");
  }
  for (var i = 0; i < rows.length; i++) {
    var n = g.yaku[rows[i]];
    host.print("  " + pad(kYakuNames[rows[i]], 16, true) + pad(rows[i] < kDoraFirst ?
               (100 * n / w).toFixed(1) + "%" : (n / w).toFixed(2), 8) + pad(n, 6));
  }
  var months = sortedMonths(g);
  host.print(pad("month", 8, true) + pad("games", 7) + pad("avg rank", 10) + pad("win", 8) +
             pad("deal-in", 9));
  for (var j = 0; j < months.length; j++) {
    var m = monthCounts(g, months[j]);
    host.print(pad(months[j], 8, true) + pad(m[0], 7) + pad(ratio(m[1], m[0]).toFixed(2), 10) +
               pad((100 * ratio(m[3], m[2])).toFixed(1) + "%", 8) +
               pad((100 * ratio(m[4], m[2])).toFixed(1) + "%", 9));
  }
  host.print("");
}

function printReport(focus, kindsInOrder) {
  for (var f = 0; f < focus.length; f++) printPlayer(focus[f]);
  for (var k = 0; k < kindsInOrder.length; k++) {
    var kind = kindsInOrder[k], list = groupsOfKind(kind);
    host.print("== " + kind.label + ": " + kind.games + " games, " + list.length + " players ==");
    printTables(kind, list);
  }
}

// ---- the HTML page -------------------------------------------------------------------------

// Text for HTML and SVG alike: markup characters escaped, and characters XML does not allow
// (a hostile name may carry them) replaced.
var kAmp = /&/g, kLt = /</g, kGt = />/g, kQuot = /"/g;
var kNotXml = /[\x00-\x08\x0B\x0C\x0E-\x1F\uFFFE\uFFFF]/g;
var kEscaped = /[&<>"\x00-\x08\x0B\x0C\x0E-\x1F\uFFFE\uFFFF]/;
function escapeHtml(text) {
  text = "" + text;
  if (!kEscaped.test(text)) return text;
  return text.replace(kAmp, "&amp;").replace(kLt, "&lt;").replace(kGt, "&gt;")
      .replace(kQuot, "&quot;").replace(kNotXml, "?");
}

function svgOpen(width, height, title) {
  return '<svg xmlns="http://www.w3.org/2000/svg" width="' + width + '" height="' + height +
         '" font-family="sans-serif" font-size="12"><title>' + escapeHtml(title) + '</title>';
}

function text(x, y, body, extra) {
  return '<text x="' + x + '" y="' + y + '"' + (extra ? " " + extra : "") + ">" +
         escapeHtml(body) + "</text>";
}

function rect(x, y, w, h, fill, tip) {
  return '<rect x="' + x + '" y="' + y + '" width="' + w + '" height="' + h + '" fill="' + fill +
         '">' + (tip ? "<title>" + escapeHtml(tip) + "</title>" : "") + "</rect>";
}

var kRankColours = ["#2e7d32", "#1e88e5", "#fb8c00", "#c62828"];

// One stacked bar per player: the shares of 1st, 2nd, ... places.
function rankChart(kind, list) {
  var left = 150, width = 420, rowH = 22, top = 24;
  var out = svgOpen(left + width + 130, top + list.length * rowH + 6, "Rank distribution");
  for (var p = 0; p < kind.players; p++) {
    out += rect(left + p * 90, 4, 12, 12, kRankColours[p]) +
           text(left + p * 90 + 16, 14, kFigures[1 + p][0]);
  }
  for (var i = 0; i < list.length; i++) {
    var t = list[i].t, y = top + i * rowH, x = left;
    out += text(left - 6, y + 14, list[i].name, 'text-anchor="end"');
    for (var q = 0; q < kind.players; q++) {
      var share = ratio(t[1 + q], t[T_GAMES]), w = Math.round(width * share);
      if (w > 0) {
        out += rect(x, y, w, rowH - 6, kRankColours[q],
                    kFigures[1 + q][0] + ": " + (100 * share).toFixed(1) + "%");
      }
      if (w >= 34) {
        out += text(x + 3, y + 12, (100 * share).toFixed(0) + "%", 'fill="#fff" font-size="10"');
      }
      x += w;
    }
    out += text(left + width + 8, y + 12, "avg " + shownOf(list[i], "avg rank") +
                ", " + t[T_GAMES] + (t[T_GAMES] == 1 ? " game" : " games"));
  }
  return out + "</svg>";
}

// A line chart over the months: series of [label, colour, value of the i-th month] (a month
// whose value is null is left out); the y axis runs from `low` to `high` (low at the top when
// `inverted`), with the labels `format` gives. Labels and months are plain text of ours.
function lineChart(title, months, series, low, high, steps, inverted, format) {
  var left = 52, top = 26, w = 520, h = 180, bottom = 40;
  var out = [svgOpen(left + w + 20, top + h + bottom, title),
             text(left, 16, title, 'font-weight="bold"')];
  function yOf(v) {
    var f = (v - low) / (high - low);
    return Math.round(top + (inverted ? f : 1 - f) * h);
  }
  var start = monthNumber(months[0]);
  var span = Math.max(1, monthNumber(months[months.length - 1]) - start), xs = [];
  for (var i = 0; i < months.length; i++) {
    xs[i] = Math.round(left + 20 + (w - 40) * (monthNumber(months[i]) - start) / span);
  }
  for (var s = 0; s <= steps; s++) {
    var v = low + (high - low) * s / steps, y = yOf(v);
    out.push('<line x1="' + left + '" y1="' + y + '" x2="' + (left + w) + '" y2="' + y +
             '" stroke="#ddd"/>', text(left - 6, y + 4, format(v), 'text-anchor="end"'));
  }
  out.push('<line x1="' + left + '" y1="' + top + '" x2="' + left + '" y2="' + (top + h) +
           '" stroke="#444"/><line x1="' + left + '" y1="' + (top + h) + '" x2="' + (left + w) +
           '" y2="' + (top + h) + '" stroke="#444"/>');
  // Month labels where they do not run into the one before.
  for (var m = 0, lastX = -99; m < months.length; m++) {
    if (xs[m] - lastX < 56) continue;
    lastX = xs[m];
    out.push('<text x="' + lastX + '" y="' + (top + h + 16) +
             '" text-anchor="middle" font-size="10">' + months[m].substring(0, 4) + "-" +
             months[m].substring(4) + "</text>");
  }
  for (var k = 0; k < series.length; k++) {
    var points = [], dots = ['<g fill="' + series[k][1] + '">'];
    for (var j = 0; j < months.length; j++) {
      var value = series[k][2](j);
      if (value == null) continue;
      var y2 = yOf(value);
      points.push(xs[j] + "," + y2);
      dots.push('<circle cx="' + xs[j] + '" cy="' + y2 + '" r="3"><title>' + months[j] + " " +
                series[k][0] + ": " + format(value) + "</title></circle>");
    }
    out.push('<polyline fill="none" stroke-width="2" stroke="' + series[k][1] + '" points="' +
             points.join(" ") + '"/>' + dots.join("") + "</g>" +
             rect(left + w - 150 + k * 80, top + h + 26, 10, 10, series[k][1]) +
             text(left + w - 136 + k * 80, top + h + 35, series[k][0]));
  }
  out.push("</svg>");
  return out.join("");
}

function monthNumber(month) { return 12 * +month.substring(0, 4) + +month.substring(4, 6); }

function trendCharts(g) {
  var months = sortedMonths(g), counts = [], top = 0.1;
  if (months.length == 0) return "";
  for (var i = 0; i < months.length; i++) {
    var m = counts[i] = monthCounts(g, months[i]);
    top = Math.max(top, ratio(m[3], m[2]), ratio(m[4], m[2]));
  }
  top = Math.ceil(top * 10) / 10;
  function perMonth(a, b) {
    return function (j) { return counts[j][b] == 0 ? null : counts[j][a] / counts[j][b]; };
  }
  function pct(v) { return (100 * v).toFixed(0) + "%"; }
  return lineChart("Average rank per month", months, [["avg rank", "#6a1b9a", perMonth(1, 0)]],
                   1, g.kind.players, g.kind.players - 1, true,
                   function (v) { return v.toFixed(1); }) +
         lineChart("Win and deal-in rates per month", months,
                   [["win", "#1e88e5", perMonth(3, 2)], ["deal-in", "#c62828", perMonth(4, 2)]],
                   0, top, 5, false, pct);
}

// Horizontal bars: the share of wins with each yaku, and the dora per win.
function yakuChart(g) {
  var rows = yakuRows(g), w = wins(g.t);
  if (rows.length == 0) return "";
  var left = 130, width = 360, rowH = 20;
  var out = svgOpen(left + width + 90, rows.length * rowH + 30,
                    "Yaku: share of " + w + " wins; dora per win") +
            text(left, 16, "Yaku: share of " + w + " wins (dora: per win)", 'font-weight="bold"');
  for (var i = 0; i < rows.length; i++) {
    var id = rows[i], n = g.yaku[id], y = 24 + i * rowH;
    var value = n / w, bar = Math.round(width * Math.min(1, id < kDoraFirst ? value : value / 4));
    out += text(left - 6, y + 12, kYakuNames[id], 'text-anchor="end"') +
           rect(left, y, bar, rowH - 6, id < kDoraFirst ? "#3a7bd5" : "#f9a825") +
           text(left + bar + 6, y + 12, (id < kDoraFirst ? (100 * value).toFixed(1) + "%" :
                                                           value.toFixed(2)) + " (" + n + ")");
  }
  return out + "</svg>";
}

function htmlTables(kind, list) {
  var out = "";
  for (var k = 0; k < kTables.length; k++) {
    var names = figureNames(kind, kTables[k][1]);
    out += "<table><caption>" + escapeHtml(kTables[k][0]) + "</caption><tr><th>player</th>";
    for (var c = 0; c < names.length; c++) out += "<th>" + escapeHtml(names[c]) + "</th>";
    out += "</tr>";
    for (var i = 0; i < list.length; i++) {
      out += "<tr><td>" + escapeHtml(list[i].name) + "</td>";
      for (var c2 = 0; c2 < names.length; c2++) {
        out += "<td>" + escapeHtml(shownOf(list[i], names[c2])) + "</td>";
      }
      out += "</tr>";
    }
    out += "</table>";
  }
  return out;
}

function playerPictures(g) { return rankChart(g.kind, [g]) + trendCharts(g) + yakuChart(g); }

// Players with charts of their own in a kind's section; tables list everyone.
var kChartedPlayers = 30;

function html(focus, kindsInOrder) {
  // Parts joined once: adding each to one long text copies that text every time.
  var out = ['<!DOCTYPE html><html><head><meta charset="utf-8"><title>Player report</title>' +
      "<style>body{font-family:sans-serif;margin:2em}table{border-collapse:collapse;" +
      "margin:0 0 1em}caption{text-align:left;font-weight:bold}td,th{border:1px solid #bbb;" +
      "padding:3px 8px;text-align:right}td:first-child{text-align:left}svg{display:block;" +
      "margin:0 0 1em}summary{cursor:pointer;margin:.3em 0}</style></head><body>" +
      "<h1>Player report</h1>"];
  for (var f = 0; f < focus.length; f++) {
    out.push("<h2>" + escapeHtml(focus[f].name + ": " + focus[f].kind.label) + "</h2>",
             htmlTables(focus[f].kind, [focus[f]]), playerPictures(focus[f]));
  }
  for (var k = 0; k < kindsInOrder.length; k++) {
    var kind = kindsInOrder[k], list = groupsOfKind(kind);
    var charted = list.slice(0, kChartedPlayers);
    out.push("<h2>" + escapeHtml(kind.label + ": " + kind.games + " games") + "</h2>",
             htmlTables(kind, list), "<h3>Rank distribution" +
             (list.length > charted.length ? " (the " + charted.length + " with most games)" : "") +
             "</h3>", rankChart(kind, charted));
    for (var i = 0; i < charted.length; i++) {
      if (!charted[i].yaku) continue;
      out.push("<details><summary>" + escapeHtml(charted[i].name) + ": yaku</summary>",
               yakuChart(charted[i]), "</details>");
    }
  }
  out.push("</body></html>\n");
  return out.join("");
}

// ---- the TSV file --------------------------------------------------------------------------

// Every figure as its counts, "numerator/denominator" (a plain count alone): a row of all
// figures per group, a row of yaku counts over wins, and for the chosen player a row per month.
var kControl = /[\t\r\n]/g;
function tsv(kindsInOrder) {
  var out = "player\tkind\trow";
  for (var f = 0; f < kFigures.length; f++) out += "\t" + kFigures[f][0];
  out += "\n";
  for (var k = 0; k < kindsInOrder.length; k++) {
    var list = groupsOfKind(kindsInOrder[k]);
    for (var i = 0; i < list.length; i++) out += tsvRows(list[i]);
  }
  return out;
}

function tsvRows(g) {
  var t = g.t, lead = g.name.replace(kControl, " ") + "\t" + g.kind.label + "\t";
  var row = [], yaku = [];
  for (var f = 0; f < kFigures.length; f++) {
    var fig = kFigures[f];
    row.push(fig[1](t) + (fig[2] ? "/" + fig[2](t) : ""));
  }
  for (var id = 0; id < kYakuCount; id++) yaku.push((g.yaku ? g.yaku[id] : 0) + "/" + wins(t));
  var out = lead + "all\t" + row.join("\t") + "\n" + lead + "yaku\t" + yaku.join("\t") + "\n";
  var months = sortedMonths(g);
  for (var m = 0; m < months.length; m++) {
    var c = monthCounts(g, months[m]);
    out += lead + months[m] + "\t" + c[0] + "\t" + c[1] + "/" + c[0] + "\t" + c[3] + "/" + c[2] +
           "\t" + c[4] + "/" + c[2] + "\n";
  }
  return out;
}

// ---- the run -------------------------------------------------------------------------------

function report() {
  var kindsInOrder = orderedKinds(), focus = [];
  for (var k = 0; chosen != "" && k < kindsInOrder.length; k++) {
    var g = groups["$" + kindsInOrder[k].key + "\t" + chosen];
    if (g) focus.push(g);
  }
  host.print("logs analysed: " + fresh + ", from the cache: " + cached);
  if (chosen != "") {
    host.print("player: " + chosen + (focus.length ? "" : " (no games)") +
               "  (remembered; --player \"\" for everyone)");
  }
  host.print("");
  printReport(focus, kindsInOrder);
  if (!host.writeFile(htmlPath, html(focus, kindsInOrder))) host.exitCode = 5;
  else host.print("HTML report: " + htmlPath);
  if (tsvPath != "" && !host.writeFile(tsvPath, tsv(kindsInOrder))) host.exitCode = 5;
}

var analyzer = external.mjCommand("CREATEINSTANCE::LOGANA1.0");
cache = analyzer.cache;
if (chosen == null) chosen = cache.get(kPlayerKey) || "";
else cache.set(kPlayerKey, chosen, "");
var started = analyzer.analyze(options);

// Per-player report over every log of the log folder: a table on standard output and a
// self-contained HTML page with charts. Each log's figures are kept in the analysis cache, so
// a second run over the same folder replays only the logs added since.
// Usage: logana-run [options] player_report.js [HTML-FILE [TSV-FILE]]
// JScript 3 (ES3): no JSON, no forEach, no Object.keys.

var htmlPath = host.argCount > 0 ? host.arg(0) : "player_report.html";
var tsvPath = host.argCount > 1 ? host.arg(1) : "";

var stats = {};      // player name -> counters over all logs, as objects; made by report()
var totals = {};     // "$" + player name -> counters in kFields order (no name meets "toString")
var order = [];      // names in first-seen order
var seats = [];      // the four player objects of the current log
var present = [];    // seat has a player
var logStats = [];   // per seat, the counters of the current log
var logName = "";
var round = null;    // per-seat flags of the current hand

var kFields = ["games", "placeSum", "rounds", "reach", "tsumo", "ron", "dealIn", "called",
               "syantenSum", "ready", "readyFuriten", "draws", "drawReady"];

// Each log's counters go into the analysis cache under the log's name, so that the next run
// replays only the logs it has not seen: "report1|", then per player the name and the
// counters in kFields order, all joined by tabs; "%" and tab in names are percent-encoded.
// A value of another form is not ours, and that log is replayed again. A second run spends
// nearly all its time reading these back, so that is kept to one test, one split and sums.
var kTag = "report1|";
var kValue = /^[^\t]*(\t-?\d+){13}(\t[^\t]*(\t-?\d+){13})*$/;
var cache = null;
var fresh = 0, cached = 0;

function newCounters() {
  var c = {};
  for (var k = 0; k < kFields.length; k++) c[kFields[k]] = 0;
  return c;
}

function totalsOf(name) {
  var t = totals["$" + name];
  if (!t) {
    t = totals["$" + name] = [0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0];
    order.push(name);
  }
  return t;
}

// The expressions are made once: the engine keeps each one a literal makes on every call
// until its collector runs, and over thousands of logs that was hundreds of megabytes.
var kPercent = /%/g, kTab = /\t/g;
function escapeName(name) {
  if (name.indexOf("%") < 0 && name.indexOf("\t") < 0) return name;
  return name.replace(kPercent, "%25").replace(kTab, "%09");
}

function encodeLog() {
  var fields = [];
  forPresent(function (s, c) {
    fields.push(escapeName(seats[s].un));
    for (var k = 0; k < kFields.length; k++) fields.push(c[kFields[k]]);
  });
  return kTag + fields.join("\t");
}

// Adds a cached log's counters; false, adding nothing, when the value is not one of ours.
function mergeCached(value) {
  var body = value.substring(kTag.length);
  if (!kValue.test(body)) return false;
  var f = body.split("\t");
  for (var i = 0; i < f.length; i += 14) {
    var t = totalsOf(f[i].indexOf("%") >= 0 ? decodeURIComponent(f[i]) : f[i]);
    for (var k = 0; k < 13; k++) t[k] += +f[i + 1 + k];
  }
  return true;
}

function forPresent(fn) {
  for (var s = 0; s < 4; s++) if (present[s]) fn(s, logStats[s]);
}

var options = {
  Array: Array,
  OnEnumLog: function (info) {
    var value = cache.get(info.filetw);
    if (value != null && value.indexOf(kTag) == 0 && mergeCached(value)) {
      cached++;
      return false;
    }
    return true;
  },
  OnLogBegin: function (info, players) {
    logName = info.filetw;
    seats = [];
    present = [];
    logStats = [];
    for (var s = 0; s < 4; s++) {
      seats[s] = players[s];
      present[s] = players[s].un != "";
      logStats[s] = newCounters();
    }
    forPresent(function (s, st) { st.games++; });
  },
  OnSceneBegin: function () {
    round = [];
    forPresent(function (s, st) {
      st.rounds++;
      st.syantenSum += seats[s].tehai.syanten();
      round[s] = { called: false, ready: false, furiten: false };
    });
  },
  OnDahai: function (who, hai) {
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
  OnReach: function (who) { logStats[who].reach++; },
  OnAgari: function (who, t0, t1, t2, yaku, yakuman, ura, sc, pao, from) {
    if (who == from) logStats[who].tsumo++;
    else {
      logStats[who].ron++;
      logStats[from].dealIn++;
    }
  },
  OnRyuukyoku: function (type) {
    if (type != "" && type != "nm") return;
    forPresent(function (s, st) {
      st.draws++;
      var hand = seats[s].tehai;
      if (hand.syanten() <= 0) st.drawReady++;
    });
  },
  OnSceneEnd: function () {
    forPresent(function (s, st) {
      if (round[s].called) st.called++;
      if (round[s].ready) st.ready++;
      if (round[s].furiten) st.readyFuriten++;
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
      st.placeSum += place;
      var t = totalsOf(seats[s].un);
      for (var k = 0; k < kFields.length; k++) t[k] += st[kFields[k]];
    });
    cache.set(logName, encodeLog(), "");
    fresh++;
  },
  OnAnalyzeEnd: function () { report(); }
};

function ratio(a, b) { return b == 0 ? 0 : a / b; }
function pct(a, b) { return (100 * ratio(a, b)).toFixed(1) + "%"; }
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

function pad(text, width, right) {
  text = "" + text;
  for (var n = columnsOf(text); n < width; n++) text = right ? text + " " : " " + text;
  return text;
}

var columns = [
  ["games", function (st) { return st.games; }],
  ["avg place", function (st) { return ratio(st.placeSum, st.games).toFixed(2); }],
  ["riichi", function (st) { return pct(st.reach, st.rounds); }],
  ["tsumo win", function (st) { return pct(st.tsumo, st.rounds); }],
  ["ron win", function (st) { return pct(st.ron, st.rounds); }],
  ["deal-in", function (st) { return pct(st.dealIn, st.rounds); }],
  ["call", function (st) { return pct(st.called, st.rounds); }],
  ["deal shanten", function (st) { return ratio(st.syantenSum, st.rounds).toFixed(2); }],
  ["ready furiten", function (st) { return pct(st.readyFuriten, st.ready); }],
  ["draw ready", function (st) { return pct(st.drawReady, st.draws); }]
];

function sortedNames() {
  var names = order.slice(0);
  names.sort(function (a, b) { return stats[b].games - stats[a].games || (a < b ? -1 : 1); });
  return names;
}

function printTable(names) {
  var head = pad("player", 16, true);
  for (var c = 0; c < columns.length; c++) head += pad(columns[c][0], 14);
  host.print(head);
  for (var i = 0; i < names.length; i++) {
    var line = pad(names[i], 16, true);
    for (var c2 = 0; c2 < columns.length; c2++) line += pad(columns[c2][1](stats[names[i]]), 14);
    host.print(line);
  }
}

function escapeHtml(text) {
  return ("" + text).replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;")
      .replace(/"/g, "&quot;");
}

// A horizontal bar chart: one bar per player, values as fractions of `max`.
function barChart(title, names, value, max, label) {
  var rowH = 22, left = 140, width = 360;
  var svg = '<h2>' + escapeHtml(title) + '</h2><svg xmlns="http://www.w3.org/2000/svg" width="' +
      (left + width + 80) + '" height="' + (names.length * rowH + 10) + '">';
  for (var i = 0; i < names.length; i++) {
    var v = value(stats[names[i]]), y = i * rowH + 5;
    var w = max == 0 ? 0 : Math.round(width * Math.min(v / max, 1));
    svg += '<text x="' + (left - 6) + '" y="' + (y + 15) + '" text-anchor="end" font-size="13">' +
        escapeHtml(names[i]) + '</text><rect x="' + left + '" y="' + y + '" width="' + w +
        '" height="' + (rowH - 6) + '" fill="#3a7bd5"/><text x="' + (left + w + 6) + '" y="' +
        (y + 15) + '" font-size="12">' + escapeHtml(label(v)) + '</text>';
  }
  return svg + '</svg>';
}

function html(names) {
  var out = '<!DOCTYPE html><html><head><meta charset="utf-8"><title>Player report</title>' +
      '<style>body{font-family:sans-serif;margin:2em}table{border-collapse:collapse}' +
      'td,th{border:1px solid #bbb;padding:3px 8px;text-align:right}' +
      'td:first-child{text-align:left}</style></head><body><h1>Player report</h1>';
  out += '<table><tr><th>player</th>';
  for (var c = 0; c < columns.length; c++) out += '<th>' + escapeHtml(columns[c][0]) + '</th>';
  out += '</tr>';
  for (var i = 0; i < names.length; i++) {
    out += '<tr><td>' + escapeHtml(names[i]) + '</td>';
    for (var c2 = 0; c2 < columns.length; c2++) {
      out += '<td>' + escapeHtml(columns[c2][1](stats[names[i]])) + '</td>';
    }
    out += '</tr>';
  }
  out += '</table>';
  function share(a, b) { return function (st) { return ratio(st[a], st[b]); }; }
  function asPct(v) { return (100 * v).toFixed(1) + "%"; }
  out += barChart("Average placement", names, function (st) { return ratio(st.placeSum, st.games); },
                  4, function (v) { return v.toFixed(2); });
  out += barChart("Riichi rate", names, share("reach", "rounds"), 0.5, asPct);
  out += barChart("Win rate (self-draw + discard)", names,
                  function (st) { return ratio(st.tsumo + st.ron, st.rounds); }, 0.5, asPct);
  out += barChart("Deal-in rate", names, share("dealIn", "rounds"), 0.5, asPct);
  out += barChart("Call rate", names, share("called", "rounds"), 1, asPct);
  out += barChart("Ready at exhaustive draw", names, share("drawReady", "draws"), 1, asPct);
  return out + '</body></html>\n';
}

function tsv(names) {
  var out = "player\t" + kFields.join("\t") + "\n";
  for (var i = 0; i < names.length; i++) {
    var row = [names[i]];
    for (var k = 0; k < kFields.length; k++) row.push(stats[names[i]][kFields[k]]);
    out += row.join("\t") + "\n";
  }
  return out;
}

function report() {
  for (var i = 0; i < order.length; i++) {
    var st = stats[order[i]] = {}, t = totals["$" + order[i]];
    for (var k = 0; k < kFields.length; k++) st[kFields[k]] = t[k];
  }
  var names = sortedNames();
  host.print("logs analysed: " + fresh + ", from the cache: " + cached);
  printTable(names);
  if (!host.writeFile(htmlPath, html(names))) host.exitCode = 5;
  else host.print("HTML report: " + htmlPath);
  if (tsvPath != "" && !host.writeFile(tsvPath, tsv(names))) host.exitCode = 5;
}

var analyzer = external.mjCommand("CREATEINSTANCE::LOGANA1.0");
cache = analyzer.cache;
var started = analyzer.analyze(options);

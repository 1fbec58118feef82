// A stand-in for the Emscripten module of holestress, with its interface: createHolestress()
// resolves to a module with version() and runJob(tomlText, fileName). runJob answers with fixed,
// plausible results (those of the bolted-joint example) for the job's title, load case names and
// criteria, which it picks out of the text with a few patterns, so that the page can be built and
// tested before the analysis core is connected. It has no expandLayup: the page then shows a
// layup's plies only from the results.
var createHolestress = (function () {
  'use strict';
  var FACTORS = {'max-strain': 3.412, 'max-stress': 3.118, 'tsai-hill': 2.967, 'tsai-wu': 2.714,
                 'hoffman': 2.903};
  var PLACE = {'max-strain': [4, 90, 90.0, 'transverse'], 'max-stress': [4, 90, 90.0, 'transverse'],
               'tsai-hill': [4, 90, 90.0, 'combined'], 'tsai-wu': [2, 45, 60.0, 'combined'],
               'hoffman': [4, 90, 90.0, 'combined']};

  function pick(text, pattern, fallback) {
    var m = pattern.exec(text);
    return m ? m[1] : fallback;
  }

  // The text of a basic string: its escapes are those of JSON but for \U.
  function unescape(s) {
    try {
      return JSON.parse('"' + s + '"');
    } catch (e) {
      return s;
    }
  }

  // A joint job: the load shared evenly among the rows, and every hole of every plate with the
  // same factors scaled down a little per row.
  function runJoint(text, out) {
    var plates = text.split(/^\s*\[\[\s*joint\.plates\s*\]\]/m).slice(1).map(function (section, i) {
      return unescape(pick(section, /^\s*name\s*=\s*"((?:[^"\\]|\\.)*)"/m, 'plate' + (i + 1)));
    });
    var count = text.split(/^\s*\[\[\s*joint\.rows\s*\]\]/m).length - 1;
    var load = Number(pick(text, /^\s*load\s*=\s*([0-9.eE+-]+)/m, '1000'));
    var list = pick(text, /^\s*criteria\s*=\s*\[([^\]]*)\]/m, '');
    var criteria = Object.keys(FACTORS).filter(function (c) { return list.indexOf('"' + c + '"') >= 0; });
    var rows = [], holes = [], critical = null;
    for (var i = 0; i < count; ++i) {
      rows.push({row: i + 1, x: 25 * i, diameter: 6.35, count: 1, flexibility: 4e-5, load: load / count,
                 fastener_load: load / count, share: 1 / count, plates: []});
    }
    plates.forEach(function (plate) {
      rows.forEach(function (row) {
        var hole = {hole: plate + ':' + row.row, plate: plate, row: row.row, bearing: 100, bypass: 40,
                    criteria: {}, smallest: null, margin_of_safety: null};
        criteria.forEach(function (c) {
          var p = PLACE[c], f = Math.round(FACTORS[c] * (1 - 0.1 * row.row) * 1000) / 1000;
          hole.criteria[c] = {factor: f, ply: p[0], ply_angle: p[1], angle: p[2], distance: 0.5, component: p[3]};
          if (!hole.smallest || f < hole.smallest.factor) {
            hole.smallest = {criterion: c, factor: f, ply: p[0], ply_angle: p[1], angle: p[2], distance: 0.5,
                             component: p[3]};
            hole.margin_of_safety = Math.round((f - 1) * 1000) / 1000;
          }
        });
        if (hole.smallest && (!critical || hole.smallest.factor < critical.factor)) {
          critical = {hole: hole.hole, plate: plate, row: row.row, criterion: hole.smallest.criterion,
                      factor: hole.smallest.factor, ply: hole.smallest.ply, ply_angle: hole.smallest.ply_angle,
                      angle: hole.smallest.angle, distance: 0.5, component: hole.smallest.component,
                      margin_of_safety: hole.margin_of_safety};
        }
        holes.push(hole);
      });
    });
    out.results = {title: unescape(pick(text, /^\s*title\s*=\s*"((?:[^"\\]|\\.)*)"/m, '')),
                   units: {stress: 'MPa', length: 'mm'}, warnings: [],
                   inputs: {failure: {criteria: criteria, factor_of_safety: 1.5}},
                   joint: {shear: 'single', load: load, fastener_flexibility: 'huth-bolted-graphite',
                           hole_model: 'strip', rows: rows, holes: holes, critical: critical}};
    out.tables = ' JOINT (stub module: fixed tables)\r\n';
    out.csv['joint_rows.csv'] = 'row,share\r\n';
    return JSON.stringify(out);
  }

  function runJob(text, fileName) {
    text = String(text);
    var out = {status: 0, errors: '', results: null, tables: '', csv: {}, pictures: ''};
    if (/^\s*\[joint\]/m.test(text)) return runJoint(text, out);
    if (!/^\s*\[\[\s*plies\s*\]\]/m.test(text) && !/^\s*\[\s*laminate\s*\]/m.test(text)) {
      out.status = 2;
      out.errors = fileName + ':1:1: plies: at least one ply is needed';
      return JSON.stringify(out);
    }
    var title = unescape(pick(text, /^\s*title\s*=\s*"((?:[^"\\]|\\.)*)"/m, ''));
    var names = [];
    text.split(/^\s*\[\[\s*load_cases\s*\]\]/m).slice(1).forEach(function (section, i) {
      names.push(unescape(pick(section.split(/^\s*\[/m)[0],
                               /^\s*name\s*=\s*"((?:[^"\\]|\\.)*)"/m, 'LC' + (i + 1))));
    });
    if (!names.length) names.push('LC1');
    var list = pick(text, /^\s*criteria\s*=\s*\[([^\]]*)\]/m, null);
    var criteria = list === null ? Object.keys(FACTORS)
        : Object.keys(FACTORS).filter(function (c) { return list.indexOf('"' + c + '"') >= 0; });
    var stress = pick(text, /^\s*stress\s*=\s*"([^"]*)"/m, 'psi');
    var length = pick(text, /^\s*length\s*=\s*"([^"]*)"/m, 'in');
    // The reserve factors as holestress run writes them: one characteristic distance for all
    // criteria.
    var distance = Number(pick(text, /^\s*distance\s*=\s*([0-9.eE+-]+)/m, '0.05'));
    var cases = names.map(function (name, i) {
      var scale = 1 / (1 + 0.5 * i), best = null;
      var reserve = {distance: distance, factor_of_safety: 1, criteria: {}};
      criteria.forEach(function (c) {
        var p = PLACE[c], f = Math.round(FACTORS[c] * scale * 1000) / 1000;
        reserve.criteria[c] = {factor: f, ply: p[0], ply_angle: p[1], angle: p[2],
                               component: p[3]};
        if (!best || f < best.factor) best = {criterion: c, factor: f, ply: p[0], angle: p[2]};
      });
      if (best) {
        reserve.smallest = best;
        reserve.margin_of_safety = Math.round((best.factor - 1) * 1000) / 1000;
      }
      return {name: name, loads: {px: 5000, py: 0, pxy: 0, off_axis: 0, bearing: 20000,
                                  bolt_angle: 0},
              reserve: reserve,
              stations: {distance: [0, 0, 0.05, 0.05], angle: [0, 90, 0, 90]},
              stresses: {x: [-25464.62, 38542.76, -15266.22, 17828.58],
                         y: [353.59, -176.29, 4100.68, 3576.93], xy: [0, 0, 0, -766.55]}};
    });
    out.results = {
      title: title, units: {stress: stress, length: length},
      laminate: {EX: 7.70e6, EY: 7.70e6, GXY: 2.94e6, VXY: 0.312,
                 compliance: [[1.299e-7, -4.05e-8, 0], [-4.05e-8, 1.299e-7, 0], [0, 0, 3.40e-7]]},
      load_cases: cases
    };
    out.tables = ['', '                         LAMINATE PROPERTIES',
                  ' EX = 0.770E+07  EY = 0.770E+07  GXY = 0.294E+07  VXY = 0.312', '',
                  '  (stub module: fixed tables)', ''].join('\r\n');
    cases.forEach(function (lc) {
      out.csv[lc.name + '-stresses.csv'] = 'distance,angle,x,y,xy\r\n0,0,-25464.62,353.59,0\r\n' +
          '0,90,38542.76,-176.29,0\r\n';
    });
    out.pictures = '<figure class="stub"><svg xmlns="http://www.w3.org/2000/svg" width="220" ' +
        'height="120" viewBox="-110 -60 220 120"><circle r="25" fill="#e4e4e4" stroke="#555"/>' +
        '<path d="M -25 0 A 25 25 0 0 1 25 0" fill="none" stroke="#0072B2" stroke-width="3"/>' +
        '<text x="0" y="50" text-anchor="middle" font-size="11">stub picture</text></svg>' +
        '<figcaption>stub picture</figcaption></figure>';
    return JSON.stringify(out);
  }

  return function (moduleArg) {
    var module = moduleArg || {};
    module.version = function () { return '0.0.0-stub'; };
    module.runJob = runJob;
    return Promise.resolve(module);
  };
})();
if (typeof exports === 'object' && typeof module === 'object') module.exports = createHolestress;

// The page of holestress: a form for the job, the TOML job file written from it and read back
// into it, checks of every value as it is typed, and the results of the analysis module
// (createHolestress, inlined before this script). The first part (TOML, checks, base64url) uses
// no browser objects, so node can test it; the second part drives the page.
'use strict';

// ---------------------------------------------------------------------------------------------
// TOML: the subset a job file needs. Comments; bare, quoted and dotted keys; [table] and
// [[array of tables]] headers; basic and literal strings (one line); integers and floats (with _
// separators, inf and nan); booleans; arrays over several lines; inline tables. Dates and
// multi-line strings are not read: a job has none.

class TomlError extends Error {
  constructor(line, column, message) {
    super(line + ':' + column + ': ' + message);
    this.line = line;
    this.column = column;
  }
}

function parseToml(text) {
  const root = {};
  const explicit = new Set();  // tables given by a [header] (a second header is an error)
  let at = 0, line = 1, lineStart = 0;

  const fail = (message) => { throw new TomlError(line, at - lineStart + 1, message); };
  const peek = () => text[at];
  const skipBlanks = () => { while (peek() === ' ' || peek() === '\t') ++at; };
  const skipComment = () => {
    if (peek() === '#') while (at < text.length && peek() !== '\n') ++at;
  };
  const newline = () => {
    if (peek() === '\r' && text[at + 1] === '\n') ++at;
    if (peek() !== '\n') return false;
    ++at; ++line; lineStart = at;
    return true;
  };
  const endOfLine = () => {
    skipBlanks(); skipComment();
    if (at < text.length && !newline()) fail('expected the end of the line');
  };
  // Blanks, comments and line ends inside an array.
  const skipSpace = () => {
    for (;;) {
      skipBlanks(); skipComment();
      if (!newline()) return;
    }
  };

  function basicString() {
    let out = '';
    ++at;
    for (;;) {
      const c = text[at++];
      if (c === undefined || c === '\n' || c === '\r') fail('unterminated string');
      if (c === '"') return out;
      if (c !== '\\') { out += c; continue; }
      const e = text[at++];
      const simple = {b: '\b', t: '\t', n: '\n', f: '\f', r: '\r', '"': '"', '\\': '\\'};
      if (e in simple) {
        out += simple[e];
      } else if (e === 'u' || e === 'U') {
        const n = e === 'u' ? 4 : 8, hex = text.substr(at, n);
        if (!/^[0-9a-fA-F]+$/.test(hex) || hex.length !== n) fail('bad unicode escape');
        out += String.fromCodePoint(parseInt(hex, 16));
        at += n;
      } else {
        fail('bad escape \\' + e);
      }
    }
  }

  function literalString() {
    const end = text.indexOf("'", at + 1), nl = text.indexOf('\n', at + 1);
    if (end < 0 || (nl >= 0 && nl < end)) fail('unterminated string');
    const s = text.slice(at + 1, end);
    at = end + 1;
    return s;
  }

  function key() {
    const parts = [];
    for (;;) {
      skipBlanks();
      if (peek() === '"') {
        parts.push(basicString());
      } else if (peek() === "'") {
        parts.push(literalString());
      } else {
        const m = /^[A-Za-z0-9_-]+/.exec(text.slice(at, at + 256));
        if (!m) fail('expected a key');
        parts.push(m[0]);
        at += m[0].length;
      }
      skipBlanks();
      if (peek() !== '.') return parts;
      ++at;
    }
  }

  function number() {
    const m = /^[+-]?(inf|nan|[0-9_]+(\.[0-9_]+)?([eE][+-]?[0-9_]+)?)/.exec(text.slice(at, at + 400));
    if (!m) fail('expected a value');
    const s = m[0];
    at += s.length;
    if (/inf$/.test(s)) return s[0] === '-' ? -Infinity : Infinity;
    if (/nan$/.test(s)) return NaN;
    const digits = s.replace(/^[+-]/, '');
    if (/(^_|_$|__|_[.eE]|[.eE+-]_)/.test(digits)) fail('misplaced underscore in ' + s);
    if (/^0[0-9]/.test(digits)) fail('leading zero in ' + s);
    return Number(s.replace(/_/g, ''));
  }

  function value() {
    const c = peek();
    if (c === '"') {
      if (text.startsWith('"""', at)) fail('multi-line strings are not read');
      return basicString();
    }
    if (c === "'") {
      if (text.startsWith("'''", at)) fail('multi-line strings are not read');
      return literalString();
    }
    if (text.startsWith('true', at)) { at += 4; return true; }
    if (text.startsWith('false', at)) { at += 5; return false; }
    if (c === '[') {
      ++at;
      const list = [];
      for (;;) {
        skipSpace();
        if (peek() === ']') { ++at; return list; }
        list.push(value());
        skipSpace();
        if (peek() === ',') { ++at; continue; }
        if (peek() === ']') { ++at; return list; }
        fail('expected , or ] in an array');
      }
    }
    if (c === '{') {
      ++at;
      const table = {};
      skipBlanks();
      if (peek() === '}') { ++at; return table; }
      for (;;) {
        assign(table, key());
        skipBlanks();
        if (peek() === ',') { ++at; continue; }
        if (peek() === '}') { ++at; return table; }
        fail('expected , or } in an inline table');
      }
    }
    if (/[0-9]/.test(c || '') && /^\d{4}-\d\d-\d\d/.test(text.slice(at, at + 10))) {
      fail('dates are not read');
    }
    return number();
  }

  const isTable = (v) => v !== null && typeof v === 'object' && !Array.isArray(v);

  // Walks down the dotted key from table, making tables; returns the innermost one.
  function descend(table, parts, headerKind) {
    let t = table;
    for (const p of parts) {
      if (!(p in t)) t[p] = {};
      let next = t[p];
      if (Array.isArray(next) && headerKind) {
        if (!next.length || !isTable(next[next.length - 1])) fail('key ' + p + ' is not a table');
        next = next[next.length - 1];
      }
      if (!isTable(next)) fail('key ' + p + ' is already a value');
      t = next;
    }
    return t;
  }

  function assign(table, parts) {
    const last = parts[parts.length - 1];
    const t = descend(table, parts.slice(0, -1), false);
    skipBlanks();
    if (peek() !== '=') fail('expected = after the key');
    ++at;
    skipBlanks();
    if (last in t) fail('key ' + parts.join('.') + ' is defined twice');
    t[last] = value();
  }

  let current = root;
  while (at < text.length) {
    skipBlanks(); skipComment();
    if (newline() || at >= text.length) continue;
    if (peek() === '[') {
      const array = text[at + 1] === '[';
      at += array ? 2 : 1;
      const parts = key();
      if (peek() !== ']' || (array && text[at + 1] !== ']')) fail('expected ] after the table name');
      at += array ? 2 : 1;
      const name = JSON.stringify(parts);
      if (array) {
        const parent = descend(root, parts.slice(0, -1), true), last = parts[parts.length - 1];
        if (!(last in parent)) parent[last] = [];
        if (!Array.isArray(parent[last])) fail('key ' + parts.join('.') + ' is not an array');
        current = {};
        parent[last].push(current);
      } else {
        if (explicit.has(name)) fail('table ' + parts.join('.') + ' is defined twice');
        explicit.add(name);
        current = descend(root, parts, true);
      }
    } else {
      assign(current, key());
    }
    endOfLine();
  }
  return root;
}

// ---------------------------------------------------------------------------------------------
// The job: its parts, limits and checks.

const STRESS_UNITS = ['psi', 'ksi', 'Pa', 'kPa', 'MPa', 'GPa'];
const LENGTH_UNITS = ['in', 'mm', 'm'];
const CRITERIA = [['max-strain', 'maximum strain'], ['max-stress', 'maximum stress'],
                  ['tsai-hill', 'Tsai-Hill'], ['tsai-wu', 'modified Tsai-Wu'],
                  ['hoffman', 'Hoffman']];
const TABLES = ['properties', 'stresses', 'strains', 'polar', 'displacements', 'ply-strains',
                'ply-stresses', 'failure', 'reserve'];
const ELASTIC = ['E1', 'E2', 'G12', 'nu12'];
const ALLOWABLES = ['T1', 'C1', 'T2', 'C2', 'S12'];
// Strain allowables of the maximum-strain criterion (all five or none): with them, that criterion
// alone needs no stress allowables.
const STRAIN_ALLOWABLES = ['strain_T1', 'strain_C1', 'strain_T2', 'strain_C2', 'strain_S12'];
const WIDTH_CORRECTIONS = ['none', 'tan'];
const HOLE_MODELS = ['infinite', 'strip'];
const BOLT_SERIES = ['converged', 'legacy'];
const LOADS = ['px', 'py', 'pxy', 'off_axis', 'bearing', 'bolt_angle'];
// The loads of a load case in the strip model: along the strip only.
const STRIP_LOADS = ['bearing', 'bypass'];
const loadKeys = (hole) => ((hole || {}).model === 'strip' ? STRIP_LOADS : LOADS);
const GRID = ['angle_step', 'angle_low', 'angle_high', 'distance_step', 'steps'];
// A laminate in stacking notation ([laminate]): the layup, the material of the plies that name
// none, and the ply thickness, one for all or a table by material name.
const LAMINATE = ['layup', 'material', 'ply_thickness'];
// The bound the job reader puts on the points of an average along the radius.
const LIMITS = {average_points: 257};
// How the stresses near the hole are judged, and the quadrature of the average along the radius.
const METHODS = ['point', 'average'];
const AVERAGE_RULES = ['gauss-legendre', 'simpson'];
const DISTANCES = ['distance', 'distance_tension', 'distance_compression'];
// A metal: the isotropic shorthand of a material, E1 = E2 = E, G12 = E / 2(1 + nu), nu12 = nu.
const METAL = ['E', 'nu'];
// A joint job ([joint]): the keys of the joint, its plates and its rows of fasteners.
const SHEARS = ['single', 'double'];
const FLEXIBILITIES = ['huth', 'huth-bolted-metal', 'huth-riveted-metal', 'huth-bolted-graphite',
                       'swift', 'tate-rosenfeld', 'grumman', 'boeing'];
const JOINT_HOLE_MODELS = ['strip', 'infinite'];
const JOINT = ['shear', 'load', 'fastener_flexibility', 'hole_model'];
const PLATE = ['name', 'width', 'edge_distance', 'laminate', 'material', 'thickness'];
const ROW = ['x', 'diameter', 'fastener_E', 'fastener_nu', 'count'];
// The most fasteners across a plate the job reader takes.
const MAX_FASTENERS_ACROSS = 10000;

// The bolted-joint example: quasi-isotropic carbon/epoxy, quarter-inch bolt.
function exampleJob() {
  return {
    title: 'quasi-isotropic carbon/epoxy, quarter-inch bolt',
    units: {stress: 'psi', length: 'in'},
    materials: [{name: 'carbon', E1: 20.0e6, E2: 1.4e6, G12: 0.7e6, nu12: 0.3, T1: 200e3,
                 C1: 180e3, T2: 8e3, C2: 30e3, S12: 12e3}],
    plies: [0, 45, -45, 90].map((angle) => ({angle, thickness: 0.005, material: 'carbon'})),
    hole: {model: 'infinite', diameter: 0.25, width: 1.0, finite_width_correction: 'none',
           bolt_series: 'converged'},
    grid: {angle_step: 30, angle_low: 0, angle_high: 180, distance_step: 0.05, steps: 3},
    load_cases: [{name: 'LC1', px: 5000, py: 0, pxy: 0, off_axis: 0, bearing: 20000,
                  bolt_angle: 0}],
    failure: {criteria: CRITERIA.map((c) => c[0]), distance: 0.05, factor_of_safety: 1.0},
    results: {tables: TABLES.slice()}
  };
}

// The joint example: a carbon/epoxy skin spliced to an aluminium strap in single shear by three
// rows of three titanium bolts (examples/joint-single-shear.toml). Its grid is left out: every
// 2 degrees round each hole, at the edge and at the characteristic distance.
function jointExampleJob() {
  const allowables = {T1: 440.0, C1: 440.0, T2: 440.0, C2: 440.0, S12: 260.0};
  return {
    title: 'carbon/epoxy skin and aluminium strap, three rows of bolts',
    units: {stress: 'MPa', length: 'mm'},
    materials: [{name: 'carbon', E1: 135000.0, E2: 9000.0, G12: 5000.0, nu12: 0.3, T1: 2000.0,
                 C1: 1200.0, T2: 50.0, C2: 200.0, S12: 90.0},
                {name: 'aluminium', kind: 'metal', E: 72000.0, nu: 0.33, ...allowables}],
    joint: {shear: 'single', load: 10000.0, fastener_flexibility: 'huth-bolted-graphite',
            hole_model: 'strip',
            plates: [{name: 'skin', width: 75.0, edge_distance: 15.0,
                      laminate: {layup: '[45/0/-45/90]2s', material: 'carbon', ply_thickness: 0.125}},
                     {name: 'strap', width: 75.0, edge_distance: 15.0, material: 'aluminium',
                      thickness: 3.0}],
            rows: [0.0, 25.0, 50.0].map((x) => ({x, diameter: 6.35, fastener_E: 110000.0,
                                                  fastener_nu: 0.31, count: 3}))},
    grid: {},
    failure: {criteria: ['max-strain', 'tsai-wu'], distance: 0.5, factor_of_safety: 1.5}
  };
}

// The row of fasteners by each plate's free end: the last row for plates 1 and 3 (loaded before
// the first row), the first for plate 2 (loaded after the last row).
const endRow = (plate, rows) => (plate === 1 ? 0 : rows - 1);

// A number as typed: decimal, with an optional exponent (1.5e6, -45, .25). Anything else
// (letters, a comma for the point, Inf) is not a number here.
function readNumber(v) {
  if (typeof v === 'number') return v;
  const s = String(v === undefined || v === null ? '' : v).trim();
  if (!/^[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?$/.test(s)) return NaN;
  return Number(s);
}

// Checks a job whose values may still be the text of the fields. Returns the job with numbers
// and a map from the path of each faulty field ("plies.2.thickness") to its message; notes holds
// cautions that do not stop a run. The counts of materials, plies, stations and steps have no
// bound here: the module refuses a job whose grid and stack need more working storage than it
// has. expandLayup (the module's, when it has loaded) turns a layup into its plies, {angles,
// materials} or {error, column}; with it the layup is checked as typed and `stack` returned: the
// plies' angles, material names and thicknesses (null where unknown).
//
// A joint job (raw.joint) has no plies, hole, load cases or tables: its plates and rows are
// checked instead (checkJoint), `stacks` holds each plate's expanded laminate (null for a metal),
// a grid left blank is the job reader's default, and [failure] needs a criterion and one
// characteristic distance.
function checkJob(raw, expandLayup) {
  const errors = {}, notes = {};
  let stack = null, stacks = null;
  const joint = raw.joint !== undefined && raw.joint !== null;
  const job = joint
      ? {title: String(raw.title || ''), units: {...raw.units}, materials: [], joint: {}, grid: {},
         failure: {}}
      : {title: String(raw.title || ''), units: {...raw.units}, materials: [], plies: [],
         hole: {}, grid: {}, load_cases: [], failure: {}, results: {}};
  const num = (path, v, rule) => {
    const blank = v === undefined || v === null || String(v).trim() === '';
    if (blank && rule.optional) return undefined;
    const x = readNumber(v);
    let message = null;
    if (blank) message = 'needed';
    else if (!Number.isFinite(x)) message = 'not a number';
    else if (rule.integer && !Number.isInteger(x)) message = 'a whole number is needed';
    else if (rule.positive && !(x > 0)) message = 'must be greater than 0';
    else if (rule.min !== undefined && x < rule.min) message = 'must be ' + rule.min + ' or more';
    else if (rule.max !== undefined && x > rule.max) message = 'must be ' + rule.max + ' or less';
    if (message) errors[path] = message;
    return x;
  };
  if (/[\r\n]/.test(job.title)) errors.title = 'one line only';
  if (!STRESS_UNITS.includes(job.units.stress)) errors['units.stress'] = 'unknown unit';
  if (!LENGTH_UNITS.includes(job.units.length)) errors['units.length'] = 'unknown unit';

  const failure = raw.failure || {};
  job.failure.criteria = (failure.criteria || []).slice();
  for (const c of job.failure.criteria) {
    if (!CRITERIA.some((k) => k[0] === c)) errors['failure.criteria'] = 'unknown criterion ' + c;
  }
  // The failure numbers and reserve factors need allowables: the stress allowables for every
  // criterion but maximum strain, which may do with strain allowables.
  const tablesAsked = (raw.results || {}).tables;
  const failureTables = joint || !Array.isArray(tablesAsked) ||
      tablesAsked.includes('failure') || tablesAsked.includes('reserve');
  const needAllowables = job.failure.criteria.length > 0 && failureTables;
  const onlyMaxStrain = job.failure.criteria.every((c) => c === 'max-strain');

  const materials = raw.materials || [];
  if (materials.length < 1) errors.materials = 'at least one material';
  const names = new Set(), metals = new Set();
  materials.forEach((m, i) => {
    const out = {name: String(m.name || '').trim()};
    const p = 'materials.' + i + '.';
    if (!out.name) errors[p + 'name'] = 'needed';
    else if (names.has(out.name)) errors[p + 'name'] = 'used twice';
    names.add(out.name);
    if (m.kind === 'metal') {
      // A metal: E and nu, alike in every direction (a positive-definite compliance needs
      // -1 < nu <= 0.5 as the job reader takes it).
      out.kind = 'metal';
      metals.add(out.name);
      out.E = num(p + 'E', m.E, {positive: true});
      out.nu = num(p + 'nu', m.nu, {max: 0.5});
      if (!errors[p + 'nu'] && !(out.nu > -1)) errors[p + 'nu'] = 'must be greater than -1';
    } else {
      for (const k of ['E1', 'E2', 'G12']) out[k] = num(p + k, m[k], {positive: true});
      out.nu12 = num(p + 'nu12', m.nu12, {});
      // A positive-definite ply compliance needs nu12^2 < E1/E2.
      if (!errors[p + 'nu12'] && out.E1 > 0 && out.E2 > 0 && out.nu12 * out.nu12 >= out.E1 / out.E2) {
        errors[p + 'nu12'] = 'nu12² must be below E1/E2';
      }
    }
    const blank = (v) => v === undefined || v === null || String(v).trim() === '';
    const strains = STRAIN_ALLOWABLES.filter((k) => !blank(m[k])).length;
    for (const k of STRAIN_ALLOWABLES) out[k] = num(p + k, m[k], {positive: true, optional: true});
    if (strains > 0 && strains < 5) {
      for (const k of STRAIN_ALLOWABLES) if (blank(m[k])) errors[p + k] = 'all five strain allowables, or none';
    }
    const stresses = ALLOWABLES.filter((k) => !blank(m[k])).length;
    const needStresses = needAllowables && !(onlyMaxStrain && strains === 5);
    for (const k of ALLOWABLES) {
      out[k] = num(p + k, m[k], {positive: true, optional: !needStresses && stresses === 0});
    }
    job.materials.push(out);
  });

  let plies = [], strip = false;
  if (joint) {
    stacks = checkJoint(raw.joint, job, [...names], metals, num, errors, expandLayup);
  } else {
    plies = raw.laminate ? [] : raw.plies || [];
    if (raw.laminate) {
      const checked = checkLaminate(raw.laminate, 'laminate', [...names], num, errors, expandLayup);
      job.laminate = checked.laminate;
      stack = checked.stack;
    } else if (plies.length < 1) {
      errors.plies = 'at least one ply';
    }
    plies.forEach((ply, i) => {
      const p = 'plies.' + i + '.';
      // With one material a ply may leave its material out.
      const material = String(ply.material === undefined || ply.material === ''
                                  ? (materials.length === 1 ? String(materials[0].name || '').trim() : '')
                                  : ply.material);
      if (!names.has(material)) errors[p + 'material'] = 'no such material';
      job.plies.push({angle: num(p + 'angle', ply.angle, {min: -360, max: 360}),
                      thickness: num(p + 'thickness', ply.thickness, {positive: true}),
                      material});
    });

    const hole = raw.hole || {};
    const text = (v, fallback) => (v === undefined || v === '' ? fallback : String(v));
    job.hole.model = text(hole.model, 'infinite');
    if (!HOLE_MODELS.includes(job.hole.model)) errors['hole.model'] = 'infinite or strip';
    strip = job.hole.model === 'strip';
    job.hole.diameter = num('hole.diameter', hole.diameter, {positive: true});
    job.hole.width = num('hole.width', hole.width, {min: 0, optional: !strip});
    job.hole.finite_width_correction = text(hole.finite_width_correction, 'none');
    job.hole.bolt_series = text(hole.bolt_series, 'converged');
    if (!WIDTH_CORRECTIONS.includes(job.hole.finite_width_correction)) {
      errors['hole.finite_width_correction'] = 'none or tan';
    } else if (job.hole.finite_width_correction === 'tan' && strip) {
      errors['hole.finite_width_correction'] = 'the strip model solves the strip itself: none';
    } else if (job.hole.finite_width_correction === 'tan' && !(job.hole.width > 0)) {
      errors['hole.finite_width_correction'] = 'tan needs a finite plate (a width)';
    }
    if (!BOLT_SERIES.includes(job.hole.bolt_series)) {
      errors['hole.bolt_series'] = 'converged or legacy';
    } else if (strip && job.hole.bolt_series === 'legacy') {
      errors['hole.bolt_series'] = 'the strip model sums the series exactly: converged';
    }
    if (strip && !errors['hole.width'] && !(job.hole.width > 0)) {
      errors['hole.width'] = 'the strip model needs the strip\'s width';
    }
    if (job.hole.width > 0 && !errors['hole.width'] && job.hole.diameter > 0) {
      if (job.hole.width <= job.hole.diameter) errors['hole.width'] = 'must exceed the diameter';
      else if (job.hole.width < 4 * job.hole.diameter && !strip) {
        notes['hole.width'] = 'less than four diameters: the bypass solution is approximate';
      }
    }
    job.hole.edge_distance = num('hole.edge_distance', hole.edge_distance,
                                 {positive: true, optional: true});
    if (job.hole.edge_distance !== undefined && !errors['hole.edge_distance']) {
      if (!strip) {
        errors['hole.edge_distance'] = 'needs the strip model';
      } else if (job.hole.diameter > 0 && !(job.hole.edge_distance > job.hole.diameter / 2)) {
        errors['hole.edge_distance'] = 'must exceed half the diameter';
      }
    }

  }

  const grid = raw.grid || {};
  const g = job.grid;
  // A joint job's grid may be left blank: then the job reader's, every 2 degrees all round, at
  // the edge and at the characteristic distance.
  const gridBlank = GRID.every((k) => grid[k] === undefined || grid[k] === null || String(grid[k]).trim() === '');
  if (!(joint && gridBlank)) {
  g.angle_step = num('grid.angle_step', grid.angle_step, {positive: true});
  g.angle_low = num('grid.angle_low', grid.angle_low, {min: -360, max: 360});
  g.angle_high = num('grid.angle_high', grid.angle_high, {min: -360, max: 360});
  g.distance_step = num('grid.distance_step', grid.distance_step, {min: 0});
  g.steps = num('grid.steps', grid.steps, {integer: true, min: 1});
  if (!errors['grid.angle_high'] && !errors['grid.angle_low'] && g.angle_high < g.angle_low) {
    errors['grid.angle_high'] = 'must not be below the low angle';
  }
  }

  if (!joint) {
    const cases = raw.load_cases || [];
    if (cases.length < 1) errors.load_cases = 'at least one load case';
    const caseNames = new Set();
    cases.forEach((lc, i) => {
      const p = 'load_cases.' + i + '.';
      const out = {name: String(lc.name || '').trim()};
      if (!out.name) errors[p + 'name'] = 'needed';
      else if (caseNames.has(out.name)) errors[p + 'name'] = 'used twice';
      caseNames.add(out.name);
      if (strip) {
        // Along the strip only: the bolt bears towards +x, and a free end carries no bypass.
        out.bearing = num(p + 'bearing', lc.bearing, {min: 0, optional: true});
        out.bypass = num(p + 'bypass', lc.bypass, {optional: true});
        if (job.hole.edge_distance !== undefined && out.bypass && !errors[p + 'bypass']) {
          errors[p + 'bypass'] = 'must be 0 with an edge distance';
        }
        // A job file's loads of the infinite plate have no field in the strip's form: the message
        // goes under the load cases.
        for (const k of LOADS.filter((k) => k !== 'bearing')) {
          if (lc[k] !== undefined && lc[k] !== '' && readNumber(lc[k]) !== 0) {
            errors.load_cases = 'load case ' + (i + 1) + ': ' + k +
                (k === 'px' ? ': the strip takes bearing and bypass, use bypass'
                            : ': the strip takes bearing and bypass only');
          }
        }
      } else {
        for (const k of LOADS) out[k] = num(p + k, lc[k], {optional: true});
        if (lc.bypass !== undefined && lc.bypass !== '' && readNumber(lc.bypass) !== 0) {
          errors[p + 'bypass'] = 'a load of the strip model';
        }
      }
      job.load_cases.push(out);
    });
  }

  // Empty: the distance step and 1, as holestress run takes them. A distance is one number, or a
  // list of them (typed as "0.5, 1, 1.5", or "[0.5]" for a list of one).
  const distances = (path, v) => {
    const blank = v === undefined || v === null || String(v).trim() === '';
    if (blank) return undefined;
    if (typeof v === 'number') return num(path, v, {min: 0});
    const text = Array.isArray(v) ? '[' + v.join(',') + ']' : String(v).trim();
    const list = /^\[.*\]$/.test(text);
    const items = text.replace(/^\[|\]$/g, '').split(/[\s,;]+/).filter((t) => t !== '');
    if (!items.length) {
      errors[path] = 'at least one distance';
      return [];
    }
    const values = items.map((t) => readNumber(t));
    if (values.some((x) => !Number.isFinite(x))) errors[path] = 'numbers, separated by commas';
    else if (values.some((x) => x < 0)) errors[path] = 'must be 0 or more';
    return list || values.length > 1 ? values : values[0];
  };
  for (const k of DISTANCES) {
    const value = distances('failure.' + k, failure[k]);
    if (value !== undefined) job.failure[k] = value;
  }
  const given = DISTANCES.filter((k) => job.failure[k] !== undefined);
  const count = (v) => (Array.isArray(v) ? v.length : -1);
  if (given.includes('distance') && given.length > 1) {
    errors['failure.distance'] = 'either one distance or the tension and compression distances';
  } else if (given.length === 1 && given[0] !== 'distance') {
    const other = given[0] === 'distance_tension' ? 'distance_compression' : 'distance_tension';
    errors['failure.' + other] = 'needed with the ' + given[0].slice(9) + ' distance';
  } else if (given.length === 2 &&
             count(job.failure.distance_tension) !== count(job.failure.distance_compression)) {
    errors['failure.distance_compression'] = 'as many as the tension distances';
  }
  if (joint) {
    // Every hole is judged at the same distance, and judged it must be.
    for (const k of DISTANCES) {
      if (Array.isArray(job.failure[k]) && !errors['failure.' + k]) {
        errors['failure.' + k] = 'a joint job judges every hole at one distance: a number, not a list';
      }
    }
    if (!given.length) errors['failure.distance'] = 'needed: the distance from the edge of every hole';
    if (!job.failure.criteria.length) errors['failure.criteria'] = 'a joint job checks every hole: at least one criterion';
  }
  const method = failure.method === undefined || failure.method === '' ? 'point' : failure.method;
  if (!METHODS.includes(method)) errors['failure.method'] = 'point or average';
  if (method === 'average') {
    job.failure.method = 'average';
    const rule = failure.average_rule === undefined || failure.average_rule === ''
        ? 'gauss-legendre' : failure.average_rule;
    if (!AVERAGE_RULES.includes(rule)) errors['failure.average_rule'] = AVERAGE_RULES.join(' or ');
    if (rule !== 'gauss-legendre') job.failure.average_rule = rule;
    const points = num('failure.average_points', failure.average_points,
                       {integer: true, min: rule === 'simpson' ? 3 : 1,
                        max: LIMITS.average_points, optional: true});
    if (points !== undefined && rule === 'simpson' && !errors['failure.average_points'] &&
        points % 2 === 0) {
      errors['failure.average_points'] = 'an odd number for Simpson\'s rule';
    }
    if (points !== undefined) job.failure.average_points = points;
  }
  job.failure.factor_of_safety = num('failure.factor_of_safety', failure.factor_of_safety,
                                     {positive: true, optional: true});
  if (joint) return {job, errors, notes, stack, stacks};
  job.carpet = !!raw.carpet;
  const plyCount = raw.laminate ? (stack ? stack.angles.length : 4) : plies.length;
  if (job.carpet && plyCount !== 4) {
    errors.carpet = 'the carpet plot needs exactly 4 plies (0, +45, -45, 90)';
  }
  const tables = ((raw.results || {}).tables || []).slice();
  for (const t of tables) if (!TABLES.includes(t)) errors['results.tables'] = 'unknown table ' + t;
  if (!tables.length) errors['results.tables'] = 'at least one table';
  else if (!job.failure.criteria.length && (tables.includes('failure') || tables.includes('reserve'))) {
    errors['failure.criteria'] = 'the failure and reserve tables need a criterion';
  }
  job.results.tables = tables;
  return {job, errors, notes, stack};
}

// A laminate of a job being checked ([laminate], or a joint plate's, its messages under `at`):
// the layup (expanded by expandLayup when given), the material of the plies that name none, the
// ply thickness (a number, or an object of numbers by material name, blank ones left out).
// Returns {laminate, stack}: the laminate with numbers, and the expanded stack or null.
function checkLaminate(raw, at, names, num, errors, expandLayup) {
  const layup = String(raw.layup === undefined || raw.layup === null ? '' : raw.layup);
  let material = String(raw.material === undefined || raw.material === null ? '' : raw.material).trim();
  // With one material the plies need not name it.
  if (!material && names.length === 1) material = names[0];
  if (material && !names.includes(material)) errors[at + '.material'] = 'no such material';
  const out = {layup, material};
  const perMaterial = raw.ply_thickness !== null && typeof raw.ply_thickness === 'object';
  if (perMaterial) {
    out.ply_thickness = {};
    const blank = (v) => v === undefined || v === null || String(v).trim() === '';
    for (const [name, v] of Object.entries(raw.ply_thickness)) {
      const i = names.indexOf(name);
      if (i < 0) {
        if (!blank(v)) errors[at + '.ply_thickness'] = 'not a material of the job: ' + name;
        continue;
      }
      const t = num(at + '.ply_thickness.' + i, v, {positive: true, optional: true});
      if (t !== undefined) out.ply_thickness[name] = t;
    }
    if (!Object.keys(out.ply_thickness).length && !errors[at + '.ply_thickness']) {
      errors[at + '.ply_thickness'] = 'a thickness for the plies of each material';
    }
  } else {
    out.ply_thickness = num(at + '.ply_thickness', raw.ply_thickness, {positive: true});
  }
  if (!layup.trim()) {
    errors[at + '.layup'] = 'needed';
    return {laminate: out, stack: null};
  }
  if (!expandLayup) return {laminate: out, stack: null};
  const expanded = expandLayup(layup);
  if (expanded.error) {
    errors[at + '.layup'] = 'column ' + expanded.column + ': ' + expanded.error;
    return {laminate: out, stack: null};
  }
  const stack = {angles: expanded.angles, materials: [], thicknesses: []};
  const missing = new Set();
  for (const m of expanded.materials) {
    const name = m || material;
    if (m && !names.includes(m)) {
      errors[at + '.layup'] = 'column ' + (layup.indexOf(':' + m) + 2) + ': no material ' +
          JSON.stringify(m) + ' (the materials: ' + names.join(', ') + ')';
    } else if (!name && !errors[at + '.material']) {
      errors[at + '.material'] = 'needed: some plies name no material';
    }
    const t = perMaterial ? out.ply_thickness[name] : out.ply_thickness;
    if (perMaterial && name && names.includes(name) && t === undefined) missing.add(name);
    stack.materials.push(name);
    stack.thicknesses.push(Number.isFinite(t) ? t : null);
  }
  for (const name of errors[at + '.ply_thickness'] ? [] : missing) {
    const path = at + '.ply_thickness.' + names.indexOf(name);
    if (!errors[path]) errors[path] = 'needed: plies of ' + name;
  }
  return {laminate: out, stack};
}

// [joint] of a job being checked, with its plates and rows: sets job.joint and returns each
// plate's expanded laminate (null for a metal plate, or a layup not yet expanded). Messages go to
// joint.KEY, joint.plates.N.KEY (joint.plates.N.laminate.KEY for a plate's laminate) and
// joint.rows.N.KEY; the checks are the job reader's: the plates the shear needs, the rows in
// order and apart, the fasteners across every plate, the end rows clear of the free ends.
function checkJoint(raw, job, names, metals, num, errors, expandLayup) {
  const word = (v, fallback) => (v === undefined || v === null || v === '' ? fallback : String(v));
  const out = {shear: word(raw.shear, 'single'), load: num('joint.load', raw.load, {}),
               fastener_flexibility: word(raw.fastener_flexibility, 'huth'),
               hole_model: word(raw.hole_model, 'strip'), plates: [], rows: []};
  job.joint = out;
  if (!SHEARS.includes(out.shear)) errors['joint.shear'] = 'single or double';
  if (!FLEXIBILITIES.includes(out.fastener_flexibility)) {
    errors['joint.fastener_flexibility'] = 'one of ' + FLEXIBILITIES.join(', ');
  }
  if (!JOINT_HOLE_MODELS.includes(out.hole_model)) errors['joint.hole_model'] = 'strip or infinite';
  if (!errors['joint.load'] && out.load === 0) {
    errors['joint.load'] = 'must not be 0';
  } else if (!errors['joint.load'] && out.load < 0 && out.hole_model === 'strip') {
    // The strip's bolt bears towards its free end: a tension joint.
    errors['joint.load'] = 'a compression load needs the infinite plate (hole model infinite)';
  }
  const plates = Array.isArray(raw.plates) ? raw.plates : [];
  const wanted = out.shear === 'double' ? 3 : 2;
  if (plates.length !== wanted) {
    errors['joint.plates'] = out.shear === 'double' ? 'double shear needs 3 plates (outer, middle, outer)'
                                                    : 'single shear needs 2 plates';
  }
  const stacks = [], plateNames = new Set();
  plates.forEach((plate, i) => {
    const p = 'joint.plates.' + i + '.';
    const o = {name: String(plate.name === undefined || plate.name === null ? '' : plate.name).trim()};
    if (!o.name) errors[p + 'name'] = 'needed';
    else if (/[,\u0000-\u001f\u007f]/.test(o.name)) errors[p + 'name'] = 'no comma or control character';
    else if (plateNames.has(o.name)) errors[p + 'name'] = 'used twice';
    plateNames.add(o.name);
    o.width = num(p + 'width', plate.width, {positive: true});
    o.edge_distance = num(p + 'edge_distance', plate.edge_distance, {positive: true});
    if (plate.laminate) {
      const checked = checkLaminate(plate.laminate, p + 'laminate', names, num, errors, expandLayup);
      o.laminate = checked.laminate;
      stacks.push(checked.stack);
    } else {
      o.material = String(plate.material === undefined || plate.material === null ? '' : plate.material).trim();
      if (!names.includes(o.material)) errors[p + 'material'] = 'no such material';
      else if (!metals.has(o.material)) errors[p + 'material'] = 'a metal plate needs a metal (E and ν)';
      o.thickness = num(p + 'thickness', plate.thickness, {positive: true});
      stacks.push(null);
    }
    out.plates.push(o);
  });
  const rows = Array.isArray(raw.rows) ? raw.rows : [];
  if (rows.length < 1) errors['joint.rows'] = 'at least one row of fasteners';
  rows.forEach((row, i) => {
    const p = 'joint.rows.' + i + '.';
    const o = {x: num(p + 'x', row.x, {}), diameter: num(p + 'diameter', row.diameter, {positive: true}),
               fastener_E: num(p + 'fastener_E', row.fastener_E, {positive: true}),
               fastener_nu: num(p + 'fastener_nu', row.fastener_nu, {max: 0.5}),
               count: num(p + 'count', row.count, {integer: true, min: 1, max: MAX_FASTENERS_ACROSS,
                                                     optional: true})};
    if (!errors[p + 'fastener_nu'] && !(o.fastener_nu > -1)) errors[p + 'fastener_nu'] = 'must be greater than -1';
    out.rows.push(o);
  });
  // The geometry, between values that are right by themselves.
  const ok = (path) => !errors[path];
  out.rows.forEach((o, i) => {
    const p = 'joint.rows.' + i + '.';
    if (i > 0 && ok(p + 'x') && ok('joint.rows.' + (i - 1) + '.x')) {
      const before = out.rows[i - 1];
      if (!(o.x > before.x)) {
        errors[p + 'x'] = 'must be greater than the x of row ' + i;
      } else if (ok(p + 'diameter') && ok('joint.rows.' + (i - 1) + '.diameter') &&
                 !(o.x - before.x > (o.diameter + before.diameter) / 2)) {
        errors[p + 'x'] = 'the holes overlap those of row ' + i + ': the rows must lie farther ' +
            'apart than half their diameters summed';
      }
    }
    if (!ok(p + 'diameter') || !ok(p + 'count')) return;
    const count = o.count === undefined ? 1 : o.count;
    out.plates.forEach((plate, k) => {
      const at = p + (o.count === undefined ? 'diameter' : 'count');
      if (ok('joint.plates.' + k + '.width') && !(plate.width / count > o.diameter) && !errors[at]) {
        errors[at] = 'the fasteners do not fit across plate ' + (plate.name || k + 1) +
            ': its width over the count, ' + Number((plate.width / count).toPrecision(6)) +
            ', must be greater than the diameter';
      }
    });
  });
  out.plates.forEach((plate, k) => {
    const end = endRow(k, out.rows.length), path = 'joint.plates.' + k + '.edge_distance';
    const row = out.rows[end];
    if (row && ok(path) && ok('joint.rows.' + end + '.diameter') && !(plate.edge_distance > row.diameter / 2)) {
      errors[path] = 'must be greater than half the diameter of row ' + (end + 1) +
          ', the row by the plate\'s free end';
    }
  });
  return stacks;
}

// The messages of a job the module refused (lines FILE:LINE:COLUMN: KEY: MESSAGE), by the path of
// the form's field they belong to: the key's own field, or the table's (the grid's working
// storage, a ply the form does not show). A mistake in the layup is placed at its column within
// the layup (the job file holds it on the line layup = "...": the value starts at column 10).
// Lines whose key has no field are left out: the page lists every line anyway.
function fieldMessages(errorText, job) {
  const out = {};
  const names = (job.materials || []).map((m) => String(m.name));
  for (const line of String(errorText || '').split(/\r?\n/)) {
    const m = /^.*?:(\d+):(\d+): ([^ ]+): (.*)$/.exec(line);
    if (!m) continue;
    const column = Number(m[2]), key = m[3];
    let message = m[4], path = null, k;
    if ((k = /^(grid|hole|failure|results)(?:\.(\w+))?$/.exec(key))) {
      path = k[1] === 'grid' && !k[2] ? 'grid' : key;
    } else if ((k = /^(plies|load_cases)\[(\d+)\](?:\.(\w+))?$/.exec(key))) {
      path = k[1] + '.' + k[2] + (k[3] ? '.' + k[3] : '');
    } else if (key === 'laminate.layup') {
      path = key;
      if (column > 9) message = 'column ' + (column - 9) + ': ' + message;
    } else if (/^laminate\.(material|ply_thickness)$/.test(key)) {
      path = key;
    } else if ((k = /^laminate\.ply_thickness\.(.+)$/.exec(key))) {
      path = names.includes(k[1]) ? 'laminate.ply_thickness.' + names.indexOf(k[1]) : 'laminate.ply_thickness';
    } else if ((k = /^joint(\.\w+)?$/.exec(key))) {
      path = key;
    } else if ((k = /^joint\.(plates|rows)\[(\d+)\](?:\.(\w+))?$/.exec(key))) {
      path = 'joint.' + k[1] + '.' + k[2] + (k[3] ? '.' + k[3] : '');
    } else if ((k = /^laminates\.(.+)\.(layup|material|ply_thickness)(?:\.(.+))?$/.exec(key))) {
      // The page names a plate's laminate after the plate.
      const plates = ((job.joint || {}).plates || []).map((p) => String(p.name));
      const i = plates.indexOf(k[1]);
      if (i >= 0) {
        path = 'joint.plates.' + i + '.laminate.' + k[2];
        if (k[2] === 'layup' && column > 9) message = 'column ' + (column - 9) + ': ' + message;
        if (k[3] !== undefined) path += names.includes(k[3]) ? '.' + names.indexOf(k[3]) : '';
      } else {
        path = 'joint.plates';
      }
    } else if ((k = /^materials\.(.+)\.(\w+)$/.exec(key)) && names.includes(k[1])) {
      path = 'materials.' + names.indexOf(k[1]) + '.' + k[2];
    } else if (/^materials/.test(key)) {
      path = 'materials';
    }
    if (path && !out[path]) out[path] = message;
  }
  return out;
}

// ---------------------------------------------------------------------------------------------
// Writing the job file.

function tomlString(s) {
  return '"' + String(s).replace(/[\\"\u0000-\u001f\u007f]/g, (c) => {
    const short = {'\\': '\\\\', '"': '\\"', '\b': '\\b', '\t': '\\t', '\n': '\\n', '\f': '\\f',
                   '\r': '\\r'};
    return short[c] || '\\u' + c.charCodeAt(0).toString(16).padStart(4, '0');
  }) + '"';
}

function tomlKey(k) {
  return /^[A-Za-z0-9_-]+$/.test(k) ? k : tomlString(k);
}

// A float the way a person writes it: 20e6 as 2e+7, 0.25 as 0.25, 5000 as 5000.0.
function tomlFloat(x) {
  if (Number.isNaN(x)) return 'nan';
  if (!Number.isFinite(x)) return x > 0 ? 'inf' : '-inf';
  if (Number.isInteger(x) && Math.abs(x) >= 1e5) return x.toExponential();
  const s = String(x);
  return /[.e]/.test(s) ? s : s + '.0';
}

// The head of a job file: title, units and materials (a metal by E and nu).
function tomlHead(job, lines, put) {
  put('title', tomlString(job.title));
  lines.push('', '[units]');
  put('stress', tomlString(job.units.stress));
  put('length', tomlString(job.units.length));
  for (const m of job.materials) {
    lines.push('', '[materials.' + tomlKey(m.name) + ']');
    for (const k of (m.kind === 'metal' ? METAL : ELASTIC).concat(ALLOWABLES, STRAIN_ALLOWABLES)) {
      if (m[k] !== undefined) put(k, tomlFloat(m[k]));
    }
  }
}

// A laminate's keys, under its header ([laminate] or [laminates.NAME]).
function tomlLaminate(lam, header, lines, put) {
  lines.push('', header);
  put('layup', tomlString(lam.layup));
  if (lam.material) put('material', tomlString(lam.material));
  if (typeof lam.ply_thickness === 'object') {
    put('ply_thickness', '{' + Object.entries(lam.ply_thickness)
        .map(([k, v]) => ' ' + tomlKey(k) + ' = ' + tomlFloat(v)).join(',') + ' }');
  } else {
    put('ply_thickness', tomlFloat(lam.ply_thickness));
  }
}

// [failure]: the criteria, the characteristic distances, the method, the factor of safety.
function tomlFailure(job, lines, put) {
  if (job.failure.criteria.length) lines.push('', '[failure]');
  if (job.failure.criteria.length) put('criteria', '[' + job.failure.criteria.map(tomlString).join(', ') + ']');
  const distanceText = (v) => (Array.isArray(v) ? '[' + v.map(tomlFloat).join(', ') + ']'
                                                 : tomlFloat(v));
  for (const k of DISTANCES) {
    if (job.failure.criteria.length && job.failure[k] !== undefined) put(k, distanceText(job.failure[k]));
  }
  if (job.failure.criteria.length && job.failure.method !== undefined) {
    put('method', tomlString(job.failure.method));
    if (job.failure.average_rule !== undefined) put('average_rule', tomlString(job.failure.average_rule));
    if (job.failure.average_points !== undefined) put('average_points', String(job.failure.average_points));
  }
  if (job.failure.criteria.length && job.failure.factor_of_safety !== undefined) {
    put('factor_of_safety', tomlFloat(job.failure.factor_of_safety));
  }
}

// A joint job: each laminate plate's laminate as [laminates.PLATE] (named after its plate), the
// joint, its plates and rows, the grid unless left to the job reader's, and [failure].
function jointToToml(job) {
  const lines = [];
  const put = (k, v) => lines.push(tomlKey(k) + ' = ' + v);
  tomlHead(job, lines, put);
  const joint = job.joint;
  for (const plate of joint.plates) {
    if (plate.laminate) tomlLaminate(plate.laminate, '[laminates.' + tomlKey(plate.name) + ']', lines, put);
  }
  lines.push('', '[joint]');
  put('shear', tomlString(joint.shear));
  put('load', tomlFloat(joint.load));
  put('fastener_flexibility', tomlString(joint.fastener_flexibility));
  put('hole_model', tomlString(joint.hole_model));
  for (const plate of joint.plates) {
    lines.push('', '[[joint.plates]]');
    put('name', tomlString(plate.name));
    if (plate.laminate) put('laminate', tomlString(plate.name));
    else put('material', tomlString(plate.material));
    if (!plate.laminate) put('thickness', tomlFloat(plate.thickness));
    put('width', tomlFloat(plate.width));
    put('edge_distance', tomlFloat(plate.edge_distance));
  }
  for (const row of joint.rows) {
    lines.push('', '[[joint.rows]]');
    for (const k of ['x', 'diameter', 'fastener_E', 'fastener_nu']) put(k, tomlFloat(row[k]));
    if (row.count !== undefined) put('count', String(row.count));
  }
  if (GRID.every((k) => job.grid[k] !== undefined)) {
    lines.push('', '[grid]');
    for (const k of GRID) put(k, k === 'steps' ? String(job.grid[k]) : tomlFloat(job.grid[k]));
  }
  tomlFailure(job, lines, put);
  return lines.join('\n') + '\n';
}

function jobToToml(job) {
  if (job.joint) return jointToToml(job);
  const lines = [];
  const put = (k, v) => lines.push(tomlKey(k) + ' = ' + v);
  tomlHead(job, lines, put);
  if (job.laminate) tomlLaminate(job.laminate, '[laminate]', lines, put);
  for (const p of job.plies) {
    lines.push('', '[[plies]]');
    put('angle', tomlFloat(p.angle));
    put('thickness', tomlFloat(p.thickness));
    put('material', tomlString(p.material));
  }
  lines.push('', '[hole]');
  const strip = job.hole.model === 'strip';
  if (strip) put('model', tomlString('strip'));
  put('diameter', tomlFloat(job.hole.diameter));
  if (job.hole.width !== undefined) put('width', tomlFloat(job.hole.width));
  if (strip && job.hole.edge_distance !== undefined) {
    put('edge_distance', tomlFloat(job.hole.edge_distance));
  }
  if (!strip && job.hole.finite_width_correction && job.hole.finite_width_correction !== 'none') {
    put('finite_width_correction', tomlString(job.hole.finite_width_correction));
  }
  if (!strip && job.hole.bolt_series === 'legacy') put('bolt_series', tomlString('legacy'));
  lines.push('', '[grid]');
  for (const k of GRID) put(k, k === 'steps' ? String(job.grid[k]) : tomlFloat(job.grid[k]));
  for (const lc of job.load_cases) {
    lines.push('', '[[load_cases]]');
    put('name', tomlString(lc.name));
    for (const k of loadKeys(job.hole)) if (lc[k] !== undefined) put(k, tomlFloat(lc[k]));
  }
  tomlFailure(job, lines, put);
  lines.push('', '[results]');
  put('tables', '[' + job.results.tables.map(tomlString).join(', ') + ']');
  if (job.carpet) lines.push('', '[carpet]');
  return lines.join('\n') + '\n';
}

// The parsed TOML of a job file in the form's shape (materials as a list with their names), the
// keys that the job does not know, which the page reports rather than drops silently, and the
// reason the page cannot take the job at all (refusal, null when it can): the page has the one
// file it was given, so a job that takes its materials from a file beside it (materials_file)
// is refused, as is one that gives both a layup and ply rows.
function jobFromToml(doc) {
  const unknown = [];
  const known = (obj, keys, where) => {
    for (const k of Object.keys(obj || {})) if (!keys.includes(k)) unknown.push(where + k);
  };
  let refusal = null;
  if (doc.materials_file !== undefined) {
    refusal = 'the page reads a single job file: copy the materials of ' +
        (typeof doc.materials_file === 'string' ? tomlString(doc.materials_file) : 'its materials_file') +
        ' into [materials]';
  } else if (doc.joint === undefined && doc.laminate !== undefined && doc.plies !== undefined) {
    refusal = 'the job gives both a [laminate] and [[plies]]: keep one of them';
  }
  const table = (v) => (v !== null && typeof v === 'object' && !Array.isArray(v) ? v : {});
  const list = (v) => (Array.isArray(v) ? v.map(table) : []);
  // A material of E and nu and none of the orthotropic constants is a metal.
  const materials = Object.entries(table(doc.materials)).map(([name, m]) => {
    const metal = METAL.some((k) => k in table(m)) && !ELASTIC.some((k) => k in table(m));
    return metal ? {name, kind: 'metal', ...table(m)} : {name, ...table(m)};
  });
  const knownMaterials = (job) => job.materials.forEach((m) => known(
      m, ['name'].concat(m.kind === 'metal' ? ['kind'].concat(METAL) : ELASTIC, ALLOWABLES, STRAIN_ALLOWABLES),
      'materials.' + m.name + '.'));
  // [failure] as the form shows it: a list of distances as "0.5, 1, 1.5", or "[0.5]" for a list
  // of one.
  const failureOf = (job) => {
    known(job.failure, ['criteria', 'factor_of_safety', 'method', 'average_rule', 'average_points']
                           .concat(DISTANCES), 'failure.');
    for (const k of DISTANCES) {
      const v = job.failure[k];
      if (Array.isArray(v)) job.failure[k] = v.length === 1 ? '[' + String(v[0]) + ']' : v.join(', ');
    }
    if (!Array.isArray(job.failure.criteria)) job.failure.criteria = [];
  };
  // The grid starts at 0 degrees and has one distance step unless it says otherwise.
  const gridOf = (grid) => {
    if (grid.angle_low === undefined) grid.angle_low = 0;
    if (grid.steps === undefined) grid.steps = 1;
    return grid;
  };
  if (doc.joint !== undefined) {
    const out = jointFromToml(doc, materials, known, table, list);
    refusal = refusal || out.refusal;
    knownMaterials(out.job);
    failureOf(out.job);
    return {job: out.job, unknown, refusal};
  }
  known(doc, ['title', 'units', 'materials', 'materials_file', 'plies', 'laminate', 'hole', 'grid',
              'load_cases', 'failure', 'results', 'carpet'], '');
  const job = {
    title: doc.title === undefined ? '' : String(doc.title),
    units: {stress: 'psi', length: 'in', ...table(doc.units)},
    materials,
    plies: doc.laminate !== undefined ? [] : list(doc.plies),
    hole: table(doc.hole),
    grid: table(doc.grid),
    load_cases: list(doc.load_cases),
    failure: {criteria: [], ...table(doc.failure)},
    results: {...table(doc.results)},
    carpet: doc.carpet !== undefined
  };
  // Without a list of tables, holestress run prints the properties and stresses, and the
  // reserve factors when there is a [failure] table.
  if (job.results.tables === undefined) {
    job.results.tables = ['properties', 'stresses'].concat(doc.failure !== undefined ? ['reserve'] : []);
  }
  gridOf(job.grid);
  // Loads left out are 0; a load case without a name is named as holestress run names it.
  job.load_cases.forEach((l, i) => {
    for (const k of loadKeys(job.hole)) if (l[k] === undefined) l[k] = 0;
    if (l.name === undefined) l.name = 'LC' + (i + 1);
  });
  if (job.materials.length === 1) {
    for (const p of job.plies) if (p.material === undefined) p.material = job.materials[0].name;
  }
  if (doc.laminate !== undefined) {
    const lam = table(doc.laminate);
    job.laminate = {...lam};
    const thickness = lam.ply_thickness;
    if (thickness !== null && typeof thickness === 'object' && !Array.isArray(thickness)) {
      job.laminate.ply_thickness = {...thickness};
    }
    if (job.laminate.material === undefined && job.materials.length === 1) {
      job.laminate.material = job.materials[0].name;
    }
    known(lam, LAMINATE, 'laminate.');
  }
  known(job.units, ['stress', 'length'], 'units.');
  knownMaterials(job);
  job.plies.forEach((p, i) => known(p, ['angle', 'thickness', 'material'], 'plies[' + (i + 1) + '].'));
  known(job.hole, ['model', 'diameter', 'width', 'edge_distance', 'finite_width_correction',
                   'bolt_series'], 'hole.');
  known(job.grid, GRID, 'grid.');
  job.load_cases.forEach((l, i) => known(l, ['name'].concat(LOADS, ['bypass']),
                                         'load_cases[' + (i + 1) + '].'));
  failureOf(job);
  known(job.results, ['tables'], 'results.');
  known(table(doc.carpet), [], 'carpet.');
  if (!Array.isArray(job.results.tables)) job.results.tables = [];
  return {job, unknown, refusal};
}

// A joint job file in the form's shape: each plate with its laminate (from [laminates.NAME];
// one given ply by ply becomes a layup when each material's plies are of one thickness, or
// the job is refused) or its metal and thickness; the rows; the grid, {} when left out (the job
// reader's). Keys a joint job does not know go to `known`'s list.
function jointFromToml(doc, materials, known, table, list) {
  let refusal = null;
  known(doc, ['title', 'units', 'materials', 'materials_file', 'laminates', 'joint', 'grid',
              'failure'], '');
  const laminates = table(doc.laminates);
  const raw = table(doc.joint);
  known(raw, JOINT.concat(['plates', 'rows']), 'joint.');
  const laminateOf = (name) => {
    if (!(name in laminates)) return {layup: '', material: '', ply_thickness: ''};
    const lam = table(laminates[name]);
    const where = 'laminates.' + name + '.';
    known(lam, LAMINATE.concat(['plies']), where);
    let out;
    if (lam.plies !== undefined) {
      const plies = list(lam.plies);
      plies.forEach((p, i) => known(p, ['angle', 'thickness', 'material'], where + 'plies[' + (i + 1) + '].'));
      out = layupFromPlies(plies, materials.length === 1 ? materials[0].name : '');
      if (!out) {
        refusal = refusal || 'the laminate ' + tomlString(name) + ' is given ply by ply with ' +
            'thicknesses a layup cannot hold (plies of one material differ): give it as a layup';
        out = {layup: '', material: '', ply_thickness: ''};
      }
    } else {
      out = {...lam};
      const t = lam.ply_thickness;
      if (t !== null && typeof t === 'object' && !Array.isArray(t)) out.ply_thickness = {...t};
    }
    if (out.material === undefined && materials.length === 1) out.material = materials[0].name;
    return out;
  };
  const plates = list(raw.plates).map((p, i) => {
    known(p, PLATE, 'joint.plates[' + (i + 1) + '].');
    const out = {name: p.name, width: p.width, edge_distance: p.edge_distance};
    if (p.laminate !== undefined) out.laminate = laminateOf(String(p.laminate));
    else Object.assign(out, {material: p.material, thickness: p.thickness});
    return out;
  });
  const rows = list(raw.rows).map((r, i) => {
    known(r, ROW, 'joint.rows[' + (i + 1) + '].');
    return {...r};
  });
  const job = {
    title: doc.title === undefined ? '' : String(doc.title),
    units: {stress: 'psi', length: 'in', ...table(doc.units)},
    materials,
    joint: {shear: raw.shear, load: raw.load, fastener_flexibility: raw.fastener_flexibility,
            hole_model: raw.hole_model, plates, rows},
    grid: {...table(doc.grid)},
    failure: {criteria: [], ...table(doc.failure)}
  };
  if (doc.grid !== undefined) {
    if (job.grid.angle_low === undefined) job.grid.angle_low = 0;
    if (job.grid.steps === undefined) job.grid.steps = 1;
  }
  known(job.units, ['stress', 'length'], 'units.');
  known(job.grid, GRID, 'grid.');
  return {job, refusal};
}

// A stack given ply by ply as a layup: the plies' angles, the material of the plies that name
// none (`fallback`, or the first ply's) and of those of another material after a colon; one ply
// thickness, or one per material. null when a layup cannot hold the stack: plies of one
// material of different thicknesses, or a material whose name a layup cannot write.
function layupFromPlies(plies, fallback) {
  if (!plies.length) return null;
  const materialOf = (p) => String(p.material === undefined ? fallback : p.material);
  const first = materialOf(plies[0]);
  const thickness = {};
  for (const p of plies) {
    const m = materialOf(p);
    if (m !== first && !/^[A-Za-z0-9_.-]+$/.test(m)) return null;
    if (!(m in thickness)) thickness[m] = p.thickness;
    if (thickness[m] !== p.thickness) return null;
  }
  const layup = '[' + plies.map((p) => String(p.angle) + (materialOf(p) !== first ? ':' + materialOf(p) : '')).join('/') + ']';
  const values = Object.values(thickness);
  return {layup, material: first,
          ply_thickness: values.every((t) => t === values[0]) ? values[0] : thickness};
}

// ---------------------------------------------------------------------------------------------
// base64url (RFC 4648 section 5) of the UTF-8 bytes of a text; padding optional when reading.

function base64urlEncode(text) {
  const bytes = new TextEncoder().encode(text);
  let binary = '';
  for (let i = 0; i < bytes.length; i += 0x8000) {
    binary += String.fromCharCode.apply(null, bytes.subarray(i, i + 0x8000));
  }
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

function base64urlDecode(s) {
  const b64 = s.replace(/-/g, '+').replace(/_/g, '/').replace(/=+$/, '');
  if (!/^[A-Za-z0-9+/]*$/.test(b64) || b64.length % 4 === 1) throw new Error('not base64url');
  const binary = atob(b64 + '==='.slice((b64.length + 3) % 4));
  const bytes = Uint8Array.from(binary, (c) => c.charCodeAt(0));
  return new TextDecoder('utf-8', {fatal: true}).decode(bytes);
}

if (typeof module === 'object' && module.exports) {
  module.exports = {parseToml, TomlError, checkJob, jobToToml, jobFromToml, exampleJob,
                    jointExampleJob, layupFromPlies,
                    fieldMessages, readNumber, tomlFloat, base64urlEncode, base64urlDecode};
}

// ---------------------------------------------------------------------------------------------
// The page.

if (typeof document === 'object') {
  const $ = (id) => document.getElementById(id);
  const el = (tag, attrs, ...children) => {
    const e = document.createElement(tag);
    for (const [k, v] of Object.entries(attrs || {})) {
      if (k === 'text') e.textContent = v;
      else if (v !== undefined && v !== null && v !== false) e.setAttribute(k, v === true ? '' : v);
    }
    for (const c of children) if (c !== null && c !== undefined) e.append(c);
    return e;
  };

  // Request blocked by the content security policy: kept on the page, where a test reads it.
  const violations = [];
  document.addEventListener('securitypolicyviolation', (e) => {
    violations.push(e.violatedDirective + ' ' + e.blockedURI);
    document.body.setAttribute('data-csp-violations', violations.join(' | '));
  });

  let modulePromise = null, loadedModule = null;
  const loadModule = () => {
    if (!modulePromise) {
      modulePromise = createHolestress();
      modulePromise.then((m) => { loadedModule = m; }, () => {});
    }
    return modulePromise;
  };
  // The module's expansion of a layup once it has loaded (null before, or from a module without
  // it), the last answer kept: the form is checked on every key typed anywhere.
  let lastLayup = null, lastExpansion = null;
  const expandLayup = () => {
    if (!loadedModule || typeof loadedModule.expandLayup !== 'function') return null;
    return (text) => {
      if (text !== lastLayup) {
        lastExpansion = JSON.parse(loadedModule.expandLayup(text));
        lastLayup = text;
      }
      return lastExpansion;
    };
  };

  // Fields: an input (or select) with the path of its value and a message slot after it. An
  // input is at least `size` characters wide and widens to show its whole value (fitField).
  const fitField = (input) => {
    input.size = Math.max(Number(input.getAttribute('data-size')) || 1, input.value.length + 1);
  };
  const field = (path, value, attrs) => {
    const input = el('input', {type: 'text', inputmode: 'decimal', 'data-path': path,
                               'aria-label': path, ...attrs, 'data-size': (attrs || {}).size});
    input.value = value === undefined || value === null ? '' : String(value);
    fitField(input);
    return el('span', {class: 'field'}, input, el('span', {class: 'msg', 'data-for': path}));
  };
  // A field under its name, for the rows of materials and load cases, which wrap.
  const labelled = (name, f) => el('label', {class: 'f'}, el('span', {class: 'l', text: name}), f);
  const select = (path, options, value) => {
    const s = el('select', {'data-path': path, 'aria-label': path});
    for (const o of options) s.append(el('option', {value: o, text: o}));
    s.value = value;
    return el('span', {class: 'field'}, s, el('span', {class: 'msg', 'data-for': path}));
  };
  const removeButton = (onclick) => {
    const b = el('button', {type: 'button', class: 'remove', title: 'remove', text: '×'});
    b.addEventListener('click', onclick);
    return b;
  };

  // The form holds its rows in these lists; every change rebuilds the job from the fields.
  let state = exampleJob();
  // The other way of giving the stack, kept while the form shows one: the ply rows while the
  // layup is shown, the laminate while the rows are.
  let keptPlies = null, keptLaminate = null;
  // The stack the last check expanded from the layup (null without one).
  let lastStack = null;
  // A long stack of ply rows shows its first rows and a count until "show all" is pressed; a
  // short one shows every row.
  const PLY_ROWS_ALWAYS = 24, PLY_ROWS_COLLAPSED = 12;
  let showAllPlies = false;

  // The fields and message slots by path, gathered once per build of the form: a form of a
  // thousand ply rows is read on every key typed.
  let fields = new Map(), slots = new Map();
  function indexFields() {
    fields = new Map();
    for (const e of document.querySelectorAll('[data-path]')) fields.set(e.getAttribute('data-path'), e);
    slots = new Map();
    for (const e of document.querySelectorAll('.msg[data-for]')) slots.set(e.getAttribute('data-for'), e);
  }

  function valueAt(path) {
    const e = fields.get(path);
    return e ? e.value : undefined;
  }

  function readForm() {
    const job = {title: valueAt('title'), units: {stress: valueAt('units.stress'),
                                                  length: valueAt('units.length')},
                 materials: [], plies: [], hole: {}, grid: {}, load_cases: [], failure: {},
                 results: {}};
    // A material's fields are those of its kind as built (its kind's select may just have
    // changed).
    state.materials.forEach((built, i) => {
      const m = {name: valueAt('materials.' + i + '.name')};
      if (built.kind === 'metal') m.kind = 'metal';
      for (const k of (built.kind === 'metal' ? METAL : ELASTIC).concat(ALLOWABLES, STRAIN_ALLOWABLES)) {
        m[k] = valueAt('materials.' + i + '.' + k);
      }
      job.materials.push(m);
    });
    if (state.joint) return readJoint(job);
    // A ply row not shown keeps the values it had.
    const plyValue = (i, k) => {
      const v = valueAt('plies.' + i + '.' + k);
      return v === undefined ? state.plies[i][k] : v;
    };
    if (state.laminate) {
      job.laminate = readLaminate(job.materials);
    } else {
      state.plies.forEach((_, i) => {
        job.plies.push({angle: plyValue(i, 'angle'), thickness: plyValue(i, 'thickness'),
                        material: plyValue(i, 'material')});
      });
    }
    job.hole = {model: valueAt('hole.model'), diameter: valueAt('hole.diameter'),
                width: valueAt('hole.width'), edge_distance: valueAt('hole.edge_distance'),
                finite_width_correction: valueAt('hole.finite_width_correction'),
                bolt_series: valueAt('hole.bolt_series')};
    for (const k of GRID) job.grid[k] = valueAt('grid.' + k);
    state.load_cases.forEach((_, i) => {
      const lc = {name: valueAt('load_cases.' + i + '.name')};
      for (const k of loadKeys(job.hole)) lc[k] = valueAt('load_cases.' + i + '.' + k);
      job.load_cases.push(lc);
    });
    job.failure = readFailure();
    job.results = {tables: [...document.querySelectorAll('input[name=table]:checked')]
                       .map((c) => c.value)};
    job.carpet = $('carpet').checked;
    return job;
  }

  // A joint job as typed: the materials (read already), the joint, its plates and rows, the grid
  // and the failure fields.
  function readJoint(job) {
    const out = {title: job.title, units: job.units, materials: job.materials, joint: {}, grid: {},
                 failure: {}};
    for (const k of JOINT) out.joint[k] = valueAt('joint.' + k);
    out.joint.plates = state.joint.plates.map((built, i) => {
      const p = 'joint.plates.' + i + '.';
      const plate = {name: valueAt(p + 'name'), width: valueAt(p + 'width'),
                     edge_distance: valueAt(p + 'edge_distance')};
      if (built.laminate) plate.laminate = readLaminate(job.materials, p + 'laminate', built.laminate);
      else Object.assign(plate, {material: valueAt(p + 'material'), thickness: valueAt(p + 'thickness')});
      return plate;
    });
    out.joint.rows = state.joint.rows.map((_, i) => Object.fromEntries(
        ROW.map((k) => [k, valueAt('joint.rows.' + i + '.' + k)])));
    for (const k of GRID) out.grid[k] = valueAt('grid.' + k);
    out.failure = readFailure();
    return out;
  }

  function readFailure() {
    return {criteria: [...document.querySelectorAll('input[name=criterion]:checked')].map((c) => c.value),
            distance: valueAt('failure.distance'),
            distance_tension: valueAt('failure.distance_tension'),
            distance_compression: valueAt('failure.distance_compression'),
            method: valueAt('failure.method'),
            average_rule: valueAt('failure.average_rule'),
            average_points: valueAt('failure.average_points'),
            factor_of_safety: valueAt('failure.factor_of_safety')};
  }

  // A laminate as typed (the fields under `at`): the layup, the material of the plies that name
  // none, and the ply thickness, one for all or by material (the fields of the materials' order,
  // by their names), as the laminate `built` had it when the fields were built.
  function readLaminate(materials, at = 'laminate', built = state.laminate) {
    const perMaterial = built.ply_thickness !== null && typeof built.ply_thickness === 'object';
    const thickness = {};
    if (perMaterial) {
      materials.forEach((m, i) => { thickness[String(m.name)] = valueAt(at + '.ply_thickness.' + i); });
    }
    return {layup: valueAt(at + '.layup'), material: valueAt(at + '.material'),
            ply_thickness: perMaterial ? thickness : valueAt(at + '.ply_thickness')};
  }

  // Puts each message in its slot: a field's own, or, for a field the form does not show (a ply
  // row of a collapsed stack), its table's, naming the field.
  function showMessages(errors, notes) {
    const placed = {};
    for (const [path, message] of Object.entries(errors)) {
      let at = path;
      while (!slots.has(at) && at.includes('.')) at = at.slice(0, at.lastIndexOf('.'));
      if (at === path) {
        placed[at] = message;
        continue;
      }
      const rest = path.slice(at.length + 1).split('.');
      const what = at === 'plies' ? 'ply ' + (Number(rest[0]) + 1) + ' ' + rest.slice(1).join(' ')
                                  : rest.join(' ');
      (placed[at] = placed[at] || []).push(what + ': ' + message);
    }
    for (const [path, slot] of slots) {
      let text = placed[path] || '';
      if (Array.isArray(text)) {
        text = text.slice(0, 3).join('; ') + (text.length > 3 ? '; and ' + (text.length - 3) + ' more' : '');
      }
      slot.textContent = text || notes[path] || '';
      slot.classList.toggle('error', !!text);
      const input = slot.previousElementSibling;
      if (input) input.classList.toggle('bad', !!text);
    }
  }

  // Shows every message; returns the checked job, or null when a field is wrong.
  function check() {
    const {job, errors, notes, stack, stacks} = checkJob(readForm(), expandLayup());
    lastStack = stack;
    showMessages(errors, notes);
    if (job.joint) showPlateStacks(job, stacks);
    else showStack(job, stack);
    const count = Object.keys(errors).length;
    $('form-status').textContent = count ? count + (count === 1 ? ' value needs' : ' values need') +
        ' correcting before a run' : '';
    $('run').disabled = count > 0;
    for (const b of document.querySelectorAll('.needs-valid')) b.disabled = count > 0;
    return count ? null : job;
  }

  // A stack in a line: its count, its thickness, and how many plies lie at each angle.
  function stackSummary(angles, thicknesses) {
    const count = new Map();
    for (const a of angles) count.set(Number(a), (count.get(Number(a)) || 0) + 1);
    const groups = [...count].map(([a, n]) => n + ' at ' + a + '°');
    const total = thicknesses.every((t) => Number.isFinite(t))
        ? ', ' + Number(thicknesses.reduce((x, y) => x + y, 0).toPrecision(6)) + ' ' + valueAt('units.length') + ' thick'
        : '';
    return angles.length + (angles.length === 1 ? ' ply' : ' plies') + total + ': ' +
        groups.slice(0, 8).join(', ') + (groups.length > 8 ? ' and ' + (groups.length - 8) + ' more angles' : '');
  }

  // The stack beside the form: the ply rows' count, or the layup's expansion by the module.
  function showStack(job, stack) {
    if (!job.laminate) {
      const angles = job.plies.map((p) => p.angle), thick = job.plies.map((p) => p.thickness);
      $('ply-summary').textContent = angles.length && angles.every(Number.isFinite) ? stackSummary(angles, thick) : '';
      return;
    }
    const out = $('layup-stack');
    if (!out) return;
    if (!stack) {
      out.textContent = loadedModule ? '' : 'the plies of the layup show once the analysis module has loaded';
      return;
    }
    const shown = stack.angles.slice(0, 24).map((a, i) =>
        a + (stack.materials[i] !== job.laminate.material ? ':' + stack.materials[i] : '')).join('/');
    out.textContent = stackSummary(stack.angles, stack.thicknesses) + '. Bottom to top: ' + shown +
        (stack.angles.length > 24 ? '/… (all ' + stack.angles.length + ' in the results)' : '');
  }

  // Each laminate plate's stack under its fields, as the module expands the layup.
  function showPlateStacks(job, stacks) {
    job.joint.plates.forEach((plate, i) => {
      const out = $('plate-stack-' + i);
      if (!out) return;
      const stack = (stacks || [])[i];
      if (!plate.laminate) {
        out.textContent = '';
      } else if (!stack) {
        out.textContent = loadedModule ? '' : 'the plies of the layup show once the analysis module has loaded';
      } else {
        out.textContent = stackSummary(stack.angles, stack.thicknesses);
      }
    });
  }

  function unitLabels() {
    for (const e of document.querySelectorAll('.u-stress')) e.textContent = valueAt('units.stress');
    for (const e of document.querySelectorAll('.u-length')) e.textContent = valueAt('units.length');
  }

  function buildForm() {
    const job = state;
    $('title-field').replaceChildren(field('title', job.title, {inputmode: 'text', size: 60}));
    $('units-field').replaceChildren('stress ', select('units.stress', STRESS_UNITS, job.units.stress),
                                     ' length ', select('units.length', LENGTH_UNITS, job.units.length));

    // A material is a row of three groups (moduli, strengths, strain allowables) that wrap on
    // a narrow page rather than run past the form's edge.
    const mat = $('materials');
    mat.replaceChildren();
    const names = {nu12: 'ν12', nu: 'ν', strain_T1: 'εT1', strain_C1: 'εC1', strain_T2: 'εT2',
                   strain_C2: 'εC2', strain_S12: 'εS12'};
    job.materials.forEach((m, i) => {
      const group = (keys, size) => el('span', {class: 'group'}, ...keys.map((k) =>
          labelled(names[k] || k, field('materials.' + i + '.' + k, m[k], {size}))));
      // An orthotropic ply (E1, E2, G12, nu12) or a metal (E and nu, alike in every direction):
      // the constants carry over when the kind changes.
      const kind = el('select', {'data-path': 'materials.' + i + '.kind', 'aria-label': 'materials.' + i + '.kind'});
      kind.append(el('option', {value: 'ply', text: 'ply (E1, E2, G12, ν12)'}),
                  el('option', {value: 'metal', text: 'metal (E, ν)'}));
      kind.value = m.kind === 'metal' ? 'metal' : 'ply';
      kind.addEventListener('change', () => {
        state = readForm();
        const now = state.materials[i];
        if (kind.value === 'metal') {
          Object.assign(now, {kind: 'metal', E: now.E1, nu: now.nu12});
          for (const k of ELASTIC) delete now[k];
        } else {
          const e = readNumber(now.E), nu = readNumber(now.nu);
          const g = Number.isFinite(e) && Number.isFinite(nu) ? Number((e / (2 * (1 + nu))).toPrecision(12)) : '';
          Object.assign(now, {E1: now.E, E2: now.E, G12: g, nu12: now.nu});
          for (const k of ['kind'].concat(METAL)) delete now[k];
        }
        buildForm();
      });
      mat.append(el('div', {class: 'row material'},
                    labelled('name', field('materials.' + i + '.name', m.name, {inputmode: 'text', size: 10})),
                    labelled('kind', el('span', {class: 'field'}, kind,
                                        el('span', {class: 'msg', 'data-for': 'materials.' + i + '.kind'}))),
                    group(m.kind === 'metal' ? METAL : ELASTIC, 8), group(ALLOWABLES, 7), group(STRAIN_ALLOWABLES, 7),
                    job.materials.length > 1 ? removeButton(() => {
                      state = checkJobLoose(); state.materials.splice(i, 1); buildForm();
                    }) : null));
    });
    const materialNames = job.materials.map((m) => String(m.name));
    // A joint job shows its joint, plates and rows in place of the plies, hole, load cases and
    // tables of a job of one hole.
    const joint = !!job.joint;
    for (const e of document.querySelectorAll('.hole-only')) e.hidden = joint;
    for (const e of document.querySelectorAll('.joint-only')) e.hidden = !joint;
    $('kind-hole').checked = !joint;
    $('kind-joint').checked = joint;
    if (joint) {
      for (const id of ['plies', 'layup-fields', 'hole-fields', 'load-cases', 'ply-summary']) $(id).replaceChildren();
      buildJoint(job, materialNames);
    } else {
      for (const id of ['joint-fields', 'joint-plates', 'joint-rows']) $(id).replaceChildren();
      const layup = !!job.laminate;
      $('stack-plies').checked = !layup;
      $('stack-layup').checked = layup;
      $('ply-rows').hidden = layup;
      $('layup-fields').hidden = !layup;
      buildLaminate(job, materialNames);
      const plies = $('plies');
      plies.replaceChildren();
      const rows = layup ? [] : job.plies.length <= PLY_ROWS_ALWAYS || showAllPlies ? job.plies
                                                                                     : job.plies.slice(0, PLY_ROWS_COLLAPSED);
      rows.forEach((p, i) => {
        const options = materialNames.includes(String(p.material)) ? materialNames
                                                                     : materialNames.concat([String(p.material)]);
        plies.append(el('tr', {}, el('td', {text: String(i + 1)}),
                        el('td', {}, field('plies.' + i + '.angle', p.angle, {size: 6})),
                        el('td', {}, field('plies.' + i + '.thickness', p.thickness, {size: 7})),
                        el('td', {}, select('plies.' + i + '.material', options, String(p.material))),
                        el('td', {}, job.plies.length > 1 ? removeButton(() => {
                          state = checkJobLoose(); state.plies.splice(i, 1); buildForm();
                        }) : null)));
      });
      if (!layup && job.plies.length > PLY_ROWS_ALWAYS) {
        const more = job.plies.length - rows.length;
        const toggle = el('button', {type: 'button', id: 'show-plies',
                                     text: more ? 'show all ' + job.plies.length + ' plies' : 'show the first ' + PLY_ROWS_COLLAPSED + ' only'});
        toggle.addEventListener('click', () => {
          state = checkJobLoose();
          showAllPlies = !showAllPlies;
          buildForm();
        });
        plies.append(el('tr', {class: 'more'}, el('td', {colspan: '5'},
                        more ? '… ' + more + ' more plies, kept as they are ' : '', toggle)));
      }

      // The strip model has an edge distance; the infinite plate a finite-width correction and a
      // choice of the bolt's series. Changing the model rebuilds the form with its own fields.
      const strip = job.hole.model === 'strip';
      const model = select('hole.model', HOLE_MODELS, job.hole.model || 'infinite');
      model.querySelector('select').addEventListener('change', () => {
        state = checkJobLoose();
        buildForm();
      });
      $('hole-fields').replaceChildren(...[
          el('label', {}, 'model ', model),
          el('label', {}, ' diameter ', field('hole.diameter', job.hole.diameter, {size: 7}),
             el('span', {class: 'u-length'})),
          el('label', {}, ' width ', field('hole.width', job.hole.width, {size: 7}),
             el('span', {class: 'u-length'}),
             strip ? ' (of the strip, along x)' : ' (empty or 0: infinite plate)'),
          strip ? el('label', {}, ' edge distance ',
                     field('hole.edge_distance', job.hole.edge_distance, {size: 7}),
                     el('span', {class: 'u-length'}), ' (hole centre to the free end; empty: none)')
                : null,
          strip ? null : el('label', {}, ' finite-width correction ',
                            select('hole.finite_width_correction', WIDTH_CORRECTIONS,
                                   job.hole.finite_width_correction || 'none')),
          strip ? null : el('label', {}, ' bolt series ',
                            select('hole.bolt_series', BOLT_SERIES,
                                   job.hole.bolt_series || 'converged'))].filter((e) => e));
      // A load case is a row: its name, as wide as the name, then its loads; the row wraps.
      const cases = $('load-cases');
      cases.replaceChildren();
      const loadNames = {off_axis: 'off-axis (°)', bolt_angle: 'bolt angle (°)'};
      job.load_cases.forEach((lc, i) => {
        cases.append(el('div', {class: 'row load-case'},
                        labelled('name', field('load_cases.' + i + '.name', lc.name, {inputmode: 'text', size: 12})),
                        el('span', {class: 'group'}, ...loadKeys(job.hole).map((k) =>
                            labelled(loadNames[k] || k, field('load_cases.' + i + '.' + k, lc[k], {size: 8})))),
                        job.load_cases.length > 1 ? removeButton(() => {
                          state = checkJobLoose(); state.load_cases.splice(i, 1); buildForm();
                        }) : null));
      });

    }

    // The grid, of either kind of job: a joint's own (empty when left to the job reader's), never
    // the fields of the kind shown before it.
    const grid = $('grid-fields');
    grid.replaceChildren();
    const gridLabels = {angle_step: 'angle step (°)', angle_low: 'from (°)', angle_high: 'to (°)',
                        distance_step: 'distance step', steps: 'steps'};
    for (const k of GRID) {
      grid.append(el('label', {}, gridLabels[k] + ' ', field('grid.' + k, job.grid[k], {size: 6}),
                     k === 'distance_step' ? el('span', {class: 'u-length'}) : null), ' ');
    }

    const crit = $('criteria');
    crit.replaceChildren();
    for (const [k, label] of CRITERIA) {
      const box = el('input', {type: 'checkbox', name: 'criterion', value: k});
      box.checked = job.failure.criteria.includes(k);
      crit.append(el('label', {}, box, ' ' + label), ' ');
    }
    crit.append(el('span', {class: 'msg', 'data-for': 'failure.criteria'}));
    const shown = (v) => (Array.isArray(v) ? (v.length === 1 ? '[' + v[0] + ']' : v.join(', ')) : v);
    $('failure-fields').replaceChildren(
        el('label', {}, 'characteristic distance ',
           field('failure.distance', shown(job.failure.distance), {size: 10, inputmode: 'text'}),
           el('span', {class: 'u-length'})),
        el('label', {}, ' or tension ',
           field('failure.distance_tension', shown(job.failure.distance_tension),
                 {size: 8, inputmode: 'text'}),
           ' and compression ',
           field('failure.distance_compression', shown(job.failure.distance_compression),
                 {size: 8, inputmode: 'text'}),
           el('span', {class: 'u-length'})),
        el('label', {}, ' factor of safety ',
           field('failure.factor_of_safety', job.failure.factor_of_safety, {size: 5})),
        el('br'),
        el('label', {}, 'method ', select('failure.method', METHODS, job.failure.method || 'point')),
        el('label', {}, ' average by ',
           select('failure.average_rule', AVERAGE_RULES, job.failure.average_rule || 'gauss-legendre')),
        el('label', {}, ' with ', field('failure.average_points', job.failure.average_points, {size: 4}),
           ' points along each radius (empty: 16 Gauss-Legendre, 65 Simpson)'));
    const tables = $('tables');
    tables.replaceChildren();
    for (const k of TABLES) {
      const box = el('input', {type: 'checkbox', name: 'table', value: k});
      box.checked = ((job.results || {}).tables || []).includes(k);
      tables.append(el('label', {}, box, ' ' + k), ' ');
    }
    tables.append(el('span', {class: 'msg', 'data-for': 'results.tables'}));
    $('carpet').checked = !!job.carpet;
    indexFields();
    unitLabels();
    check();
  }

  // The fields of [laminate]: the layup, the material of the plies that name none (blank: each
  // ply names its own), and the ply thickness, one for all or one per material.
  function buildLaminate(job, materialNames) {
    const box = $('layup-fields');
    if (!job.laminate) {
      box.replaceChildren();
      return;
    }
    box.replaceChildren(el('div', {class: 'row'}, ...laminateFields(job.laminate, 'laminate', materialNames,
                                                                     (s) => s.laminate, 'thickness-mode')),
                        el('p', {class: 'note', id: 'layup-stack'}));
  }

  // The fields of a laminate under the path `at` ([laminate]'s, or a joint plate's): the layup,
  // its material and the ply thickness with its mode (one for all, or per material: the select
  // of id modeId). lamOf finds the laminate in the form's state when the mode changes.
  function laminateFields(lam, at, materialNames, lamOf, modeId) {
    const material = el('select', {'data-path': at + '.material', 'aria-label': at + '.material'});
    material.append(el('option', {value: '', text: '(each ply names one)'}));
    const options = materialNames.includes(String(lam.material)) || !lam.material
        ? materialNames : materialNames.concat([String(lam.material)]);
    for (const n of options) material.append(el('option', {value: n, text: n}));
    material.value = String(lam.material || '');
    const perMaterial = lam.ply_thickness !== null && typeof lam.ply_thickness === 'object';
    const mode = el('select', {id: modeId, 'aria-label': 'ply thickness for'});
    for (const o of ['one for all', 'per material']) mode.append(el('option', {value: o, text: o}));
    mode.value = perMaterial ? 'per material' : 'one for all';
    mode.addEventListener('change', () => {
      state = checkJobLoose();
      const lamNow = lamOf(state);
      const t = lamNow.ply_thickness;
      if ((mode.value === 'per material') === (t !== null && typeof t === 'object')) {
        // as built already
      } else if (mode.value === 'per material') {
        // Every material starts with the thickness that was one for all.
        lamNow.ply_thickness = Object.fromEntries(state.materials.map((m) => [String(m.name), t]));
      } else {
        const given = Object.values(lamNow.ply_thickness).filter((v) => String(v).trim() !== '');
        lamNow.ply_thickness = given.length ? given[0] : '';
      }
      buildForm();
    });
    const thickness = perMaterial
        ? el('span', {class: 'group'}, ...materialNames.map((n, i) =>
            labelled(n, field(at + '.ply_thickness.' + i, lam.ply_thickness[n], {size: 7}))),
             el('span', {class: 'msg', 'data-for': at + '.ply_thickness'}))
        : field(at + '.ply_thickness', lam.ply_thickness, {size: 7});
    return [labelled('layup, bottom to top ([45/0/-45/90]3s, ±45, 0_2, (0/90)2, 45:name)',
                     field(at + '.layup', lam.layup, {inputmode: 'text', size: 30})),
            labelled('material of the plies that name none',
                     el('span', {class: 'field'}, material, el('span', {class: 'msg', 'data-for': at + '.material'}))),
            labelled('ply thickness', el('span', {class: 'group'}, mode, thickness,
                                             el('span', {class: 'u-length'})))];
  }

  // The fields of a joint job: the joint's own (the shear decides the count of plates: a
  // second outer plate like the first comes in with double shear), a row of fields per plate
  // (a laminate, or a metal and its thickness), and per row of fasteners.
  function buildJoint(job, materialNames) {
    const joint = job.joint;
    const shear = select('joint.shear', SHEARS, joint.shear || 'single');
    shear.querySelector('select').addEventListener('change', () => {
      state = readForm();
      const plates = state.joint.plates, wanted = state.joint.shear === 'double' ? 3 : 2;
      const taken = new Set(plates.map((p) => String(p.name)));
      while (plates.length < wanted) {
        const first = plates[0] || {name: 'plate'};
        let n = 2;
        while (taken.has(String(first.name) + '-' + n)) ++n;
        taken.add(String(first.name) + '-' + n);
        plates.push({...first, name: String(first.name) + '-' + n,
                     laminate: first.laminate ? {...first.laminate} : undefined});
        if (!first.laminate) delete plates[plates.length - 1].laminate;
      }
      plates.length = Math.min(plates.length, wanted);
      buildForm();
    });
    $('joint-fields').replaceChildren(
        el('label', {}, 'shear ', shear),
        el('label', {}, ' load ', field('joint.load', joint.load, {size: 9})),
        el('label', {}, ' fastener flexibility ',
           select('joint.fastener_flexibility', FLEXIBILITIES, joint.fastener_flexibility || 'huth')),
        el('label', {}, ' holes ', select('joint.hole_model', JOINT_HOLE_MODELS, joint.hole_model || 'strip')),
        el('span', {class: 'msg', 'data-for': 'joint'}));

    const metals = job.materials.filter((m) => m.kind === 'metal').map((m) => String(m.name));
    const others = materialNames.filter((n) => !metals.includes(n));
    const roles = joint.plates.length === 3
        ? ['outer, loaded before the first row', 'middle, loaded after the last row', 'outer']
        : ['loaded before the first row', 'loaded after the last row'];
    const plates = $('joint-plates');
    plates.replaceChildren();
    joint.plates.forEach((plate, i) => {
      const p = 'joint.plates.' + i + '.';
      const kind = el('select', {'data-path': p + 'kind', 'aria-label': p + 'kind'});
      kind.append(el('option', {value: 'laminate', text: 'a laminate'}), el('option', {value: 'metal', text: 'a metal'}));
      kind.value = plate.laminate ? 'laminate' : 'metal';
      kind.addEventListener('change', () => {
        state = readForm();
        const now = state.joint.plates[i];
        if (kind.value === 'metal') {
          delete now.laminate;
          Object.assign(now, {material: metals[0] || '', thickness: ''});
        } else {
          delete now.material;
          delete now.thickness;
          now.laminate = {layup: '[45/0/-45/90]s', material: others[0] || '', ply_thickness: ''};
        }
        buildForm();
      });
      let made;
      if (plate.laminate) {
        made = laminateFields(plate.laminate, p + 'laminate', materialNames,
                              (s) => s.joint.plates[i].laminate, 'thickness-mode-' + i);
      } else {
        const shown = metals.includes(String(plate.material)) || !plate.material ? metals
                                                                                : metals.concat([String(plate.material)]);
        const material = el('select', {'data-path': p + 'material', 'aria-label': p + 'material'});
        for (const n of shown) material.append(el('option', {value: n, text: n}));
        if (!shown.length) material.append(el('option', {value: '', text: '(no metal: add a material of the kind metal)'}));
        material.value = String(plate.material || '');
        made = [labelled('metal', el('span', {class: 'field'}, material, el('span', {class: 'msg', 'data-for': p + 'material'}))),
                labelled('thickness', el('span', {class: 'group'}, field(p + 'thickness', plate.thickness, {size: 7}),
                                         el('span', {class: 'u-length'})))];
      }
      plates.append(el('div', {class: 'row plate', 'data-plate': String(i)},
                       el('span', {class: 'group'},
                          labelled('plate ' + (i + 1) + ' (' + roles[i] + ')',
                                   field(p + 'name', plate.name, {inputmode: 'text', size: 10})),
                          labelled('width', field(p + 'width', plate.width, {size: 7})),
                          labelled('edge distance', field(p + 'edge_distance', plate.edge_distance, {size: 7})),
                          labelled('made of', el('span', {class: 'field'}, kind,
                                                 el('span', {class: 'msg', 'data-for': p + 'kind'})))),
                       ...made,
                       el('p', {class: 'note', id: 'plate-stack-' + i}),
                       el('span', {class: 'msg', 'data-for': 'joint.plates.' + i})));
    });

    const rows = $('joint-rows');
    rows.replaceChildren();
    const rowNames = {fastener_E: 'fastener E', fastener_nu: 'fastener ν', count: 'count across'};
    joint.rows.forEach((row, i) => {
      rows.append(el('div', {class: 'row joint-row'},
                     el('span', {class: 'group'}, el('span', {class: 'l', text: 'row ' + (i + 1)}),
                        ...ROW.map((k) => labelled(rowNames[k] || k, field('joint.rows.' + i + '.' + k, row[k], {size: 8})))),
                     joint.rows.length > 1 ? removeButton(() => {
                       state = readForm(); state.joint.rows.splice(i, 1); buildForm();
                     }) : null));
    });
  }

  // The form's current values as typed, for rebuilding it after a row is added or removed.
  function checkJobLoose() {
    return readForm();
  }

  function download(name, text, type) {
    const url = URL.createObjectURL(new Blob([text], {type}));
    const a = el('a', {href: url, download: name});
    document.body.append(a);
    a.click();
    a.remove();
    setTimeout(() => URL.revokeObjectURL(url), 1000);
  }

  const fileStem = (title) => (String(title).trim().replace(/[^A-Za-z0-9._-]+/g, '-')
                                   .replace(/^-+|-+$/g, '') || 'job').slice(0, 60);

  let lastResponse = null;

  function fmt(v, digits) {
    return typeof v === 'number' && Number.isFinite(v) ? v.toFixed(digits) : String(v);
  }

  function showResults(response, jobText) {
    lastResponse = response;
    const out = $('results');
    out.replaceChildren();
    $('job-text').textContent = jobText;
    const errors = String(response.errors || '').split(/\r?\n/).filter((l) => l);
    $('run-errors').replaceChildren(...errors.map((l) => el('li', {text: l})));
    out.setAttribute('data-status', String(response.status));
    for (const b of document.querySelectorAll('.needs-results')) b.disabled = response.status !== 0;
    if (response.status !== 0 || !response.results) {
      // The module's messages also at the fields they are about (the working storage of the
      // grid, a mistake in the layup).
      const at = fieldMessages(response.errors, lastJob || {});
      showMessages(at, {});
      out.append(el('p', {class: 'error', text: 'The job was not run: see the messages above.'}));
      $('tables-text').textContent = '';
      showPictures('');
      $('csv-buttons').replaceChildren();
      return;
    }
    const r = response.results, units = r.units || {};
    out.append(el('h3', {text: r.title || '(untitled)', id: 'result-title'}));
    if (r.joint) {
      showJoint(out, r);
    } else {
      showLaminate(out, r.laminate, units, 'laminate');
      showStackAsRun(out, r);
      if (r.layups) showCarpet(out, r);
      showLoadCases(out, r.load_cases, units);
    }
    $('tables-text').textContent = String(response.tables || '').replace(/\r\n/g, '\n');
    showResultFiles(response, r);
  }

  // A number to four significant digits.
  const sig = (v) => (typeof v === 'number' && Number.isFinite(v) ? String(Number(v.toPrecision(4)))
                                                                 : String(v));

  // The laminate's engineering constants in a line (id: the element's).
  function showLaminate(out, lam, units, id) {
    if (!lam) return;
    const prop = (k) => el('span', {'data-property': k, 'data-value': String(lam[k]), text: sig(lam[k])});
    out.append(el('p', {id}, 'Laminate: EX = ', prop('EX'), ', EY = ', prop('EY'),
                  ', GXY = ', prop('GXY'), ' ' + (units.stress || '') + ', VXY = ', prop('VXY')));
  }

  // The joint's summary: how the rows share the load (a bar per row), every hole's bearing,
  // bypass and reserve factors with the critical hole marked, the critical hole named with its
  // criterion and margin, and its results as a job of one hole in its plate's frame.
  function showJoint(out, r) {
    const j = r.joint, units = r.units || {};
    const force = (units.stress || '') + '·' + (units.length || '') + '²';
    const th = (t) => el('th', {text: t});
    const cell = (key, v, text) => el('td', {'data-key': key, 'data-value': String(v),
                                             title: String(v), text: text === undefined ? sig(v) : text});
    const label = (c) => (CRITERIA.find((k) => k[0] === c) || [c, c])[1];
    out.append(el('p', {id: 'joint-summary'}, (j.shear === 'double' ? 'Double' : 'Single') + ' shear, load ' +
                  j.load + ' ' + force + ', fastener flexibility ' + j.fastener_flexibility + ', each hole ' +
                  (j.hole_model === 'strip' ? 'in a strip of its row\'s pitch' : 'in the infinite plate (Tan\'s factor of the pitch)') + '.'));
    for (const w of r.warnings || []) out.append(el('p', {class: 'note warning', text: 'Caution: ' + w}));
    if (!j.rows) return;
    const rows = el('table', {id: 'joint-rows-table'},
                    el('caption', {text: 'How the rows share the load (loads in ' + force + ')'}),
                    el('tr', {}, ...['row', 'x', 'fasteners across', 'flexibility of one', 'row load',
                                     'load of one fastener', 'share of the load'].map(th)));
    for (const row of j.rows) {
      const share = el('td', {'data-key': 'share', 'data-value': String(row.share), class: 'label'},
                       el('span', {class: 'share'}), (100 * row.share).toFixed(1) + ' %');
      share.firstChild.style.width = Math.max(0, Math.min(1, row.share)) * 160 + 'px';
      rows.append(el('tr', {'data-row': String(row.row)}, el('td', {text: String(row.row)}),
                     el('td', {text: String(row.x)}), el('td', {text: String(row.count)}),
                     cell('flexibility', row.flexibility), cell('load', row.load),
                     cell('fastener_load', row.fastener_load), share));
    }
    out.append(rows);
    const criteria = (r.inputs.failure || {}).criteria || [];
    const critical = j.critical || null;
    const holes = el('table', {id: 'joint-holes'},
                     el('caption', {text: 'Every hole: bearing and bypass stress (' + (units.stress || '') +
                                          ') and reserve factors'}),
                     el('tr', {}, ...['hole', 'plate', 'row', 'bearing', 'bypass'].map(th),
                        ...criteria.map((c) => th(label(c))), th('smallest'), th('margin of safety')));
    for (const h of j.holes) {
      const row = el('tr', {'data-hole': h.hole, class: critical && critical.hole === h.hole ? 'critical' : null},
                     el('td', {class: 'label', text: h.hole}), el('td', {class: 'label', text: h.plate}),
                     el('td', {text: String(h.row)}), cell('bearing', h.bearing), cell('bypass', h.bypass));
      for (const c of criteria) {
        const f = (h.criteria || {})[c] || {};
        row.append(typeof f.factor === 'number'
            ? el('td', {'data-criterion': c, 'data-value': String(f.factor), text: fmt(f.factor, 3),
                        title: 'ply ' + f.ply + ' (' + f.ply_angle + '°) at ' + Number(f.angle.toPrecision(6)) +
                               '° round the hole, ' + f.component})
            : el('td', {'data-criterion': c, class: 'none', text: f.note || 'none'}));
      }
      row.append(el('td', {class: 'label', text: h.smallest ? label(h.smallest.criterion) : '—'}),
                 h.margin_of_safety === null || h.margin_of_safety === undefined
                     ? el('td', {text: '—'}) : cell('margin_of_safety', h.margin_of_safety, fmt(h.margin_of_safety, 3)));
      holes.append(row);
    }
    out.append(holes);
    const safety = (r.inputs.failure || {}).factor_of_safety;
    if (critical) {
      out.append(el('p', {id: 'joint-critical', 'data-hole': critical.hole, 'data-criterion': critical.criterion,
                          'data-value': String(critical.factor), 'data-margin': String(critical.margin_of_safety)},
                    'Critical hole: ', el('strong', {text: critical.hole}), ' (plate ' + critical.plate + ', row ' +
                    critical.row + '), ' + label(critical.criterion) + ', reserve factor ' + fmt(critical.factor, 3) +
                    ' at ply ' + critical.ply + ' (' + critical.ply_angle + '°), ' +
                    Number(critical.angle.toPrecision(6)) + '° round the hole, ' +
                    Number(critical.distance.toPrecision(6)) + ' ' + (units.length || '') + ' from its edge (' +
                    critical.component + '); margin of safety ' + fmt(critical.margin_of_safety, 3) +
                    ' with a factor of safety of ' + safety + '.'));
    } else {
      out.append(el('p', {id: 'joint-critical', text: 'No critical hole: some hole\'s factors are undefined (see the cautions).'}));
    }
    const hole = r.critical_hole;
    if (!hole) return;
    out.append(el('h3', {id: 'critical-hole', text: 'The critical hole, ' + hole.hole + ', as a hole of its own' +
                         (hole.frame_angle ? ' (in its plate\'s frame: x turned ' + hole.frame_angle + '°)' : '')}));
    showLaminate(out, hole.laminate, units, 'laminate');
    showLoadCases(out, hole.load_cases, units);
  }

  // The reserve factors of each load case (or a line saying there are none).
  function showLoadCases(out, cases, units) {
    for (const lc of cases || []) {
      if (!lc.reserve) {
        out.append(el('p', {class: 'no-reserve', 'data-load-case': lc.name,
                            text: 'Load case ' + lc.name + ': no reserve factors asked for ' +
                                  '(the "reserve" table); its results are in the tables below.'}));
        continue;
      }
      // One reserve entry per characteristic distance: a list when the job lists its distances.
      const entries = Array.isArray(lc.reserve) ? lc.reserve : [lc.reserve];
      entries.forEach((reserve, d) => showReserve(out, lc.name, reserve, d, units));
    }
  }

  // The pictures and the CSV files of a run.
  function showResultFiles(response, r) {
    showPictures(String(response.pictures || ''));
    showCsv(response, r);
  }

  function showCsv(response, r) {
    const csv = $('csv-buttons');
    csv.replaceChildren();
    const files = Object.entries(response.csv || {});
    for (const [name, content] of files) {
      const b = el('button', {type: 'button', text: name});
      b.addEventListener('click', () => download(name, content, 'text/csv'));
      csv.append(b, ' ');
    }
    if (files.length > 1) {
      const b = el('button', {type: 'button', text: 'all CSV files in one text'});
      b.addEventListener('click', () => download(fileStem(r.title) + '-csv.txt',
          files.map(([n, c]) => '# ' + n + '\r\n' + c).join('\r\n'), 'text/plain'));
      csv.append(b);
    }
  }

  // The reserve factors of one characteristic distance: its method and distance in the caption,
  // per criterion the distance from the edge of the station where the factor is reached.
  function showReserve(out, name, reserve, d, units) {
    const smallest = reserve.smallest || null;
    const length = ' ' + (units.length || '');
    let about = '';
    if (reserve.method) {
      about = ', ' + reserve.method + ' stress' + (reserve.distance !== undefined
          ? ' at ' + reserve.distance + length
          : ', tension ' + reserve.distance_tension + length + ', compression ' +
            reserve.distance_compression + length);
    }
    const table = el('table', {class: 'reserve', 'data-load-case': name, 'data-distance': String(d)},
                     el('caption', {text: 'Load case ' + name + ': reserve factors' + about}),
                     el('tr', {}, ...['criterion', 'reserve factor', 'ply', 'ply angle',
                                      'angle around the hole', 'distance', 'component']
                                    .map((h) => el('th', {text: h}))));
    // The distance is that of the station where each factor is reached: the characteristic
    // distance, or on a characteristic curve the curve's there. A criterion that no load of this
    // shape brings to failure has no factor, ply or angle.
    // Angles and the distance to six digits, in full on hover.
    const short = (v, unit) => el('td', {title: String(v) + unit, text: String(Number(Number(v).toPrecision(6))) + unit});
    for (const [c, v] of Object.entries(reserve.criteria || {})) {
      const label = (CRITERIA.find((k) => k[0] === c) || [c, c])[1];
      const at = v.distance !== undefined ? v.distance : reserve.distance;
      const row = el('tr', {'data-criterion': c, class: smallest && smallest.criterion === c ? 'smallest' : null},
                     el('td', {text: label}));
      if (typeof v.factor === 'number') {
        row.append(el('td', {class: 'factor', 'data-value': String(v.factor), text: fmt(v.factor, 3)}),
                   el('td', {text: String(v.ply)}), short(v.ply_angle, '°'), short(v.angle, '°'),
                   short(at, length), el('td', {text: String(v.component || '')}));
      } else {
        const where = reserve.distance !== undefined
            ? ' at ' + Number(Number(reserve.distance).toPrecision(6)) + length
            : ' on the characteristic curve';
        row.append(el('td', {class: 'factor none', 'data-value': 'Infinity', colspan: '6',
                             text: 'none: ' + (v.note || 'no finite factor') + where}));
      }
      table.append(row);
    }
    out.append(table);
    if (smallest) {
      out.append(el('p', {class: 'smallest-line', 'data-load-case': name,
                          text: 'Smallest reserve factor ' + fmt(smallest.factor, 3) + ' (' +
                                ((CRITERIA.find((k) => k[0] === smallest.criterion) || [0, smallest.criterion])[1]) +
                                ') in ply ' + smallest.ply + ' at ' + Number(Number(smallest.angle).toPrecision(6)) +
                                '° around the hole' +
                                (reserve.margin_of_safety !== undefined
                                     ? '; margin of safety ' + fmt(reserve.margin_of_safety, 3) : '') + '.'}));
    }
  }

  // The stack the module ran (its inputs.plies, the expansion of the layup when there is one):
  // a line with its count and thickness, and a button that lays out every ply in a table.
  function showStackAsRun(out, r) {
    const inputs = r.inputs || {}, plies = inputs.plies || [];
    if (!plies.length) return;
    const length = (r.units || {}).length || '';
    const line = el('p', {id: 'stack-as-run', 'data-plies': String(plies.length)},
                    'Stack as run' + (inputs.layup ? ', from the layup ' + inputs.layup : '') + ': ' +
                    stackSummary(plies.map((p) => p.angle), plies.map((p) => p.thickness)) + '. ');
    const label = (shown) => (shown ? 'hide the plies' : 'show the ' + plies.length +
                                                         (plies.length === 1 ? ' ply' : ' plies'));
    const toggle = el('button', {type: 'button', id: 'show-stack', text: label(false)});
    const box = el('div', {id: 'stack-table', hidden: true});
    toggle.addEventListener('click', () => {
      if (!box.firstChild) {
        const table = el('table', {class: 'stack'},
                         el('tr', {}, ...['ply', 'angle (°)', 'thickness (' + length + ')', 'material']
                                           .map((h) => el('th', {text: h}))));
        plies.forEach((p, i) => table.append(el('tr', {}, el('td', {text: String(i + 1)}),
                                                 el('td', {text: String(p.angle)}),
                                                 el('td', {text: String(p.thickness)}),
                                                 el('td', {text: String(p.material)}))));
        box.append(table);
      }
      box.hidden = !box.hidden;
      toggle.textContent = label(!box.hidden);
    });
    line.append(toggle);
    out.append(line, box);
  }

  // A carpet plot: per layup its shares of 0, ±45 and 90 degree plies, its moduli, and the
  // smallest reserve factor of each load case.
  function showCarpet(out, r) {
    const units = r.units || {};
    const cases = ((r.layups[0] || {}).load_cases || []).map((lc) => lc.name);
    const shareKeys = Object.keys((r.layups[0] || {}).shares || {});
    const table = el('table', {class: 'carpet', id: 'carpet-table'},
                     el('caption', {text: 'Carpet plot: ' + r.layups.length + ' layups'}),
                     el('tr', {}, ...shareKeys.map((k) => el('th', {text: k})),
                        ...['EX', 'EY', 'GXY'].map((k) => el('th', {text: k + ' (' + (units.stress || '') + ')'})),
                        ...cases.map((c) => el('th', {text: 'smallest reserve factor, ' + c}))));
    for (const layup of r.layups) {
      const lam = layup.laminate || {};
      const row = el('tr', {}, ...shareKeys.map((k) => el('td', {text: String(layup.shares[k])})),
                     ...['EX', 'EY', 'GXY'].map((k) => el('td', {text: fmt(lam[k] / 1, 0)})));
      for (const lc of layup.load_cases || []) {
        // With a list of distances, the first one's.
        const s = ((Array.isArray(lc.reserve) ? lc.reserve[0] : lc.reserve) || {}).smallest;
        row.append(el('td', {class: 'factor', 'data-load-case': lc.name,
                             'data-value': s ? String(s.factor) : '', text: s ? fmt(s.factor, 3) : ''}));
      }
      table.append(row);
    }
    out.append(table);
  }

  // The pictures: a whole HTML document from the module (inline SVG and its own style). It is
  // parsed inert (DOMParser runs no script and loads nothing) and its style and body go into a
  // shadow root, so that its style and the page's keep apart; nothing is requested, and the
  // page's policy (inline style allowed, no script but the page's own) still holds.
  function showPictures(html) {
    const host = $('pictures');
    const root = host.shadowRoot || host.attachShadow({mode: 'open'});
    if (!html) {
      root.replaceChildren();
      host.setAttribute('data-figures', '0');
      return;
    }
    const doc = new DOMParser().parseFromString(html, 'text/html');
    for (const s of doc.querySelectorAll('script, iframe, object, embed, link, meta, base')) s.remove();
    const style = el('style', {text: ':host{display:block}\n' + Array.from(doc.querySelectorAll('style'),
        (s) => s.textContent.replace(/(^|\})\s*body\s*\{/g, '$1 .pictures-body{')).join('\n')});
    const body = el('div', {class: 'pictures-body'});
    for (const s of doc.body.querySelectorAll('style')) s.remove();
    // A copy of the list first: adopting a node takes it out of the live childNodes.
    body.append(...Array.from(doc.body.childNodes).map((n) => document.adoptNode(n)));
    root.replaceChildren(style, body);
    host.setAttribute('data-figures', String(root.querySelectorAll('svg').length));
  }

  // The job last handed to the module, to place its messages at the fields.
  let lastJob = null;

  async function run() {
    const job = check();
    if (!job) return;
    lastJob = job;
    const text = jobToToml(job);
    $('run').disabled = true;
    $('run-state').textContent = 'running...';
    try {
      const loading = performance.now();
      const module = await loadModule();
      const started = performance.now();
      const answer = module.runJob(text, fileStem(job.title) + '.toml');
      const ran = performance.now();
      const response = JSON.parse(answer);
      showResults(response, text);
      const shown = performance.now();
      // Times in milliseconds, kept on the page (the console stays silent): the module's loading
      // (the first run only), the analysis, and the run from the module's call to the results in
      // the page.
      const times = {'data-load-ms': started - loading, 'data-job-ms': ran - started,
                     'data-run-ms': shown - started};
      for (const [k, v] of Object.entries(times)) $('results').setAttribute(k, v.toFixed(1));
      $('run-state').textContent = (response.status === 0 ? 'done' : 'stopped with errors') +
                                   ' (' + (shown - started).toFixed(0) + ' ms)';
    } catch (e) {
      $('run-state').textContent = 'failed: ' + (e && e.message ? e.message : e);
      console.error(e);
    } finally {
      $('run').disabled = false;
      document.body.setAttribute('data-runs', String(Number(document.body.getAttribute('data-runs') || 0) + 1));
    }
  }

  // Fills the form from the text of a job file; returns false (and says why) if it cannot.
  function loadJobText(text, where) {
    let doc;
    try {
      doc = parseToml(text);
    } catch (e) {
      $('load-status').textContent = where + ':' + e.message;
      $('load-status').className = 'error';
      return false;
    }
    const {job, unknown, refusal} = jobFromToml(doc);
    if (refusal) {
      $('load-status').textContent = where + ': not read: ' + refusal;
      $('load-status').className = 'error';
      return false;
    }
    while (job.materials.length === 0) job.materials.push({name: 'material'});
    state = job;
    keptPlies = keptLaminate = null;
    showAllPlies = false;
    buildForm();
    // A file of load cases is streamed by the command line over every core; the page has no
    // threads and no files beside the job, so it runs only the load cases written in the job.
    const batch = doc.load_cases_file !== undefined;
    const others = unknown.filter((k) => k !== 'load_cases_file');
    $('load-status').className = unknown.length ? 'error' : '';
    $('load-status').textContent = 'read ' + where +
        (batch ? '; its load cases come from a file (load_cases_file), which the page does not ' +
                 'run: run that job with holestress run, or give the load cases here' : '') +
        (others.length ? '; keys not known and left out: ' + others.join(', ') : '');
    return true;
  }

  // Between ply rows and a layup: the form keeps what the other way held. A layup first made from
  // ply rows writes their angles (and the materials of those of another material than the
  // first); ply rows first made from a layup are its plies as the module expanded them.
  function switchStack(toLayup) {
    state = checkJobLoose();
    if (toLayup && !state.laminate) {
      keptPlies = state.plies;
      state.laminate = keptLaminate || laminateFromPlies(state.plies);
      state.plies = [];
    } else if (!toLayup && state.laminate) {
      keptLaminate = state.laminate;
      const stack = lastStack && lastStack.thicknesses.every((t) => t !== null) ? lastStack : null;
      state.plies = stack ? stack.angles.map((angle, i) => ({angle, thickness: stack.thicknesses[i],
                                                           material: stack.materials[i]}))
                          : keptPlies || [{angle: 0, thickness: state.laminate.ply_thickness,
                                           material: state.laminate.material}];
      delete state.laminate;
      showAllPlies = false;
    }
    buildForm();
  }

  // Between a job of one hole and a joint job: the form keeps the other kind as it was, and starts
  // a kind it has not shown from its example.
  let keptHole = null, keptJoint = null;
  function switchKind(toJoint) {
    if (!!state.joint === toJoint) return;
    const now = readForm();
    if (toJoint) {
      keptHole = now;
      state = keptJoint || jointExampleJob();
    } else {
      keptJoint = now;
      state = keptHole || exampleJob();
    }
    buildForm();
  }

  function laminateFromPlies(plies) {
    const first = String((plies[0] || {}).material || '');
    const nameable = (m) => /^[A-Za-z0-9_.-]+$/.test(m);
    const layup = '[' + plies.map((p) => String(p.angle).trim() +
        (String(p.material) !== first && nameable(String(p.material)) ? ':' + p.material : '')).join('/') + ']';
    const thickness = {};
    for (const p of plies) if (!(p.material in thickness)) thickness[p.material] = p.thickness;
    const one = plies.every((p) => String(p.thickness) === String((plies[0] || {}).thickness));
    const byMaterial = plies.every((p) => String(p.thickness) === String(thickness[p.material]));
    return {layup, material: first,
            ply_thickness: one || !byMaterial ? (plies[0] || {}).thickness : thickness};
  }

  function jobFromFragment() {
    const m = /^#job=(.*)$/.exec(location.hash);
    if (!m) return false;
    let text;
    try {
      text = base64urlDecode(m[1]);
    } catch (e) {
      $('load-status').textContent = 'the link does not hold a job (bad base64url)';
      $('load-status').className = 'error';
      return false;
    }
    return loadJobText(text, 'the link');
  }

  function wire() {
    $('job-form').addEventListener('input', (e) => {
      if (e.target.matches('input[type=text][data-path]')) fitField(e.target);
      if (e.target.matches('[data-path="units.stress"], [data-path="units.length"]')) unitLabels();
      const rename = /^materials\.(\d+)\.name$/.exec(e.target.getAttribute('data-path') || '');
      if (rename) {
        // The plies of a renamed material follow it (unless another material still has the old
        // name, as while two names are typed alike), and the ply material lists show the name.
        const before = String(state.materials[Number(rename[1])].name);
        state = readForm();
        const after = String(state.materials[Number(rename[1])].name);
        const shared = state.materials.filter((m) => String(m.name) === before).length > 0;
        if (!shared) for (const p of state.plies || []) if (String(p.material) === before) p.material = after;
        if (!shared && state.laminate && String(state.laminate.material) === before) state.laminate.material = after;
        // A joint's plates of that material follow it too.
        for (const plate of shared || !state.joint ? [] : state.joint.plates) {
          if (plate.laminate && String(plate.laminate.material) === before) plate.laminate.material = after;
          if (!plate.laminate && String(plate.material) === before) plate.material = after;
        }
        buildForm();
        const again = document.querySelector('[data-path="' + e.target.getAttribute('data-path') + '"]');
        if (again) { again.focus(); again.setSelectionRange(again.value.length, again.value.length); }
        return;
      }
      check();
    });
    $('job-form').addEventListener('change', () => check());
    $('job-form').addEventListener('submit', (e) => { e.preventDefault(); run(); });
    $('add-material').addEventListener('click', () => {
      state = readForm();
      const taken = new Set(state.materials.map((m) => m.name));
      let n = state.materials.length + 1;
      while (taken.has('material' + n)) ++n;
      state.materials.push({...state.materials[state.materials.length - 1], name: 'material' + n});
      buildForm();
    });
    for (const radio of [$('stack-plies'), $('stack-layup')]) {
      radio.addEventListener('change', () => switchStack(radio.value === 'layup'));
    }
    $('add-ply').addEventListener('click', () => {
      state = readForm();
      state.plies.push({...state.plies[state.plies.length - 1]});
      buildForm();
    });
    $('add-load-case').addEventListener('click', () => {
      state = readForm();
      const taken = new Set(state.load_cases.map((l) => l.name));
      let n = state.load_cases.length + 1;
      while (taken.has('LC' + n)) ++n;
      state.load_cases.push({name: 'LC' + n, px: 0, py: 0, pxy: 0, off_axis: 0, bearing: 0, bolt_angle: 0,
                             bypass: 0});
      buildForm();
    });
    $('reset').addEventListener('click', () => { state = exampleJob(); buildForm(); });
    $('reset-joint').addEventListener('click', () => { state = jointExampleJob(); buildForm(); });
    for (const radio of [$('kind-hole'), $('kind-joint')]) {
      radio.addEventListener('change', () => switchKind(radio.value === 'joint'));
    }
    $('add-row').addEventListener('click', () => {
      // A row one pitch beyond the last (the last pitch, or four diameters), as the last.
      state = readForm();
      const rows = state.joint.rows, last = rows[rows.length - 1];
      const x = readNumber(last.x), before = rows.length > 1 ? readNumber(rows[rows.length - 2].x) : NaN;
      const pitch = Number.isFinite(before) && x > before ? x - before : 4 * readNumber(last.diameter);
      rows.push({...last, x: Number.isFinite(x + pitch) ? Number((x + pitch).toPrecision(12)) : ''});
      buildForm();
    });
    $('save-job').addEventListener('click', () => {
      const job = check();
      if (job) download(fileStem(job.title) + '.toml', jobToToml(job), 'application/toml');
    });
    $('save-json').addEventListener('click', () => {
      if (lastResponse && lastResponse.results) {
        download(fileStem(lastResponse.results.title) + '.json',
                 JSON.stringify(lastResponse.results, null, 2) + '\n', 'application/json');
      }
    });
    $('save-tables').addEventListener('click', () => {
      if (lastResponse) download(fileStem((lastResponse.results || {}).title || 'job') + '.txt',
                                 String(lastResponse.tables || ''), 'text/plain');
    });
    $('load-file').addEventListener('change', (e) => {
      const file = e.target.files[0];
      if (!file) return;
      file.text().then((text) => { if (loadJobText(text, file.name)) run(); });
      e.target.value = '';
    });
    $('copy-link').addEventListener('click', () => {
      const job = check();
      if (!job) return;
      const link = location.href.replace(/#.*$/, '') + '#job=' + base64urlEncode(jobToToml(job));
      $('link').value = link;
      $('link').hidden = false;
      $('link').select();
      const done = () => { $('link-status').textContent = 'link copied'; };
      if (navigator.clipboard && navigator.clipboard.writeText) {
        navigator.clipboard.writeText(link).then(done, () => {
          $('link-status').textContent = 'copy the selected link';
        });
      } else {
        $('link-status').textContent = 'copy the selected link';
      }
    });
    window.addEventListener('hashchange', () => { if (jobFromFragment()) run(); });
  }

  function start() {
    wire();
    buildForm();
    loadModule().then((m) => {
      $('version').textContent = 'holestress ' + m.version();
      if (state.laminate || state.joint) check();
    },
                      (e) => { $('version').textContent = 'the analysis module did not load: ' + e; });
    if (jobFromFragment()) run();
  }

  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', start);
  else start();
}

// The parts of web/page.js that need no browser: the TOML reader, the job file writer, the checks
// of the values, base64url. Run with node: node tests/web/page_test.js web/page.js
'use strict';
const assert = require('assert');
const path = require('path');
const page = require(path.resolve(process.argv[2] || 'web/page.js'));

let failures = 0;
const test = (name, body) => {
  try {
    body();
  } catch (e) {
    ++failures;
    console.log('FAIL ' + name + ': ' + e.message);
  }
};

test('TOML values', () => {
  const cases = [
    ['a = 1', {a: 1}],
    ['a = -4.5e-3', {a: -4.5e-3}],
    ['a = 1_000_000', {a: 1e6}],
    ['a = +inf', {a: Infinity}],
    ['a = "x\\"y\\\\z\\u00b0"', {a: 'x"y\\z°'}],
    ["a = 'C:\\path'", {a: 'C:\\path'}],
    ['a = true\nb = false', {a: true, b: false}],
    ['a = [ "x",\n  "y", # comment\n]', {a: ['x', 'y']}],
    ['a = {b = 1, c.d = "e"}', {a: {b: 1, c: {d: 'e'}}}],
    ['"quoted key" = 1\nx.y = 2', {'quoted key': 1, x: {y: 2}}],
    ['[materials.carbon]\nE1 = 2\n[materials."glass fabric"]\nE1 = 3',
     {materials: {carbon: {E1: 2}, 'glass fabric': {E1: 3}}}],
    ['[[plies]]\nangle = 0\n[[plies]]\nangle = 45\n[hole]\ndiameter = 1',
     {plies: [{angle: 0}, {angle: 45}], hole: {diameter: 1}}],
    ['a = 1\r\nb = 2\r\n', {a: 1, b: 2}],
  ];
  for (const [text, want] of cases) {
    assert.deepStrictEqual(page.parseToml(text), want, JSON.stringify(text));
  }
  assert.ok(Number.isNaN(page.parseToml('a = nan').a));
});

test('TOML errors with their place', () => {
  const cases = [
    ['a = 1\na = 2', 2, 'defined twice'],
    ['[t]\nx = 1\n[t]', 3, 'defined twice'],
    ['a = "open', 1, 'unterminated'],
    ['a = 1 2', 1, 'end of the line'],
    ['a = 1__0', 1, 'underscore'],
    ['a = 007', 1, 'leading zero'],
    ['a = [1, 2', 1, 'expected'],
    ['a = 1979-05-27', 1, 'dates'],
    ['= 1', 1, 'expected a key'],
    ['a = 1\nb = wrong', 2, 'expected a value'],
    ['a = 1\n[a]', 2, 'already a value'],
  ];
  for (const [text, line, words] of cases) {
    let error = null;
    try {
      page.parseToml(text);
    } catch (e) {
      error = e;
    }
    assert.ok(error instanceof page.TomlError, 'no error for ' + JSON.stringify(text));
    assert.strictEqual(error.line, line, JSON.stringify(text) + ': ' + error.message);
    assert.ok(error.message.includes(words), JSON.stringify(text) + ': ' + error.message);
  }
});

test('the example round trip: form values -> job file -> form values', () => {
  const first = page.checkJob(page.exampleJob());
  assert.deepStrictEqual(first.errors, {});
  const text = page.jobToToml(first.job);
  const back = page.jobFromToml(page.parseToml(text));
  assert.deepStrictEqual(back.unknown, []);
  const again = page.checkJob(back.job);
  assert.deepStrictEqual(again.job, first.job);
  assert.strictEqual(page.jobToToml(again.job), text);
});

test('awkward names and values survive the job file', () => {
  const raw = page.exampleJob();
  raw.title = 'tab\there "quoted" \\ back°';
  raw.materials[0].name = 'glass "fabric"';
  raw.plies.forEach((p) => { p.material = 'glass "fabric"'; });
  raw.load_cases[0].name = 'LC 1.a';
  raw.load_cases[0].px = '-1.25e-7';
  raw.materials[0].E1 = '123456789.5';
  const {job, errors} = page.checkJob(raw);
  assert.deepStrictEqual(errors, {});
  const back = page.checkJob(page.jobFromToml(page.parseToml(page.jobToToml(job))).job).job;
  assert.deepStrictEqual(back, job);
});

test('checks of the values', () => {
  const cases = [
    // [path to set, value, path of the message or null, words]
    ['grid.steps', '7', null],
    ['grid.steps', '8', 'grid.steps', '7 or less'],
    ['grid.steps', '2.5', 'grid.steps', 'whole'],
    ['grid.steps', '0', 'grid.steps', '1 or more'],
    ['grid.angle_step', '2.5', null],           // 180 / 2.5 = 72 intervals
    ['grid.angle_step', '2.4', 'grid.angle_step', '72'],
    ['grid.angle_step', '0', 'grid.angle_step', 'greater than 0'],
    ['grid.angle_high', '-10', 'grid.angle_high', 'below'],
    ['hole.diameter', '1,5', 'hole.diameter', 'not a number'],
    ['hole.diameter', 'Inf', 'hole.diameter', 'not a number'],
    ['hole.diameter', '', 'hole.diameter', 'needed'],
    ['hole.width', '', null],
    ['hole.width', '0', null],
    ['hole.width', '0.2', 'hole.width', 'exceed'],
    ['plies.0.thickness', '-0.005', 'plies.0.thickness', 'greater than 0'],
    ['plies.0.material', 'steel', 'plies.0.material', 'no such'],
    ['materials.0.nu12', '4', 'materials.0.nu12', 'E1/E2'],  // 4^2 > 20/1.4
    ['materials.0.T2', '', 'materials.0.T2', 'needed'],
    ['load_cases.0.name', '', 'load_cases.0.name', 'needed'],
    ['load_cases.0.px', '.5', null],
    ['load_cases.0.px', '5.', null],
    ['load_cases.0.px', '5e', 'load_cases.0.px', 'not a number'],
    ['units.stress', 'bar', 'units.stress', 'unknown'],
  ];
  for (const [where, value, path, words] of cases) {
    const raw = page.exampleJob();
    const parts = where.split('.');
    let t = raw;
    for (const p of parts.slice(0, -1)) t = t[p];
    t[parts[parts.length - 1]] = value;
    const {errors} = page.checkJob(raw);
    if (path === null) {
      assert.deepStrictEqual(errors, {}, where + ' = ' + value);
    } else {
      assert.deepStrictEqual(Object.keys(errors), [path], where + ' = ' + value);
      assert.ok(errors[path].includes(words), where + ' = ' + value + ': ' + errors[path]);
    }
  }
  // Counts: 9 plies, 4 materials, no load case; no criterion makes the allowables optional.
  const raw = page.exampleJob();
  raw.plies = Array(9).fill(raw.plies[0]);
  raw.materials = Array(4).fill(0).map((_, i) => ({...raw.materials[0], name: 'm' + i}));
  raw.plies.forEach((p, i) => { raw.plies[i] = {...p, material: 'm0'}; });
  raw.load_cases = [];
  raw.failure.criteria = [];
  raw.results.tables = ['properties', 'stresses'];
  for (const k of ['T1', 'C1', 'T2', 'C2', 'S12']) raw.materials[0][k] = '';
  assert.deepStrictEqual(Object.keys(page.checkJob(raw).errors).sort(),
                         ['load_cases', 'materials', 'plies']);
  // Duplicate names.
  const twice = page.exampleJob();
  twice.load_cases.push({...twice.load_cases[0]});
  assert.deepStrictEqual(Object.keys(page.checkJob(twice).errors), ['load_cases.1.name']);
});

test('allowables, the finite-width correction and the carpet plot', () => {
  const strains = {strain_T1: 0.01, strain_C1: 0.009, strain_T2: 0.006, strain_C2: 0.02,
                   strain_S12: 0.015};
  const none = {T1: '', C1: '', T2: '', C2: '', S12: ''};
  const cases = [
    // [changes to the example (material, hole, failure, other), paths of the messages]
    [{material: {strain_T1: 0.01}}, ['strain_C1', 'strain_T2', 'strain_C2', 'strain_S12']
        .map((k) => 'materials.0.' + k)],
    [{material: strains}, []],
    [{material: {...strains, ...none}, failure: {criteria: ['max-strain']}}, []],
    [{material: {...strains, ...none}, failure: {criteria: ['max-strain', 'hoffman']}},
     ['T1', 'C1', 'T2', 'C2', 'S12'].map((k) => 'materials.0.' + k)],
    [{material: {T2: ''}, failure: {criteria: []}, other: {results: {tables: ['stresses']}}},
     ['materials.0.T2']],  // given in part: all five or none
    [{material: none, failure: {criteria: ['tsai-wu']}, other: {results: {tables: ['stresses']}}},
     []],                  // no failure table: no allowables needed
    [{failure: {criteria: []}}, ['failure.criteria']],  // the failure and reserve tables
    [{failure: {distance: '', factor_of_safety: ''}}, []],
    [{hole: {finite_width_correction: 'tan'}}, []],
    [{hole: {finite_width_correction: 'tan', width: ''}}, ['hole.finite_width_correction']],
    [{hole: {finite_width_correction: 'Tan'}}, ['hole.finite_width_correction']],
    [{other: {carpet: true}}, []],
    [{other: {carpet: true, plies: []}}, ['plies', 'carpet']],
  ];
  for (const [change, paths] of cases) {
    const raw = page.exampleJob();
    Object.assign(raw.materials[0], change.material || {});
    Object.assign(raw.hole, change.hole || {});
    Object.assign(raw.failure, change.failure || {});
    Object.assign(raw, change.other || {});
    assert.deepStrictEqual(Object.keys(page.checkJob(raw).errors).sort(), paths.slice().sort(),
                           JSON.stringify(change));
  }
  // They reach the job file and come back.
  const raw = page.exampleJob();
  Object.assign(raw.materials[0], strains);
  raw.hole.finite_width_correction = 'tan';
  raw.carpet = true;
  const {job} = page.checkJob(raw);
  const text = page.jobToToml(job);
  for (const line of ['strain_S12 = 0.015', 'finite_width_correction = "tan"', '[carpet]']) {
    assert.ok(text.includes(line), line);
  }
  const back = page.jobFromToml(page.parseToml(text));
  assert.deepStrictEqual(back.unknown, []);
  assert.deepStrictEqual(page.checkJob(back.job).job, job);
});

test('the strip model and the bolt series', () => {
  const strip = (hole, loads) => {
    const raw = page.exampleJob();
    Object.assign(raw.hole, {model: 'strip', finite_width_correction: 'none'}, hole);
    raw.load_cases = [Object.assign({name: 'LC1', bearing: 20000, bypass: 0}, loads)];
    return raw;
  };
  const infinite = (hole, loads) => {
    const raw = page.exampleJob();
    Object.assign(raw.hole, hole);
    Object.assign(raw.load_cases[0], loads);
    return raw;
  };
  const cases = [
    // [the raw job, paths of the messages]
    [strip({}, {}), []],
    [strip({edge_distance: 0.5}, {}), []],
    [strip({}, {bypass: 5000}), []],
    [strip({}, {bypass: -5000, bolt_angle: 0}), []],
    [strip({edge_distance: 0.5}, {bypass: 5000}), ['load_cases.0.bypass']],
    [strip({edge_distance: 0.125}, {}), ['hole.edge_distance']],
    [strip({edge_distance: '0,5'}, {}), ['hole.edge_distance']],
    [strip({width: ''}, {}), ['hole.width']],
    [strip({width: 0.2}, {}), ['hole.width']],
    [strip({finite_width_correction: 'tan'}, {}), ['hole.finite_width_correction']],
    [strip({bolt_series: 'legacy'}, {}), ['hole.bolt_series']],
    [strip({}, {bearing: -1}), ['load_cases.0.bearing']],
    [strip({}, {px: 5000}), ['load_cases']],
    [strip({}, {bolt_angle: 30}), ['load_cases']],
    [strip({model: 'finite'}, {}), ['hole.model']],
    [infinite({edge_distance: 0.5}, {}), ['hole.edge_distance']],
    [infinite({bolt_series: 'legacy'}, {}), []],
    [infinite({bolt_series: 'exact'}, {}), ['hole.bolt_series']],
    [infinite({}, {bypass: 100}), ['load_cases.0.bypass']],
  ];
  for (const [raw, paths] of cases) {
    assert.deepStrictEqual(Object.keys(page.checkJob(raw).errors).sort(), paths.slice().sort(),
                           JSON.stringify([raw.hole, raw.load_cases]));
  }
  // A strip writes its own keys and loads only, and comes back the same; the legacy series of
  // the infinite plate is written, the default left out.
  for (const [raw, lines, absent] of [
    [strip({edge_distance: 0.5}, {}), ['model = "strip"', 'edge_distance = 0.5', 'bearing = 20000.0'],
     ['px', 'bolt_angle', 'finite_width_correction', 'bolt_series']],
    [strip({}, {bypass: 2500}), ['bypass = 2500.0'], ['edge_distance']],
    [infinite({bolt_series: 'legacy'}, {}), ['bolt_series = "legacy"'], ['model', 'bypass']],
    [infinite({}, {}), [], ['bolt_series', 'model']],
  ]) {
    const {job, errors} = page.checkJob(raw);
    assert.deepStrictEqual(errors, {});
    const text = page.jobToToml(job);
    for (const line of lines) assert.ok(text.includes(line), line + '\n' + text);
    for (const key of absent) assert.ok(!new RegExp('^' + key + ' =', 'm').test(text), key + '\n' + text);
    const back = page.jobFromToml(page.parseToml(text));
    assert.deepStrictEqual(back.unknown, []);
    assert.deepStrictEqual(page.checkJob(back.job).job, job);
  }
});

test('every example job file (but those with a file of load cases) fills the form and runs', () => {
  const fs = require('fs');
  const folder = path.join(__dirname, '..', '..', 'examples');
  let count = 0;
  for (const name of fs.readdirSync(folder).filter((n) => n.endsWith('.toml')).sort()) {
    const text = fs.readFileSync(path.join(folder, name), 'utf8');
    if (/^\s*load_cases_file\s*=/m.test(text)) continue;
    const {job, unknown} = page.jobFromToml(page.parseToml(text));
    assert.deepStrictEqual(unknown, [], name);
    const checked = page.checkJob(job);
    assert.deepStrictEqual(checked.errors, {}, name);
    // The job file the page writes reads back to the same job.
    const again = page.checkJob(page.jobFromToml(page.parseToml(page.jobToToml(checked.job))).job);
    assert.deepStrictEqual(again.job, checked.job, name);
    ++count;
  }
  assert.ok(count >= 3, count + ' examples');
});

test('unknown keys of a job file are reported', () => {
  const doc = page.parseToml('titel = "x"\n[hole]\ndiameter = 1\nwidht = 2\n[[plies]]\nangel = 3');
  assert.deepStrictEqual(page.jobFromToml(doc).unknown, ['titel', 'plies[1].angel', 'hole.widht']);
});

test('base64url', () => {
  for (const text of ['', 'a', 'ab', 'abc', 'title = "Ø 6.35 mm, ±45°"\n', '\u{1F600}?>>~~~']) {
    const e = page.base64urlEncode(text);
    assert.ok(/^[A-Za-z0-9_-]*$/.test(e), e);
    assert.strictEqual(page.base64urlDecode(e), text);
    assert.strictEqual(page.base64urlDecode(e + '='.repeat((4 - e.length % 4) % 4)), text);
    assert.strictEqual(e, Buffer.from(text, 'utf8').toString('base64url'));
  }
  assert.throws(() => page.base64urlDecode('a+b'));
  assert.throws(() => page.base64urlDecode('a'));
  assert.throws(() => page.base64urlDecode('_w'));  // 0xff: not UTF-8
});

if (failures) {
  console.log(failures + ' failed');
  process.exit(1);
}
console.log('page.js: all tests passed');

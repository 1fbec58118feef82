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
    ['grid.steps', '1000', null],               // the module bounds the working storage
    ['grid.steps', '2.5', 'grid.steps', 'whole'],
    ['grid.steps', '0', 'grid.steps', '1 or more'],
    ['grid.angle_step', '0.05', null],          // 3600 intervals
    ['grid.angle_step', '-2', 'grid.angle_step', 'greater than 0'],
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
  // Counts: any number of plies and materials, but at least one of each and a load case; no
  // criterion makes the allowables optional.
  const raw = page.exampleJob();
  raw.plies = Array(9).fill(raw.plies[0]);
  raw.materials = Array(4).fill(0).map((_, i) => ({...raw.materials[0], name: 'm' + i}));
  raw.plies.forEach((p, i) => { raw.plies[i] = {...p, material: 'm0'}; });
  raw.load_cases = [];
  raw.failure.criteria = [];
  raw.results.tables = ['properties', 'stresses'];
  for (const k of ['T1', 'C1', 'T2', 'C2', 'S12']) raw.materials[0][k] = '';
  assert.deepStrictEqual(Object.keys(page.checkJob(raw).errors), ['load_cases']);
  raw.plies = [];
  raw.materials = [];
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

test('the characteristic distances and the method reach the job file and come back', () => {
  const cases = [
    // [failure fields as typed, the job file's lines, the message paths]
    [{distance: '0.5, 1, 1.5'}, ['distance = [0.5, 1.0, 1.5]'], []],
    [{distance: '[0.25]'}, ['distance = [0.25]'], []],
    [{distance: '', distance_tension: '0.04', distance_compression: '0.09', method: 'average'},
     ['distance_tension = 0.04', 'distance_compression = 0.09', 'method = "average"'], []],
    [{distance: '', distance_tension: '0.04, 0.05', distance_compression: '0.09, 0.1',
      method: 'average', average_rule: 'simpson', average_points: '33'},
     ['distance_tension = [0.04, 0.05]', 'average_rule = "simpson"', 'average_points = 33'], []],
    [{method: 'point', average_points: '3'}, ['distance = 0.05'], []],  // not for point stress
    [{distance: '0.5, x'}, [], ['failure.distance']],
    [{distance: '-1'}, [], ['failure.distance']],
    [{distance_tension: '0.04', distance_compression: '0.09'}, [], ['failure.distance']],
    [{distance: '', distance_tension: '0.04'}, [], ['failure.distance_compression']],
    [{distance: '', distance_tension: '0.04, 0.05', distance_compression: '0.09'}, [],
     ['failure.distance_compression']],
    [{method: 'average', average_rule: 'simpson', average_points: '8'}, [],
     ['failure.average_points']],
    [{method: 'mean'}, [], ['failure.method']],
  ];
  for (const [fields, lines, paths] of cases) {
    const raw = page.exampleJob();
    Object.assign(raw.failure, fields);
    const {job, errors} = page.checkJob(raw);
    assert.deepStrictEqual(Object.keys(errors).sort(), paths.slice().sort(), JSON.stringify(fields));
    if (paths.length) continue;
    const text = page.jobToToml(job);
    for (const line of lines) assert.ok(text.includes(line + '\n'), line + ' in\n' + text);
    if (fields.method === 'point') assert.ok(!text.includes('average_points'), text);
    const back = page.jobFromToml(page.parseToml(text));
    assert.deepStrictEqual(back.unknown, []);
    assert.deepStrictEqual(page.checkJob(back.job).job, job, JSON.stringify(fields));
  }
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

// A job that takes its materials from a file beside it, with that file's materials copied in,
// as the page asks its reader to do.
const fs = require('fs');
const examples = path.join(__dirname, '..', '..', 'examples');
function withMaterialsCopied(text) {
  const file = /^\s*materials_file\s*=\s*"([^"]*)"/m.exec(text)[1];
  return text.replace(/^\s*materials_file\s*=.*$/m, '') + '\n' +
      fs.readFileSync(path.join(examples, file), 'utf8');
}

test('every example job file (but those with a file of load cases) fills the form and runs', () => {
  let count = 0, refused = 0, joints = 0;
  for (const name of fs.readdirSync(examples).filter((n) => n.endsWith('.toml')).sort()) {
    let text = fs.readFileSync(path.join(examples, name), 'utf8');
    if (/^\s*load_cases_file\s*=/m.test(text)) continue;
    const joint = /^\s*\[joint\]/m.test(text);
    if (!joint && !/^\s*\[hole\]/m.test(text)) continue;  // a material library, not a job
    if (/^\s*materials_file\s*=/m.test(text)) {
      // Refused at load, naming the file whose materials to copy; with them copied it runs.
      const {refusal} = page.jobFromToml(page.parseToml(text));
      const file = /^\s*materials_file\s*=\s*"([^"]*)"/m.exec(text)[1];
      assert.strictEqual(refusal, 'the page reads a single job file: copy the materials of "' +
                                  file + '" into [materials]', name);
      ++refused;
      text = withMaterialsCopied(text);
    }
    const {job, unknown, refusal} = page.jobFromToml(page.parseToml(text));
    assert.strictEqual(refusal, null, name);
    assert.deepStrictEqual(unknown, [], name);
    const checked = page.checkJob(job);
    assert.deepStrictEqual(checked.errors, {}, name);
    // The job file the page writes reads back to the same job.
    const again = page.checkJob(page.jobFromToml(page.parseToml(page.jobToToml(checked.job))).job);
    assert.deepStrictEqual(again.job, checked.job, name);
    // A joint job file the page writes holds what the file held, to the last key.
    if (joint) assert.deepStrictEqual(page.parseToml(page.jobToToml(checked.job)), page.parseToml(text), name);
    joints += joint ? 1 : 0;
    ++count;
  }
  assert.ok(count >= 3 && refused >= 1 && joints >= 1,
            count + ' examples, ' + refused + ' with a materials file, ' + joints + ' joints');
});

// A stand-in for the module's expansion of a layup, for the layups of these tests.
const EXPANDED = {
  '[0/45:glass]': {angles: [0, 45], materials: ['', 'glass']},
  '[0/±45/90]s': {angles: [0, 45, -45, 90, 90, -45, 45, 0], materials: Array(8).fill('')},
  '[0/45:steel]': {angles: [0, 45], materials: ['', 'steel']},
};
const expand = (text) => EXPANDED[text] || {error: 'expected / or ]', column: 3};

// Two materials and a layup in a [laminate] table, its fields as typed.
function layupJob(laminate) {
  const raw = page.exampleJob();
  raw.materials.push({...raw.materials[0], name: 'glass'});
  raw.plies = [];
  raw.laminate = {layup: '[0/45:glass]', material: 'carbon', ply_thickness: '0.005', ...laminate};
  return raw;
}

test('a layup: its checks, with the plies the module expands it into', () => {
  const cases = [
    // [laminate fields, paths of the messages, words of the first]
    [{}, []],
    [{ply_thickness: {carbon: '0.005', glass: '0.0075'}}, []],
    [{ply_thickness: {carbon: '0.005', glass: ''}}, ['laminate.ply_thickness.1'], 'glass'],
    [{ply_thickness: {carbon: '', glass: ''}}, ['laminate.ply_thickness'], 'each material'],
    [{ply_thickness: {carbon: '-1', glass: '0.1'}}, ['laminate.ply_thickness.0'], 'greater than 0'],
    [{ply_thickness: {carbon: '0.1', glass: '0.1', steel: '1'}}, ['laminate.ply_thickness'], 'steel'],
    [{ply_thickness: ''}, ['laminate.ply_thickness'], 'needed'],
    [{layup: ''}, ['laminate.layup'], 'needed'],
    [{layup: '[0/45'}, ['laminate.layup'], 'column 3: expected / or ]'],
    [{layup: '[0/45:steel]'}, ['laminate.layup'], 'column 7: no material "steel"'],
    [{material: ''}, ['laminate.material'], 'some plies name no material'],
    [{material: 'steel'}, ['laminate.material'], 'no such'],
    [{layup: '[0/±45/90]s', material: 'glass'}, []],
  ];
  for (const [laminate, paths, words] of cases) {
    const {errors, stack} = page.checkJob(layupJob(laminate), expand);
    assert.deepStrictEqual(Object.keys(errors), paths, JSON.stringify(laminate));
    if (words) assert.ok(errors[paths[0]].includes(words), JSON.stringify(laminate) + ': ' + errors[paths[0]]);
    if (!paths.length) assert.strictEqual(stack.angles.length, stack.thicknesses.length);
  }
  // The stack: each ply's material and thickness.
  const {stack} = page.checkJob(layupJob({ply_thickness: {carbon: '0.005', glass: '0.0075'}}), expand);
  assert.deepStrictEqual(stack, {angles: [0, 45], materials: ['carbon', 'glass'],
                                 thicknesses: [0.005, 0.0075]});
  // Without the module the layup is taken as typed, and the carpet plot waits for it.
  const later = layupJob({layup: '[0/45'});
  later.carpet = true;
  assert.deepStrictEqual(page.checkJob(later).errors, {});
  assert.deepStrictEqual(Object.keys(page.checkJob(later, expand).errors), ['laminate.layup']);
  later.laminate.layup = '[0/±45/90]s';
  assert.deepStrictEqual(Object.keys(page.checkJob(later, expand).errors), ['carpet']);
});

test('[laminate] through the job file and back, a table of thicknesses included', () => {
  const raw = layupJob({ply_thickness: {carbon: '0.005', glass: '0.0075'}, layup: '[0/±45/90]s'});
  raw.materials[1].name = 'glass fabric';
  raw.laminate.ply_thickness = {carbon: '0.005', 'glass fabric': '0.0075'};
  const {job, errors} = page.checkJob(raw);
  assert.deepStrictEqual(errors, {});
  const text = page.jobToToml(job);
  assert.ok(text.includes('[laminate]\nlayup = "[0/±45/90]s"\nmaterial = "carbon"\n' +
                          'ply_thickness = { carbon = 0.005, "glass fabric" = 0.0075 }\n'), text);
  assert.ok(!text.includes('[[plies]]'), text);
  const back = page.jobFromToml(page.parseToml(text));
  assert.deepStrictEqual([back.unknown, back.refusal], [[], null]);
  assert.deepStrictEqual(page.checkJob(back.job).job, job);
  // One thickness for all; with one material the layup's material may be left out.
  const one = page.jobFromToml(page.parseToml(
      '[materials.c]\nE1 = 1\n[laminate]\nlayup = "[0/90]s"\nply_thickness = 0.125\nplys = 1'));
  assert.deepStrictEqual(one.job.laminate, {layup: '[0/90]s', material: 'c', ply_thickness: 0.125, plys: 1});
  assert.deepStrictEqual(one.unknown, ['laminate.plys']);
  assert.deepStrictEqual(one.job.plies, []);
});

test('a job the page cannot take: a materials file, or both a layup and ply rows', () => {
  const cases = [
    ['materials_file = "lib/materials.toml"\n[hole]\ndiameter = 1',
     'the page reads a single job file: copy the materials of "lib/materials.toml" into [materials]'],
    ['materials_file = 3', 'the page reads a single job file: copy the materials of its materials_file into [materials]'],
    ['[laminate]\nlayup = "[0]"\n[[plies]]\nangle = 0', 'the job gives both a [laminate] and [[plies]]: keep one of them'],
    ['[laminate]\nlayup = "[0]"', null],
  ];
  for (const [text, refusal] of cases) {
    assert.strictEqual(page.jobFromToml(page.parseToml(text)).refusal, refusal, text);
  }
});

test('100 materials and 1,000 plies through the job file and back', () => {
  const raw = page.exampleJob();
  raw.materials = Array.from({length: 100}, (_, i) => ({...raw.materials[0], name: 'm' + i,
                                                        E1: 20e6 + 1000 * i}));
  raw.plies = Array.from({length: 1000}, (_, i) => ({angle: [0, 45, -45, 90][i % 4] + i / 1000,
                                                     thickness: 0.005 + i * 1e-7, material: 'm' + (i % 100)}));
  raw.grid.steps = 1000;
  raw.grid.angle_step = 0.1;  // 3600 angle stations from 0 to 360
  raw.grid.angle_high = 360;
  const started = Date.now();
  const first = page.checkJob(raw);
  assert.deepStrictEqual(first.errors, {});
  const text = page.jobToToml(first.job);
  const back = page.jobFromToml(page.parseToml(text));
  assert.deepStrictEqual([back.unknown, back.refusal], [[], null]);
  const again = page.checkJob(back.job);
  assert.deepStrictEqual(again.errors, {});
  assert.deepStrictEqual(again.job, first.job);
  assert.strictEqual(again.job.plies.length, 1000);
  assert.strictEqual(again.job.materials.length, 100);
  assert.strictEqual(page.jobToToml(again.job), text);
  const ms = Date.now() - started;
  assert.ok(ms < 2000, ms + ' ms');
  console.log('100 materials, 1000 plies: checked, written (' + text.length + ' characters), read ' +
              'and checked again in ' + ms + ' ms');
});

test("the module's messages at the form's fields", () => {
  const job = page.exampleJob();
  job.materials.push({name: 'glass'});
  const cases = [
    // [message line, path, message shown there]
    ['job.toml:40:1: grid: 3601 stations times 1000 distance steps with 4 plies need 107.3 GiB of ' +
     'working storage, more than the limit of 2 GiB: use fewer stations, steps or plies', 'grid',
     '3601 stations times 1000 distance steps with 4 plies need 107.3 GiB of working storage, ' +
     'more than the limit of 2 GiB: use fewer stations, steps or plies'],
    ['job.toml:41:9: grid.steps: must be from 1 to 10000000', 'grid.steps', 'must be from 1 to 10000000'],
    ['job.toml:12:15: laminate.layup: expected / or ]', 'laminate.layup', 'column 6: expected / or ]'],
    ['job.toml:13:12: laminate.material: unknown material "x"', 'laminate.material', 'unknown material "x"'],
    ['job.toml:14:21: laminate.ply_thickness.glass: must be greater than 0', 'laminate.ply_thickness.1',
     'must be greater than 0'],
    ['job.toml:20:9: plies[2].thickness: must be greater than 0', 'plies.2.thickness', 'must be greater than 0'],
    ['job.toml:5:6: materials.glass.E2: expected a number, found a string', 'materials.1.E2',
     'expected a number, found a string'],
    ['job.toml:30:1: load_cases[1].px: must be finite', 'load_cases.1.px', 'must be finite'],
    ['job.toml:0:0: the job needs more memory than the page has', null],
  ];
  for (const [line, path, message] of cases) {
    const want = path === null ? {} : {[path]: message};
    assert.deepStrictEqual(page.fieldMessages(line + '\n', job), want, line);
  }
});

// The joint example as the form holds it, changed by `change` (a function of the raw job).
function jointJob(change) {
  const raw = page.jointExampleJob();
  if (change) change(raw);
  return raw;
}

test('the joint example: form -> job file -> form, and the example file the page writes', () => {
  const first = page.checkJob(page.jointExampleJob());
  assert.deepStrictEqual(first.errors, {});
  const text = page.jobToToml(first.job);
  const file = fs.readFileSync(path.join(examples, 'joint-single-shear.toml'), 'utf8');
  assert.deepStrictEqual(page.parseToml(text), page.parseToml(file));
  for (const line of ['[materials.aluminium]\nE = 72000.0\nnu = 0.33\n', '[laminates.skin]\n',
                      'laminate = "skin"\n', 'count = 3\n', 'hole_model = "strip"\n']) {
    assert.ok(text.includes(line), line + ' in\n' + text);
  }
  assert.ok(!/^\[(grid|hole|results)\]|^\[\[(plies|load_cases)\]\]/m.test(text), text);
  const back = page.jobFromToml(page.parseToml(text));
  assert.deepStrictEqual([back.unknown, back.refusal], [[], null]);
  assert.deepStrictEqual(page.checkJob(back.job).job, first.job);
  assert.strictEqual(page.jobToToml(page.checkJob(back.job).job), text);
});

// The job as the form hands it over: every value the text of its field, a field left empty ''.
function asTyped(value) {
  if (Array.isArray(value)) return value.map(asTyped);
  if (value && typeof value === 'object') {
    return Object.fromEntries(Object.entries(value).map(([k, v]) => [k, asTyped(v)]));
  }
  return typeof value === 'number' ? String(value) : value;
}

// The joint example as the form reads it (texts, the grid's five fields and the failure fields it
// does not use empty) runs the example file itself, key for key: no [grid] of its own, nor any
// grid, distance, criterion or hole model other than the file's. And a grid in those fields (a
// hole job's, 30 degrees apart) is written and run, never dropped: the grid fields must be the
// joint's own.
test('the joint example as typed in the form: the example file, and the grid of its fields', () => {
  const file = fs.readFileSync(path.join(examples, 'joint-single-shear.toml'), 'utf8');
  const typed = asTyped(page.jointExampleJob());
  typed.grid = {angle_step: '', angle_low: '', angle_high: '', distance_step: '', steps: ''};
  Object.assign(typed.failure, {distance_tension: '', distance_compression: '', method: 'point',
                                average_rule: 'gauss-legendre', average_points: ''});
  const {job, errors} = page.checkJob(typed);
  assert.deepStrictEqual(errors, {});
  const text = page.jobToToml(job);
  assert.deepStrictEqual(page.parseToml(text), page.parseToml(file), text);
  const read = page.jobFromToml(page.parseToml(file));
  assert.deepStrictEqual(page.checkJob(asTyped(read.job)).job, job);
  const hole = page.exampleJob().grid;
  typed.grid = asTyped(hole);
  const gridded = page.parseToml(page.jobToToml(page.checkJob(typed).job));
  assert.deepStrictEqual(gridded.grid, hole);
  assert.notDeepStrictEqual(gridded, page.parseToml(file));
});

test('a double-shear joint of a metal middle plate, a grid and a curve through the file and back', () => {
  const raw = jointJob((j) => {
    j.joint.shear = 'double';
    j.joint.fastener_flexibility = 'swift';
    j.joint.hole_model = 'infinite';
    j.joint.load = '-5e3';
    j.joint.plates = [{...j.joint.plates[0], laminate: {layup: '[45/0/-45/90]s', material: 'carbon',
                                                         ply_thickness: {carbon: '0.125', aluminium: ''}}},
                      {...j.joint.plates[1], name: 'strap "a"'},
                      {...j.joint.plates[0], name: 'skin 2'}];
    j.joint.rows[1].count = '';  // one fastener across: the key left out
    j.grid = {angle_step: '5', angle_low: '0', angle_high: '360', distance_step: '0.5', steps: '2'};
    j.failure = {criteria: ['hoffman'], distance: '', distance_tension: '0.4',
                 distance_compression: '0.9', factor_of_safety: '1.2'};
  });
  const {job, errors} = page.checkJob(raw);
  assert.deepStrictEqual(errors, {});
  const text = page.jobToToml(job);
  for (const line of ['shear = "double"', 'load = -5000.0', 'name = "strap \\"a\\""',
                      '[laminates."skin 2"]', 'laminate = "skin 2"', 'ply_thickness = { carbon = 0.125 }',
                      '[grid]\nangle_step = 5.0', 'distance_tension = 0.4']) {
    assert.ok(text.includes(line), line + ' in\n' + text);
  }
  assert.strictEqual((text.match(/^count = /mg) || []).length, 2, text);
  const back = page.jobFromToml(page.parseToml(text));
  assert.deepStrictEqual([back.unknown, back.refusal], [[], null]);
  assert.deepStrictEqual(page.checkJob(back.job).job, job);
});

test('the mistakes of a joint job, each at its field', () => {
  const cases = [
    // [change to the joint example, paths of the messages, words of the first]
    [(j) => { j.joint.shear = 'double'; }, ['joint.plates'], '3 plates'],
    [(j) => { j.joint.shear = 'triple'; }, ['joint.shear'], 'single or double'],
    [(j) => { j.joint.load = '0'; }, ['joint.load'], 'not be 0'],
    [(j) => { j.joint.load = '-1000'; }, ['joint.load'], 'infinite plate'],
    [(j) => { j.joint.load = '-1000'; j.joint.hole_model = 'infinite'; }, []],
    [(j) => { j.joint.fastener_flexibility = 'huth-bolted'; }, ['joint.fastener_flexibility'], 'swift'],
    [(j) => { j.joint.plates[1].name = 'skin'; }, ['joint.plates.1.name'], 'used twice'],
    [(j) => { j.joint.plates[1].name = 'a,b'; }, ['joint.plates.1.name'], 'comma'],
    [(j) => { j.joint.plates[1].material = 'carbon'; }, ['joint.plates.1.material'], 'metal'],
    [(j) => { j.joint.plates[1].material = 'steel'; }, ['joint.plates.1.material'], 'no such'],
    [(j) => { j.joint.plates[1].thickness = ''; }, ['joint.plates.1.thickness'], 'needed'],
    [(j) => { j.joint.plates[0].laminate.layup = ''; }, ['joint.plates.0.laminate.layup'], 'needed'],
    [(j) => { j.joint.plates[0].laminate.material = 'steel'; }, ['joint.plates.0.laminate.material'], 'no such'],
    [(j) => { j.joint.plates[0].width = '-75'; }, ['joint.plates.0.width'], 'greater than 0'],
    [(j) => { j.joint.plates[0].edge_distance = '3'; }, ['joint.plates.0.edge_distance'], 'row 3'],
    [(j) => { j.joint.plates[1].edge_distance = '3'; }, ['joint.plates.1.edge_distance'], 'row 1'],
    [(j) => { j.joint.rows[1].x = '0'; }, ['joint.rows.1.x'], 'greater than the x of row 1'],
    [(j) => { j.joint.rows[1].x = '6'; }, ['joint.rows.1.x'], 'overlap'],
    [(j) => { j.joint.rows[2].count = '12'; }, ['joint.rows.2.count'], 'do not fit across plate skin'],
    [(j) => { j.joint.rows[2].count = '2.5'; }, ['joint.rows.2.count'], 'whole'],
    [(j) => { j.joint.rows[2].count = ''; j.joint.rows[2].diameter = '80'; },
     ['joint.rows.2.diameter', 'joint.rows.2.x'], 'do not fit'],
    [(j) => { j.joint.rows[0].fastener_nu = '0.6'; }, ['joint.rows.0.fastener_nu'], '0.5 or less'],
    [(j) => { j.joint.rows[0].fastener_nu = '-1'; }, ['joint.rows.0.fastener_nu'], 'greater than -1'],
    [(j) => { j.joint.rows = []; }, ['joint.rows'], 'at least one'],
    [(j) => { j.materials[1].nu = '0.7'; }, ['materials.1.nu'], '0.5 or less'],
    [(j) => { j.materials[1].T1 = ''; }, ['materials.1.T1'], 'needed'],
    [(j) => { j.failure.criteria = []; }, ['failure.criteria'], 'at least one criterion'],
    [(j) => { j.failure.distance = '0.5, 1'; }, ['failure.distance'], 'one distance'],
    [(j) => { j.failure.distance = ''; }, ['failure.distance'], 'needed'],
    [(j) => { j.grid.steps = '2'; }, ['grid.angle_high', 'grid.angle_low', 'grid.angle_step', 'grid.distance_step'], 'needed'],
  ];
  for (const [change, paths, words] of cases) {
    const {errors} = page.checkJob(jointJob(change));
    assert.deepStrictEqual(Object.keys(errors).sort(), paths.slice().sort(), change.toString());
    if (words) assert.ok(errors[paths[0]].includes(words), change.toString() + ': ' + errors[paths[0]]);
  }
  // The layup as the module expands it, under the plate's fields.
  const {errors, stacks} = page.checkJob(jointJob((j) => { j.joint.plates[0].laminate.layup = '[0/±45/90]s'; }), expand);
  assert.deepStrictEqual(errors, {});
  assert.deepStrictEqual([stacks[0].angles.length, stacks[0].thicknesses[0], stacks[1]], [8, 0.125, null]);
  const wrong = page.checkJob(jointJob((j) => { j.joint.plates[0].laminate.layup = '[0/45'; }), expand);
  assert.deepStrictEqual(wrong.errors, {'joint.plates.0.laminate.layup': 'column 3: expected / or ]'});
});

test('a joint job file: laminates given ply by ply, another name, keys a joint does not know', () => {
  const file = fs.readFileSync(path.join(examples, 'joint-single-shear.toml'), 'utf8')
      .replace('[laminates.skin]\nlayup = "[45/0/-45/90]2s"    # 16 plies, 2 mm\nmaterial = "carbon"\n' +
               'ply_thickness = 0.125        # mm\n',
               '[[laminates.sheet.plies]]\nangle = 0\nthickness = 0.25\nmaterial = "carbon"\n' +
               '[[laminates.sheet.plies]]\nangle = 90\nthickness = 0.25\nmaterial = "carbon"\n')
      .replace('laminate = "skin"', 'laminate = "sheet"') + '\n[hole]\ndiameter = 1\n';
  const read = page.jobFromToml(page.parseToml(file));
  assert.strictEqual(read.refusal, null);
  assert.deepStrictEqual(read.unknown, ['hole']);
  assert.deepStrictEqual(read.job.joint.plates[0].laminate, {layup: '[0/90]', material: 'carbon', ply_thickness: 0.25});
  // Written back under the plate's name.
  const text = page.jobToToml(page.checkJob(read.job).job);
  assert.ok(text.includes('[laminates.skin]\nlayup = "[0/90]"') && text.includes('laminate = "skin"'), text);
  // Plies of one material of two thicknesses: no layup holds them.
  const uneven = file.replace('angle = 90\nthickness = 0.25', 'angle = 90\nthickness = 0.3');
  assert.ok(/ply by ply/.test(page.jobFromToml(page.parseToml(uneven)).refusal));
  const cases = [
    [[{angle: 0, thickness: 0.1}, {angle: 45, thickness: 0.2, material: 'glass'}], 'carbon',
     {layup: '[0/45:glass]', material: 'carbon', ply_thickness: {carbon: 0.1, glass: 0.2}}],
    [[{angle: 0, thickness: 0.1, material: 'a b'}, {angle: 45, thickness: 0.1, material: 'c'}], '',
     {layup: '[0/45:c]', material: 'a b', ply_thickness: 0.1}],
    [[{angle: 0, thickness: 0.1}, {angle: 45, thickness: 0.1, material: 'a b'}], 'c', null],
    [[], 'c', null],
  ];
  for (const [plies, fallback, want] of cases) {
    assert.deepStrictEqual(page.layupFromPlies(plies, fallback), want, JSON.stringify(plies));
  }
});

test("the module's messages about a joint at the joint's fields", () => {
  const job = page.jointExampleJob();
  const cases = [
    ['joint.toml:30:8: joint.load: must not be 0', 'joint.load', 'must not be 0'],
    ['joint.toml:41:9: joint.plates[1].edge_distance: must be greater than half the diameter',
     'joint.plates.1.edge_distance', 'must be greater than half the diameter'],
    ['joint.toml:38:1: joint.plates[0]: the stations of the hole reach beyond its strip',
     'joint.plates.0', 'the stations of the hole reach beyond its strip'],
    ['joint.toml:50:5: joint.rows[2].count: the fasteners do not fit', 'joint.rows.2.count',
     'the fasteners do not fit'],
    ['joint.toml:25:13: laminates.skin.layup: expected / or ]', 'joint.plates.0.laminate.layup',
     'column 4: expected / or ]'],
    ['joint.toml:27:17: laminates.skin.ply_thickness.carbon: must be greater than 0',
     'joint.plates.0.laminate.ply_thickness.0', 'must be greater than 0'],
    ['joint.toml:25:1: laminates.other.layup: x', 'joint.plates', 'x'],
    ['joint.toml:0:0: joint: the members have no stiffness', 'joint', 'the members have no stiffness'],
    ['joint.toml:20:5: materials.aluminium.nu: must be from -1 to 0.5', 'materials.1.nu', 'must be from -1 to 0.5'],
  ];
  for (const [line, where, message] of cases) {
    assert.deepStrictEqual(page.fieldMessages(line + '\n', job), {[where]: message}, line);
  }
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

// Runs job files through the page's module under node, as the page does:
//
//   node run_module.js MODULE_JS JOB.toml...
//
// Prints one JSON array: per job, {"file", "version", "ms", "response"}, the response being the
// text runJob answered, untouched (parsed and written again by node, 10000.0 would become 10000),
// and for a job with layups ([laminate] or a joint's [laminates.NAME], layup = "..."), "layups":
// each layup with what expandLayup makes of it.
// The module is the single-file Emscripten output (the WebAssembly inside it), which node loads
// without fetching anything.
'use strict';
const fs = require('fs');
const path = require('path');

async function main() {
  const [modulePath, ...jobs] = process.argv.slice(2);
  if (!modulePath) {
    process.stderr.write('usage: node run_module.js MODULE_JS JOB.toml...\n');
    process.exit(2);
  }
  const createHolestress = require(path.resolve(modulePath));
  const module = await createHolestress();
  const out = [];
  for (const job of jobs) {
    const text = fs.readFileSync(job, 'utf8');
    const started = process.hrtime.bigint();
    const response = module.runJob(text, path.basename(job));
    const ms = Number(process.hrtime.bigint() - started) / 1e6;
    const entry = {file: job, version: module.version(), ms, response};
    // Each layup of the job (the [laminate] of a hole, a joint's [laminates.NAME]): the plies the
    // module's expandLayup makes of it, as the page shows them.
    if (typeof module.expandLayup === 'function') {
      for (const m of text.matchAll(/^\s*layup\s*=\s*"((?:[^"\\]|\\.)*)"/gm)) {
        const layup = JSON.parse('"' + m[1] + '"');
        (entry.layups = entry.layups || []).push({layup, plies: JSON.parse(module.expandLayup(layup))});
      }
    }
    out.push(entry);
  }
  process.stdout.write(JSON.stringify(out));
}

main().catch((e) => {
  process.stderr.write(String(e && e.stack ? e.stack : e) + '\n');
  process.exit(1);
});

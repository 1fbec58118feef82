#!/usr/bin/env bash
# The strip model's benchmark. The batch: reserve factors of ROWS random load cases of bearing and
# bypass (default 1,000,000) in the strip of bench/strip/job.toml (4 plies, stations every 5
# degrees round the hole at one distance, Hoffman), on one thread and on two: load cases per
# second (best of RUNS, default 3) and the peak resident memory; the time includes the strip's one
# solution. Then, when Google Benchmark is there, the time of one strip solution (both unit loads)
# by the microbenchmark BM_StripSolve.
#
#   bench/strip/run.sh [ROWS [RUNS]]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
rows=${1:-1000000}
runs=${2:-3}
build=${HOLESTRESS_BENCH_BUILD:-$root/build-bench}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DHOLESTRESS_TESTS=OFF >/dev/null
cmake --build "$build" --target holestress -j2 >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_loads.py" "$rows" 1 > "$work/loads.csv"
sed "s|load_cases_file = \"loads.csv\"|load_cases_file = \"$work/loads.csv\"|" "$here/job.toml" > "$work/job.toml"
for threads in 1 2; do
  best=
  for ((r = 0; r < runs; ++r)); do
    /usr/bin/time -f "%e %M" -o "$work/time" "$build/holestress" run "$work/job.toml" \
      --threads "$threads" > "$work/out.csv"
    read -r seconds kb < "$work/time"
    if [[ -z $best ]] || awk "BEGIN{exit !($seconds < $best)}"; then best=$seconds; rss=$kb; fi
  done
  awk -v t="$threads" -v s="$best" -v n="$rows" -v m="$rss" \
    'BEGIN{printf "%d thread(s): %.0f load cases/s (%.2f s for %d), peak %.1f MB\n", t, n/s, s, n, m/1024}'
done
if cmake --build "$build" --target holestress_micro -j2 >/dev/null 2>&1; then
  "$build/bench/holestress_micro" --benchmark_filter=BM_StripSolve --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true
fi

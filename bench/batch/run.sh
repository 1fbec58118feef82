#!/usr/bin/env bash
# The batch benchmark: reserve factors of ROWS random load cases (default 1,000,000) on the
# quasi-isotropic bolted joint (bench/batch/job.toml: 4 plies, stations every 5 degrees round the
# hole at one distance, Hoffman), on one thread and on two. Prints the load average first (the
# figures mean something only below 1 on the 2-core development machine), then load cases per
# second (best of RUNS, default 3) and the peak resident memory. With PROFILE=1 it also records
# where one thread's time goes (perf, package linux-perf) and prints the functions above 1 %.
#
#   bench/batch/run.sh [ROWS [RUNS]]
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
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for threads in 1 2; do
  best=
  for ((r = 0; r < runs; ++r)); do
    /usr/bin/time -f "%e %M" -o "$work/time" "$build/holestress" run "$work/job.toml" \
      --threads "$threads" > "$work/out.csv" 2> /dev/null
    read -r seconds kb < "$work/time"
    if [[ -z $best ]] || awk "BEGIN{exit !($seconds < $best)}"; then best=$seconds; rss=$kb; fi
  done
  awk -v t="$threads" -v s="$best" -v n="$rows" -v m="$rss" \
    'BEGIN{printf "%d thread(s): %.0f load cases/s (%.2f s for %d), peak %.1f MB\n", t, n/s, s, n, m/1024}'
done
if [[ ${PROFILE:-0} == 1 ]]; then
  perf record -o "$work/perf.data" "$build/holestress" run "$work/job.toml" --threads 1 \
    > /dev/null 2>&1
  perf report -i "$work/perf.data" --no-children --percent-limit 1 --stdio 2> /dev/null |
    grep -E '^ +[0-9]'
fi

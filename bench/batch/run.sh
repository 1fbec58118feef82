#!/usr/bin/env bash
# The batch benchmark: reserve factors of ROWS random load cases (default 1,000,000) on the
# quasi-isotropic bolted joint (bench/batch/job.toml: 4 plies, stations every 5 degrees round the
# hole at one distance, Hoffman), on one thread and on two. Prints the load average first (the
# figures mean something only below 1 on the 2-core development machine), then load cases per
# second (best and median of RUNS, default 5, one thread and two in turn) and the peak resident
# memory. With PROFILE=1 it also records
# where one thread's time goes (perf, package linux-perf) and prints the functions above 1 %.
#
#   bench/batch/run.sh [ROWS [RUNS]]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
rows=${1:-1000000}
runs=${2:-5}
build=${HOLESTRESS_BENCH_BUILD:-$root/build-bench}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DHOLESTRESS_TESTS=OFF >/dev/null
cmake --build "$build" --target holestress -j2 >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$here/make_loads.py" "$rows" 1 > "$work/loads.csv"
sed "s|load_cases_file = \"loads.csv\"|load_cases_file = \"$work/loads.csv\"|" "$here/job.toml" > "$work/job.toml"
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
# One thread and two in turn, so that a change of load on the machine falls on both; the
# development machine's speed varies by some 15 % from run to run, so the median says more than
# the best.
for ((r = 0; r < runs; ++r)); do
  for threads in 1 2; do
    /usr/bin/time -f "%e %M" -o "$work/time" "$build/holestress" run "$work/job.toml" \
      --threads "$threads" > "$work/out.csv" 2> /dev/null
    echo "$threads $(cat "$work/time")" >> "$work/times"
  done
done
awk -v n="$rows" '
  { t[$1, ++count[$1]] = $2; if ($3 > rss[$1]) rss[$1] = $3 }
  END {
    for (th = 1; th <= 2; ++th) {
      m = count[th]
      for (i = 1; i <= m; ++i) for (j = i + 1; j <= m; ++j)
        if (t[th, j] < t[th, i]) { x = t[th, i]; t[th, i] = t[th, j]; t[th, j] = x }
      best[th] = t[th, 1]; median[th] = t[th, int((m + 1) / 2)]
      printf "%d thread(s): %.0f load cases/s best (%.2f s for %d), %.0f median (%.2f s), peak %.1f MB\n",
             th, n / best[th], best[th], n, n / median[th], median[th], rss[th] / 1024
    }
    printf "two threads against one: %.2f times (best), %.2f times (median)\n",
           best[1] / best[2], median[1] / median[2]
  }' "$work/times"
if [[ ${PROFILE:-0} == 1 ]]; then
  perf record -o "$work/perf.data" "$build/holestress" run "$work/job.toml" --threads 1 \
    > /dev/null 2>&1
  perf report -i "$work/perf.data" --no-children --percent-limit 1 --stdio 2> /dev/null |
    grep -E '^ +[0-9]'
fi

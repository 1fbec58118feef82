#!/usr/bin/env bash
# Builds the release configuration in build-bench and times the three benchmark jobs: for each,
# the median, minimum and maximum wall time over RUNS runs (default 11) with the output sent to
# /dev/null, and the largest peak resident set size seen. With --micro, also runs the
# microbenchmarks. Timings are of the whole process (start-up included), taken with the shell's
# microsecond clock; peak memory comes from GNU time.
#
#   bench/run.sh [--micro] [RUNS]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(dirname "$here")"
build="$root/build-bench"

micro=0
if [[ "${1:-}" == "--micro" ]]; then
  micro=1
  shift
fi
runs="${1:-11}"
if ! [[ "$runs" =~ ^[0-9]+$ ]] || ((runs < 5)); then
  echo "usage: bench/run.sh [--micro] [RUNS >= 5]" >&2
  exit 2
fi

cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DHOLESTRESS_TESTS=OFF >/dev/null
targets=(holestress)
((micro)) && targets+=(holestress_micro)
cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null
exe="$build/holestress"

# Seconds, with microseconds, from bash's EPOCHREALTIME.
now() { echo "${EPOCHREALTIME/[.,]/}"; }

printf '%-24s %5s %9s %9s %9s %10s\n' job runs median_s min_s max_s peak_rss_kB
for job in carpet-all-tables carpet-search-hoffman single-everything; do
  input="$here/$job.in"
  "$exe" <"$input" >/dev/null  # warm the page cache
  times=()
  for ((k = 0; k < runs; k++)); do
    t0=$(now)
    "$exe" <"$input" >/dev/null
    t1=$(now)
    times+=($((t1 - t0)))
  done
  rss=0
  for ((k = 0; k < 5; k++)); do
    r=$(/usr/bin/time -f '%M' "$exe" <"$input" 2>&1 >/dev/null | tail -n 1)
    ((r > rss)) && rss=$r
  done
  mapfile -t sorted < <(printf '%s\n' "${times[@]}" | sort -n)
  n=${#sorted[@]}
  if ((n % 2)); then
    median=${sorted[n / 2]}
  else
    median=$(((sorted[n / 2 - 1] + sorted[n / 2]) / 2))
  fi
  sec() { printf '%d.%06d' $(($1 / 1000000)) $(($1 % 1000000)); }
  printf '%-24s %5d %9s %9s %9s %10d\n' "$job" "$n" "$(sec "$median")" "$(sec "${sorted[0]}")" \
    "$(sec "${sorted[n - 1]}")" "$rss"
done

if ((micro)); then
  "$build/bench/holestress_micro"
fi

#!/usr/bin/env bash
# The large-job benchmark: a 40-ply laminate ([45/0/-45/90/0]4s), 721 stations round the hole, 10
# distance steps, five criteria and every table (about 10 million numbers), written as JSON, CSV
# and the tables. Prints the load average first (the figures mean something only below 1 on the
# 2-core development machine), then for each format the best wall, processor and system time of
# RUNS (default 3) and the peak resident memory.
#
#   bench/large/run.sh [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
runs=${1:-3}
build=${HOLESTRESS_BENCH_BUILD:-$root/build-bench}
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DHOLESTRESS_TESTS=OFF >/dev/null
cmake --build "$build" --target holestress -j2 >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
for format in json csv table; do
  best=
  for ((r = 0; r < runs; ++r)); do
    /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$build/holestress" run "$here/job.toml" \
      --format "$format" --output "$work/out.$format" > /dev/null
    read -r wall user system kb < "$work/time"
    if [[ -z $best ]] || awk "BEGIN{exit !($wall < $best)}"; then
      best=$wall; u=$user; s=$system; rss=$kb
    fi
    rm -rf "$work/out.$format"
  done
  awk -v f="$format" -v w="$best" -v u="$u" -v s="$s" -v m="$rss" \
    'BEGIN{printf "%-5s %.2f s (processor %.2f s, system %.2f s), peak %.0f MB\n", f, w, u, s, m/1024}'
done

#!/usr/bin/env bash
# Builds the libFuzzer target with Clang and fuzzes the whole dialogue for the given number of
# seconds (default 60).
#
#   fuzz/run.sh [seconds [libFuzzer flags...]]
#   fuzz/run.sh job [seconds [libFuzzer flags...]]
#   fuzz/run.sh loads [seconds [libFuzzer flags...]]
#
# The second form fuzzes the job-file reader and writer instead (target holestress_job_fuzz,
# corpus <build>/fuzz-job-corpus seeded with examples/*.toml, artifacts in
# <build>/fuzz-job-artifacts/); the third the load-case files of a batch (target
# holestress_load_case_fuzz, corpus <build>/fuzz-loads-corpus seeded with examples/*.csv and
# bench/batch/loads-small.csv, artifacts in <build>/fuzz-loads-artifacts/).
#
# Flags after the seconds go to libFuzzer and override those below (for example -jobs=2 or
# -timeout=600).
#
# Build directory: build-fuzz at the top of the tree (HOLESTRESS_FUZZ_BUILD overrides it). The
# corpus grows in <build>/fuzz-corpus from run to run and is seeded each time with the example
# dialogues and the end-to-end test dialogues. A crash, a sanitizer report, a run status other
# than 0 or 2, or an input running longer than the time limit stops the fuzzer with a non-zero
# status and leaves the input in <build>/fuzz-artifacts/. Reproduce one with
#   <build>/fuzz/holestress_fuzz <build>/fuzz-artifacts/<file>
set -euo pipefail

target=dialogue
if [[ ${1:-} == job || ${1:-} == loads ]]; then
  target=$1
  shift
fi
seconds=${1:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${HOLESTRESS_FUZZ_BUILD:-$root/build-fuzz}

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DHOLESTRESS_FUZZ=ON -DHOLESTRESS_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

if [[ $target == job ]]; then
  cmake --build "$build" --target holestress_job_fuzz -j2
  corpus=$build/fuzz-job-corpus
  artifacts=$build/fuzz-job-artifacts
  mkdir -p "$corpus" "$artifacts"
  cp "$root"/examples/*.toml "$corpus"/
  # -max_len: the example job files are under 3 kB; 64 kB lets the fuzzer build long keys, deep
  # nesting and long layups. -timeout: reading a job file takes milliseconds; 60 s leaves room for
  # a busy or niced machine, and an input still running then is a hang.
  cd "$build"
  exec "$build/fuzz/holestress_job_fuzz" "$corpus" \
    -max_total_time="$seconds" -max_len=65536 -timeout=60 -rss_limit_mb=2048 \
    -dict="$root/fuzz/job.dict" -artifact_prefix="$artifacts/" -print_final_stats=1 "${@:2}"
fi

if [[ $target == loads ]]; then
  cmake --build "$build" --target holestress_load_case_fuzz -j2
  corpus=$build/fuzz-loads-corpus
  artifacts=$build/fuzz-loads-artifacts
  mkdir -p "$corpus" "$artifacts"
  cp "$root"/examples/*.csv "$root"/bench/batch/loads-small.csv "$corpus"/
  # -max_len: a header and a few dozen rows (the target itself makes the lines longer than the
  # limit that a few kilobytes never reach). -timeout: a batch of that size takes milliseconds.
  cd "$build"
  exec "$build/fuzz/holestress_load_case_fuzz" "$corpus" \
    -max_total_time="$seconds" -max_len=4096 -timeout=60 -rss_limit_mb=2048 \
    -dict="$root/fuzz/loads.dict" -artifact_prefix="$artifacts/" -print_final_stats=1 "${@:2}"
fi

cmake --build "$build" --target holestress_fuzz -j2
corpus=$build/fuzz-corpus
artifacts=$build/fuzz-artifacts
mkdir -p "$corpus" "$artifacts"
cp "$root"/examples/*.in "$root"/tests/e2e/*.in "$corpus"/

# -max_len: the longest seed dialogue is under 1 kB; 2 kB leaves room for several more passes.
# -timeout: the target stops a run after the analysis that takes it past 20 s of processor time,
# so no legitimate input needs much more than 20 s of it; 300 s of wall time leaves room for a
# busy or niced machine, and an input still running then is a hang.
cd "$build"  # where libFuzzer leaves its fuzz-<n>.log files when run with -jobs
exec "$build/fuzz/holestress_fuzz" "$corpus" \
  -max_total_time="$seconds" -max_len=2048 -timeout=300 -rss_limit_mb=2048 \
  -dict="$root/fuzz/dialogue.dict" -artifact_prefix="$artifacts/" -print_final_stats=1 "${@:2}"

#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz and runs each for a bounded time: the query
# target for the seconds given (20 by default), the others for at most 10 s (FTP) and 5 s (file
# readers) each. libFuzzer stops with a non-zero status on a crash, a sanitizer report, a leak or
# an allocation over the target's limit.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKVTU_FUZZ=ON -DKVTU_BUILD_TESTS=OFF -DKVTU_BUILD_BENCHMARKS=OFF

# run_target <name> <seconds> <seeds folder> [libFuzzer options...]
run_target() {
  local name=$1 time=$2 seeds=$3
  shift 3
  local target=kvtu_${name}_fuzz
  local corpus=build-fuzz/fuzz/corpus_$name
  local log=build-fuzz/fuzz/last-run-$name.log
  cmake --build build-fuzz --target "$target" -j "${JOBS:-$(nproc)}"
  mkdir -p "$corpus"
  echo "fuzz: running $target for ${time}s (log in $log)"
  if ! ASAN_OPTIONS=detect_leaks=1 "build-fuzz/fuzz/$target" \
    -max_total_time="$time" -max_len=4096 -print_final_stats=1 "$@" \
    -artifact_prefix="build-fuzz/fuzz/$name-" "$corpus" "$seeds" \
    >"$log" 2>&1; then
    cat "$log"
    echo "fuzz: $target failed" >&2
    exit 1
  fi
  grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$log"
}

at_most() { echo $(($1 < $2 ? $1 : $2)); }

run_target query "$seconds" fuzz/seeds
# Whatever an FTP server sends, no single allocation may exceed a few MiB.
run_target ftp "$(at_most "$seconds" 10)" fuzz/seeds_ftp -malloc_limit_mb=8
for reader in hive profile server_list; do
  run_target "$reader" "$(at_most "$seconds" 5)" "fuzz/seeds_$reader"
done

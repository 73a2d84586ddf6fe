#!/usr/bin/env bash
# Builds the fuzz target with clang in build-fuzz and runs it for a bounded time (seconds, 20 by
# default). libFuzzer stops with a non-zero status on a crash, a sanitizer report or a leak.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DKVTU_FUZZ=ON -DKVTU_BUILD_TESTS=OFF -DKVTU_BUILD_BENCHMARKS=OFF
cmake --build build-fuzz --target kvtu_query_fuzz -j "${JOBS:-$(nproc)}"

corpus=build-fuzz/fuzz/corpus
log=build-fuzz/fuzz/last-run.log
mkdir -p "$corpus"
echo "fuzz: running kvtu_query_fuzz for ${seconds}s (log in $log)"
if ! ASAN_OPTIONS=detect_leaks=1 build-fuzz/fuzz/kvtu_query_fuzz \
  -max_total_time="$seconds" -max_len=4096 -print_final_stats=1 \
  -artifact_prefix=build-fuzz/fuzz/ "$corpus" fuzz/seeds \
  >"$log" 2>&1; then
  cat "$log"
  echo "fuzz: kvtu_query_fuzz failed" >&2
  exit 1
fi
grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$log"

# The FTP reply reader, passive-mode parser and listing parsers; no single allocation may exceed
# a few MiB, whatever the server sends.
cmake --build build-fuzz --target kvtu_ftp_fuzz -j "${JOBS:-$(nproc)}"
ftp_corpus=build-fuzz/fuzz/ftp-corpus
ftp_log=build-fuzz/fuzz/ftp-last-run.log
mkdir -p "$ftp_corpus"
echo "fuzz: running kvtu_ftp_fuzz for ${seconds}s (log in $ftp_log)"
if ! ASAN_OPTIONS=detect_leaks=1 build-fuzz/fuzz/kvtu_ftp_fuzz \
  -max_total_time="$seconds" -max_len=4096 -malloc_limit_mb=8 -print_final_stats=1 \
  -artifact_prefix=build-fuzz/fuzz/ftp- "$ftp_corpus" fuzz/ftp_seeds \
  >"$ftp_log" 2>&1; then
  cat "$ftp_log"
  echo "fuzz: kvtu_ftp_fuzz failed" >&2
  exit 1
fi
grep -E '^(Done|stat::number_of_executed_units|stat::new_units_added)' "$ftp_log"

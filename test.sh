#!/usr/bin/env bash
# Installs what is missing, builds the suite twice (with sanitizers for the unit tests, then
# normally) and runs every test. The last lines printed are CTest's summary of the full suite.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh

jobs=$(nproc)

cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKVTU_SANITIZE=ON \
  -DKVTU_BUILD_BENCHMARKS=OFF
cmake --build build-sanitize -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-sanitize -L unit --output-on-failure -j "$jobs"

fuzz/run.sh 20

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

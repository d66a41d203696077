#!/usr/bin/env bash
# Builds the release benchmarks and runs them all, then times the Squirrel scripts against Lua.
# Not part of CI: figures depend on the machine and on what else it is doing.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-packages.sh

build_dir=build-bench
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRUN_BENCHMARKS=ON -DKESTRUN_TESTS=ON
cmake --build "$build_dir" -j "$(nproc)"

for benchmark in "$build_dir"/bench/*; do
  if [ -f "$benchmark" ] && [ -x "$benchmark" ]; then
    "$benchmark"
  fi
done
sh bench/squirrel/compare.sh "$build_dir/tests/squirrel/sqrun"

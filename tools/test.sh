#!/usr/bin/env bash
# Installs what is missing, checks the layer check itself and that no source file includes or
# links a higher layer, builds with AddressSanitizer and UndefinedBehaviorSanitizer, and runs
# every test. Exits non-zero when the layers are broken, a build step or a test fails.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-packages.sh
python3 tools/check-layers-test.py
bash tools/check-layers.sh

build_dir=build-test
jobs=$(nproc)
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTRUN_SANITIZE=ON -DKESTRUN_TESTS=ON
cmake --build "$build_dir" -j "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir "$build_dir" --output-on-failure -j "$jobs" --timeout 300

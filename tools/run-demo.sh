#!/usr/bin/env bash
# Installs what is missing, builds the release programs and runs the demo project of demo/.
# The exit code is Kestrun's own.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-packages.sh

build_dir=build
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRUN_TESTS=OFF
cmake --build "$build_dir" -j "$(nproc)"

# The demo is a project of the demo/ folder, run there with the core data mounted.
cd demo
exec "../$build_dir/Kestrun" game.ngp -P -CC ../data/core -r none -m none

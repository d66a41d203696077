#!/usr/bin/env bash
# Installs what is missing, builds the release programs and runs Kestrun on a small scene.
# The exit code is Kestrun's own.
set -euo pipefail
cd "$(dirname "$0")/.."

bash tools/install-packages.sh

build_dir=build
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRUN_TESTS=OFF
cmake --build "$build_dir" -j "$(nproc)"

demo_dir=$build_dir/demo
mkdir -p "$demo_dir"
cat > "$demo_dir/scene.nms" <<'NML'
<NML=1.0>
<Scene>
</Scene>
NML
cd "$demo_dir"
exec ../Kestrun scene.nms -r none -m none

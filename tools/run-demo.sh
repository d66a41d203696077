#!/usr/bin/env bash
# Installs what is missing, builds the release programs and runs the demo project of demo/: in a
# window with a display, otherwise under a virtual display with the sound written to a file.
# The exit code is Kestrun's own; the run ends with one line per file it wrote.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

bash tools/install-packages.sh

build_dir="$root/build"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKESTRUN_TESTS=OFF
cmake --build "$build_dir" -j "$(nproc)" --target Kestrun

demo="$root/demo"
out="$demo/demo-out"
rm -rf "$out"
mkdir -p "$out"

# The project's folder is the run's data source: what the project names, and the demo-out/ its
# script writes to, are found there whatever the working folder.
status=0
if [ -n "${DISPLAY:-}" ]; then
    "$build_dir/Kestrun" demo.ngp -P -f "$demo" -CC "$root/data/core" -r egl2 -m soft || status=$?
else
    xvfb-run -a -s "-screen 0 1280x720x24" \
        "$build_dir/Kestrun" demo.ngp -P -f "$demo" -CC "$root/data/core" -r egl2 -m file -Mf "$out/demo.wav" \
        || status=$?
fi

for file in "$out"/*; do
    [ -e "$file" ] && echo "Wrote $file"
done
exit "$status"

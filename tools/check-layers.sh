#!/usr/bin/env bash
# Fails when a file under source/ includes a folder of a higher layer. Each library may include
# only its own tier and those below it; folders of one tier may include each other. Sub-folders
# belong to their folder's tier (render/gl and render/shader to render, core/nml to core), and
# source/main.cpp sits on top. A folder that is not in the table fails too, so that a new folder
# is given its place here.
#
# Usage: tools/check-layers.sh [repository root]   (default: the repository holding this script)
set -euo pipefail

root=${1:-"$(dirname "$0")/.."}
cd "$root"

# Lowest tier first.
tiers=(
  "platform core"
  "squirrel"
  "script"
  "geometry render audio physics animation"
  "ui"
  "engine"
  "raytracer"
  "api"
  "viewer"
  "main"
)

table=""
for index in "${!tiers[@]}"; do
  for folder in ${tiers[$index]}; do
    table+="$folder=$index "
  done
done

# Every quoted include as "file:line:path", for awk to judge.
grep -rnoE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"' source |
  sed -E 's/^([^:]+):([0-9]+):.*"([^"]+)"$/\1:\2:\3/' |
  awk -F: -v table="$table" '
    BEGIN {
      count = split(table, pairs, " ")
      for (i = 1; i <= count; ++i) {
        split(pairs[i], pair, "=")
        tier[pair[1]] = pair[2]
      }
      upward = 0
      unplaced = 0
    }
    {
      file = $1; line = $2; included = $3
      split(file, parts, "/")
      own = (file == "source/main.cpp") ? "main" : parts[2]
      if (!(own in tier)) {
        if (!(own in reported)) {
          printf "%s: folder source/%s has no layer in tools/check-layers.sh\n", file, own
          reported[own] = 1
          ++unplaced
        }
        next
      }
      if (index(included, "/") == 0)
        next # a file of the same folder
      split(included, target, "/")
      if (!(target[1] in tier))
        next # not a source folder (a third-party or test path)
      if (tier[target[1]] > tier[own]) {
        printf "%s:%s: includes \"%s\" (%s, tier %d) above %s (tier %d)\n", file, line, included,
               target[1], tier[target[1]], own, tier[own]
        ++upward
      }
    }
    END {
      if (upward + unplaced > 0) {
        printf "check-layers: %d upward include(s), %d folder(s) without a layer\n", upward, unplaced
        exit 1
      }
      print "check-layers: every include in source/ points to its own tier or below"
    }'

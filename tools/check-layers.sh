#!/usr/bin/env bash
# The layer check of the code under source/: see tools/check-layers.py.
set -euo pipefail
exec python3 "$(dirname "$0")/check-layers.py" "$@"

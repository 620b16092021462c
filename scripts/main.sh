#!/usr/bin/env bash
# Installs what is needed, builds tvksum and its engine natively, and
# checksums the files given (this repository's README when none is given).
#   scripts/main.sh [tvksum options] FILE...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh" native >&2
(cd "$root" && cmake --preset native >/dev/null)
cmake --build "$root/build/native" -j "$(nproc)" --target tvksum tvkchecksum >/dev/null
[ $# -gt 0 ] || set -- "$root/README.md"
exec "$root/build/native/bin/tvksum" "$@"

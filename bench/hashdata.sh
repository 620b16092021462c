#!/usr/bin/env bash
# hashdata.sh [win64|win32] [MIB] [REPEATS] -- builds bench/hashdata.cpp with
# MinGW-w64 and runs it under Wine on the control and engine of that build
# (build/<preset>/bin, made by cmake --build --preset <preset>): HashData on a
# Byte() array through IDispatch against the engine's in-memory speed, and
# the growth of peak memory. Exit status 1 when any algorithm is below.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
preset=${1:-win64}
mib=${2:-256}
repeats=${3:-5}
bin=$root/build/$preset/bin
case $preset in
win64) cxx=x86_64-w64-mingw32-g++-posix ;;
win32) cxx=i686-w64-mingw32-g++-posix ;;
*) echo "hashdata.sh: win64 or win32" >&2; exit 2 ;;
esac
[ -f "$bin/TVKChecksum.ocx" ] || { echo "hashdata.sh: build $preset first" >&2; exit 2; }
"$cxx" -O2 -std=c++17 -static -o "$bin/hashdata.exe" "$root/bench/hashdata.cpp" \
    -loleaut32 -lole32 -luuid -lpsapi
. "$root/scripts/wine-env.sh"
wine "$bin/hashdata.exe" "$(winepath -w "$bin")" "$mib" "$repeats"

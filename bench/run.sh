#!/usr/bin/env bash
# Benchmark of the checksum engine against the usual tools and libraries, in
# one run on one page-cached file, and of the engine's read path against
# dd's best block size:
#   bench/run.sh                   1 GiB, best of 3 (a few minutes)
#   SIZE=256M REPEATS=2 bench/run.sh   a quick run
# Environment: SIZE (bytes, or with K/M/G; default 1G), REPEATS (default 5),
# FILE (an existing file to use instead of a generated one), BUILD (folder of
# the native build, default build/bench-native), WINE=0 to leave out the
# Windows engine under Wine, TVK_WINEPREFIX (a Wine prefix to use; by default
# a temporary one, deleted at the end).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
SIZE=${SIZE:-1G}
REPEATS=${REPEATS:-5}
BUILD=${BUILD:-$root/build/bench-native}
WINE=${WINE:-1}
# The win64 preset's build folder, where the Windows engine lands.
win_build=$root/build/win64

# What the run compares with, installed when missing (as root).
if [ "$(id -u)" = 0 ]; then
    "$root/scripts/install-deps.sh" bench
fi

work=$(mktemp -d /tmp/tvk-bench.XXXXXX)
wine_tmp=
wine_ran=
# Wine's server stays up (scripts/wine-env.sh starts it persistent): end it,
# and a temporary prefix with it.
cleanup() {
    if [ -n "$wine_ran" ]; then
        WINEPREFIX=$TVK_WINEPREFIX wineserver -k >/dev/null 2>&1 || true
        WINEPREFIX=$TVK_WINEPREFIX wineserver -w >/dev/null 2>&1 || true
    fi
    [ -z "$wine_tmp" ] || rm -rf "$wine_tmp"
    rm -rf "$work"
}
trap cleanup EXIT

# The engine library, built as released; the bench program loads it like a
# host. The in-memory program links the digest library for the engine's
# own cores, and the libraries it compares them with.
echo "building the native engine in $BUILD" >&2
cmake -S "$root" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTVK_BUILD_TESTS=OFF >/dev/null
ninja -C "$BUILD" tvkchecksum tvkdigest tvk_read_loop >/dev/null
g++ -O2 -std=c++17 -I"$root/engine/include" -o "$BUILD/bench" "$root/bench/bench.cpp" -ldl -pthread
# libdeflate, ISA-L and libxxhash only where their headers are (the program leaves out
# what it cannot include).
extra_libs=()
[ -f /usr/include/libdeflate.h ] && extra_libs+=(-ldeflate)
[ -f /usr/include/isa-l/crc.h ] && extra_libs+=(-lisal)
[ -f /usr/include/xxhash.h ] && extra_libs+=(-lxxhash)
g++ -O2 -std=c++17 -I"$root/engine" -o "$BUILD/checksum_backends" \
    "$root/bench/checksum_backends.cpp" "$BUILD/lib/libtvkdigest.a" -lz "${extra_libs[@]}" -lcrypto

# The Windows engine and the same bench program built for Windows.
wine_reason=
if [ "$WINE" = 0 ]; then
    wine_reason="left out (WINE=0)"
elif ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || ! command -v wine >/dev/null; then
    wine_reason="left out: MinGW-w64 or Wine is missing (scripts/install-deps.sh all)"
else
    echo "building the win64 engine in $win_build" >&2
    (cd "$root" && cmake --preset win64 >/dev/null &&
        cmake --build --preset win64 -j2 --target tvkchecksum >/dev/null)
    x86_64-w64-mingw32-g++-posix -O2 -static -std=c++17 -I"$root/engine/include" \
        -o "$win_build/bin/bench.exe" \
        "$root/bench/bench.cpp"
fi

# The input: random bytes, made once per size and kept in the page cache.
if [ -n "${FILE:-}" ]; then
    file=$(realpath "$FILE")
else
    bytes=$(numfmt --from=iec "$SIZE")
    file=/tmp/tvk-bench-$bytes.bin
    if [ "$(stat -c %s "$file" 2>/dev/null || echo 0)" != "$bytes" ]; then
        head -c "$bytes" /dev/urandom >"$file.part" && mv "$file.part" "$file"
    fi
fi
cat "$file" >/dev/null

# The read path: dd at each block size, and in one process the same reads,
# the engine's read loop without hashing and every file driver (bench/
# read_loop.cpp), in turns, the best of each counts.
echo "timing the read path" >&2
: >"$work/dd"
for ((r = 0; r < REPEATS; r++)); do
    for bs in 64K 128K 256K 512K 1M 2M 4M; do
        # "N bytes (...) copied, S s, ...": N / S
        dd if="$file" of=/dev/null bs=$bs 2>&1 | awk -v bs="$(numfmt --from=iec $bs)" \
            '/copied/ { for (i = 1; i <= NF; i++) if ($i == "s,") s = $(i - 1);
                        printf "dd %d %.1f\n", bs, $1 / s / 1e6 }' >>"$work/dd"
    done
done
"$BUILD/bin/tvk_read_loop" "$file" "$REPEATS" >"$work/readloop"
cat "$work/dd" >>"$work/readloop"

echo "timing the native engine" >&2
"$BUILD/bench" "$BUILD/bin/tvkchecksum.so" "$file" "$REPEATS" >"$work/engine"
# 64 MiB per pass is quick: at least 5 passes, for a bar less hit by other load.
echo "timing the libraries in memory" >&2
"$BUILD/checksum_backends" 64 "$((REPEATS > 5 ? REPEATS : 5))" >"$work/memory"

: >"$work/wine"
if [ -z "$wine_reason" ]; then
    echo "timing the win64 engine under Wine" >&2
    if [ -z "${TVK_WINEPREFIX:-}" ]; then
        wine_tmp=$(mktemp -d /tmp/tvk-bench-wine.XXXXXX)
        export TVK_WINEPREFIX=$wine_tmp/prefix
    fi
    # Wine shows the Linux root as drive Z:.
    winpath() { local p=${1//\//\\}; echo "Z:$p"; }
    wine_ran=1
    if ! (. "$root/scripts/wine-env.sh" &&
        wine "$win_build/bin/bench.exe" "$(winpath "$win_build/bin/tvkchecksum.dll")" \
            "$(winpath "$file")" "$REPEATS" >"$work/wine" </dev/null); then
        wine_reason="failed: $(tail -c 300 "$work/wine" | tr '\r\n' '  ')"
    fi
fi

echo "timing the peer tools" >&2
python3 "$root/bench/report.py" --file "$file" --repeats "$REPEATS" --engine "$work/engine" \
    --memory "$work/memory" --wine "$work/wine" --wine-note "$wine_reason" \
    --read-loop "$work/readloop"

#!/usr/bin/env bash
# Benchmark of the checksum engine against the usual tools, in one run:
#   bench/run.sh
# Environment: SIZE (bytes, or with K/M/G; default 1G), REPEATS (default 3),
# FILE (an existing file to use instead of a generated one), BUILD (build
# folder, default build/bench-native).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
SIZE=${SIZE:-1G}
REPEATS=${REPEATS:-3}
BUILD=${BUILD:-$root/build/bench-native}

# What the run needs, installed when missing.
missing=()
for tool in rhash openssl md5sum cmake ninja g++ python3; do
    command -v "$tool" >/dev/null 2>&1 || missing+=("$tool")
done
[ -f /usr/include/zlib.h ] || missing+=(zlib1g-dev)
[ -f /usr/include/libdeflate.h ] || missing+=(libdeflate-dev)
[ -f /usr/include/isa-l/crc.h ] || missing+=(libisal-dev)
if [ ${#missing[@]} -gt 0 ]; then
    pkgs=()
    for t in "${missing[@]}"; do
        case $t in
        ninja) pkgs+=(ninja-build) ;; g++) pkgs+=(g++) ;; md5sum) pkgs+=(coreutils) ;;
        *) pkgs+=("$t") ;;
        esac
    done
    apt-get update -qq && apt-get install -y -qq "${pkgs[@]}"
fi

# The engine library, built as released, and the bench program beside it,
# linked with the digest library for the TVK32 core timings (it forces the
# portable backend for the reference).
cmake -S "$root" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTVK_BUILD_TESTS=OFF >/dev/null
ninja -C "$BUILD" tvkchecksum tvkdigest >/dev/null
g++ -O2 -std=c++17 -I"$root/engine" -o "$BUILD/bench" "$root/bench/bench.cpp" \
    "$BUILD/lib/libtvkdigest.a" -lz -ldl -pthread
# The CRC-32 and Adler-32 backends in memory, next to zlib, libdeflate, ISA-L.
g++ -O2 -std=c++17 -I"$root/engine" -o "$BUILD/checksum_backends" \
    "$root/bench/checksum_backends.cpp" "$BUILD/lib/libtvkdigest.a" -lz -ldeflate -lisal

# The input: random bytes, made once per size and kept in the page cache.
if [ -n "${FILE:-}" ]; then
    file=$FILE
else
    bytes=$(numfmt --from=iec "$SIZE")
    file=/tmp/tvk-bench-$bytes.bin
    if [ "$(stat -c %s "$file" 2>/dev/null || echo 0)" != "$bytes" ]; then
        head -c "$bytes" /dev/urandom >"$file.part" && mv "$file.part" "$file"
    fi
fi
cat "$file" >/dev/null

out=$(mktemp)
trap 'rm -f "$out"' EXIT
"$BUILD/bench" "$BUILD/bin/tvkchecksum.so" "$file" "$REPEATS" >"$out"
python3 "$root/bench/report.py" "$out" "$file" "$REPEATS"
echo
"$BUILD/checksum_backends" 64 "$REPEATS"

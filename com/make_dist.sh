#!/usr/bin/env bash
# make_dist.sh [WIN32-BUILD [WIN64-BUILD [DIST]]] -- lays out the Windows
# distribution: DIST/win32 and DIST/win64, each with TVKChecksum.ocx and
# tvkchecksum.dll side by side, the sample script and the install notes,
# plus one ZIP per bitness when zip is there. Defaults: build/win32,
# build/win64 and dist/ of the repository.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build32=${1:-$root/build/win32}
build64=${2:-$root/build/win64}
dist=${3:-$root/dist}
for pair in "win32:$build32" "win64:$build64"; do
    name=${pair%%:*}
    build=${pair#*:}
    rm -rf "${dist:?}/$name"
    cmake --install "$build" --prefix "$dist/$name" >/dev/null
    if command -v zip >/dev/null; then
        (cd "$dist" && rm -f "TVKChecksum-2.7.0-$name.zip" && zip -qr "TVKChecksum-2.7.0-$name.zip" "$name")
    fi
    echo "$dist/$name:" $(ls "$dist/$name")
done

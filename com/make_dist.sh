#!/usr/bin/env bash
# make_dist.sh [WIN32-BUILD [WIN64-BUILD [DIST]]] -- lays out the Windows
# distribution: DIST/win32 and DIST/win64, each with TVKChecksum.ocx and
# tvkchecksum.dll side by side, the assembly manifest TVKChecksum.sxs.manifest
# and a sample application manifest for registration-free use, the sample
# script and the install notes; the installer packages
# DIST/TVKChecksum-x86.msi and DIST/TVKChecksum-x64.msi; one ZIP per bitness
# when zip is there. Defaults: build/win32, build/win64 and dist/ of the
# repository.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build32=${1:-$root/build/win32}
build64=${2:-$root/build/win64}
dist=${3:-$root/dist}
for pair in "win32:x86:$build32" "win64:x64:$build64"; do
    name=${pair%%:*}
    arch=${pair#*:}
    arch=${arch%%:*}
    build=${pair#*:*:}
    rm -rf "${dist:?}/$name"
    cmake --install "$build" --prefix "$dist/$name" >/dev/null
    msi=$build/com/TVKChecksum-$arch.msi
    if [ ! -f "$msi" ]; then
        echo "make_dist.sh: $msi missing (install wixl and msitools, then build again)" >&2
        exit 1
    fi
    cp "$msi" "$dist/"
    if command -v zip >/dev/null; then
        # The version the build was made with, from its generated header.
        version=$(sed -n 's/^#define TVK_VERSION "\(.*\)"$/\1/p' "$build/generated/tvk_version.h")
        if [ -z "$version" ]; then
            echo "make_dist.sh: no version in $build/generated/tvk_version.h" >&2
            exit 1
        fi
        zipname=TVKChecksum-$version-$name.zip
        (cd "$dist" && rm -f "$zipname" && zip -qr "$zipname" "$name")
    fi
    echo "$dist/$name:" $(ls "$dist/$name")
done
echo "$dist:" $(cd "$dist" && ls ./*.msi)

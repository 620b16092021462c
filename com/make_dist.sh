#!/usr/bin/env bash
# make_dist.sh [WIN32-BUILD [WIN64-BUILD [DIST]]] -- lays out the Windows
# distribution: DIST/win32 and DIST/win64, each with TVKChecksum.ocx and
# tvkchecksum.dll side by side, the assembly manifest TVKChecksum.sxs.manifest
# and a sample application manifest for registration-free use, the sample
# script and the install notes; the installer packages
# DIST/TVKChecksum-x86.msi and DIST/TVKChecksum-x64.msi, made from the files
# of DIST; one ZIP per bitness when zip is there. Defaults: build/win32,
# build/win64 and dist/ of the repository.
#
# Signing: with a code-signing certificate, a PKCS#12 file named by
# TVK_SIGN_PFX and its password in TVK_SIGN_PASSWORD, the control and its
# engine of both bitnesses are signed before they are packed, then both
# packages (Authenticode, SHA-256, with osslsigncode); TVK_SIGN_TIMESTAMP_URL,
# when set, names an RFC 3161 time-stamp server that counter-signs each
# signature. Without TVK_SIGN_PFX everything stays unsigned.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build32=${1:-$root/build/win32}
build64=${2:-$root/build/win64}
dist=${3:-$root/dist}

fail() {
    echo "make_dist.sh: $*" >&2
    exit 1
}

if [ -n "${TVK_SIGN_PFX:-}" ]; then
    command -v osslsigncode >/dev/null || fail "TVK_SIGN_PFX is set but osslsigncode is missing"
    [ -r "$TVK_SIGN_PFX" ] || fail "cannot read the certificate $TVK_SIGN_PFX"
else
    echo "make_dist.sh: no TVK_SIGN_PFX: the files and packages are not signed"
fi

# sign FILE DESCRIPTION: signs FILE in place when there is a certificate. The
# password reaches osslsigncode through a pipe, not its command line.
sign() {
    [ -n "${TVK_SIGN_PFX:-}" ] || return 0
    local timestamp=()
    [ -z "${TVK_SIGN_TIMESTAMP_URL:-}" ] || timestamp=(-ts "$TVK_SIGN_TIMESTAMP_URL")
    rm -f "$1.signed"
    osslsigncode sign -pkcs12 "$TVK_SIGN_PFX" -readpass <(printf '%s' "${TVK_SIGN_PASSWORD:-}") \
        -h sha256 -n "$2" "${timestamp[@]}" -in "$1" -out "$1.signed" >/dev/null ||
        fail "signing $1 failed"
    mv -f "$1.signed" "$1"
}

for pair in "win32:x86:$build32" "win64:x64:$build64"; do
    name=${pair%%:*}
    arch=${pair#*:}
    arch=${arch%%:*}
    build=${pair#*:*:}
    # The version and product name the build was made with, from its header.
    header=$build/generated/tvk_version.h
    version=$(sed -n 's/^#define TVK_VERSION "\(.*\)"$/\1/p' "$header" 2>/dev/null || true)
    product=$(sed -n 's/^#define TVK_PRODUCT "\(.*\)"$/\1/p' "$header" 2>/dev/null || true)
    [ -n "$version" ] && [ -n "$product" ] || fail "no version or product in $header"
    wxs=$build/com/TVKChecksum-$arch.msi.wxs
    [ -f "$wxs" ] || fail "$wxs missing (install wixl and msitools, then build again)"

    rm -rf "${dist:?}/$name"
    cmake --install "$build" --prefix "$dist/$name" >/dev/null
    sign "$dist/$name/TVKChecksum.ocx" "$product"
    sign "$dist/$name/tvkchecksum.dll" "$product"
    msi=$dist/TVKChecksum-$arch.msi
    sh "$root/com/make_msi.sh" "$wxs" "$arch" "$msi" \
        "$dist/$name/TVKChecksum.ocx" "$dist/$name/tvkchecksum.dll"
    sign "$msi" "$product ($arch)"
    if command -v zip >/dev/null; then
        zipname=TVKChecksum-$version-$name.zip
        (cd "$dist" && rm -f "$zipname" && zip -qr "$zipname" "$name")
    fi
    echo "$dist/$name:" $(ls "$dist/$name")
done
echo "$dist:" $(cd "$dist" && ls ./*.msi)

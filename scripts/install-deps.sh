#!/usr/bin/env bash
# Installs what the build and the tests need on Debian, as root. Safe to run
# again: packages that are there already are not fetched a second time.
#   install-deps.sh native   the native builds, plain and sanitized (gcc)
#   install-deps.sh fuzz     also clang with libFuzzer
#   install-deps.sh bench    the native build and what bench/run.sh compares
#                            with: libdeflate, ISA-L, OpenSSL's library, 7-Zip
#   install-deps.sh all      also clang, MinGW-w64, Wine (both bitnesses), Xvfb,
#                            wixl/msitools for the installer packages and a
#                            runner of i386 programs (i386-runner.sh)
set -euo pipefail
what=${1:-all}
export DEBIAN_FRONTEND=noninteractive

native_pkgs=(cmake ninja-build g++ make zlib1g-dev libxxhash-dev googletest coreutils openssl
             rhash b3sum xxhash util-linux python3 strace)
fuzz_pkgs=(clang libclang-rt-dev)
bench_pkgs=(libdeflate-dev libisal-dev libssl-dev 7zip)
win_pkgs=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools libz-mingw-w64-dev wixl msitools
          osslsigncode wine wine64 wine64-preloader wine32:i386 wine32-preloader:i386
          xvfb xdotool x11-utils imagemagick)

pkgs=("${native_pkgs[@]}")
case $what in
native) ;;
bench) pkgs+=("${bench_pkgs[@]}") ;;
*) pkgs+=("${fuzz_pkgs[@]}") ;;
esac
if [ "$what" = all ]; then
    pkgs+=("${win_pkgs[@]}")
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
        rm -f /var/lib/apt/lists/lock.tvk-updated
    fi
fi

missing=()
for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

[ "$what" = all ] || exit 0

# 32-bit Wine needs a runner of i386 programs: the kernel, or qemu-user.
bash "$(dirname "$0")/i386-runner.sh" install

#!/usr/bin/env bash
# Installs what is needed, builds the native, win64 and win32 presets and runs
# every test: natively, and the Windows builds under Wine.
#   scripts/test.sh            all three presets
#   scripts/test.sh native     only the named presets
set -uo pipefail
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native win64 win32)

need=native
for p in "${presets[@]}"; do [ "$p" = native ] || need=all; done
bash scripts/install-deps.sh "$need" || exit 1

if [ "$need" = all ]; then
    . scripts/wine-env.sh
    trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
fi

jobs=$(nproc)
failed=()
for p in "${presets[@]}"; do
    echo "=== $p: configure and build"
    if ! cmake --preset "$p" >/dev/null || ! cmake --build --preset "$p" -j "$jobs"; then
        failed+=("$p (build)")
        continue
    fi
    echo "=== $p: test"
    ctest --preset "$p" || failed+=("$p")
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "all presets passed: ${presets[*]}"

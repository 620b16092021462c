#!/usr/bin/env bash
# Installs what is needed, builds every preset and runs every test: natively,
# under AddressSanitizer+UBSan and ThreadSanitizer, the libFuzzer targets for
# a bounded time, and the Windows builds under Wine.
#   scripts/test.sh                 all: native asan tsan fuzz win64 win32
#   scripts/test.sh native tsan     only the named presets
#
# The Windows tests run in a Wine prefix made afresh in a temporary folder and
# removed at the end, so every run proves the set-up from nothing. Set
# TVK_WINEPREFIX to keep and reuse a prefix of your own instead.
# FUZZ_SECONDS (default 20) bounds each fuzz target.
set -uo pipefail
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native asan tsan fuzz win64 win32)

need=native
for p in "${presets[@]}"; do
    case "$p" in
    native | asan | tsan) ;;
    fuzz) [ "$need" = all ] || need=fuzz ;;
    *) need=all ;;
    esac
done
bash scripts/install-deps.sh "$need" || exit 1

start=$SECONDS
stamp() { echo "=== $1 ($((SECONDS - start)) s since start)"; }

if [ "$need" = all ]; then
    if [ -z "${TVK_WINEPREFIX:-}" ]; then
        wine_tmp=$(mktemp -d /tmp/tvk-wine.XXXXXX)
        export TVK_WINEPREFIX=$wine_tmp/prefix
    fi
    stamp "Wine prefix $TVK_WINEPREFIX"
    # The virtual display, when this run has to start it (wine-env.sh does),
    # is ended with the run; the tests' Wine commands find it through DISPLAY.
    display_started=
    if [ -z "${DISPLAY:-}" ] && ! xdpyinfo -display :87 >/dev/null 2>&1; then
        display_started=1
    fi
    . scripts/wine-env.sh
    # Ends a process and all its descendants (cmake does not end its ninja).
    end_tree() {
        local p
        for p in $(pgrep -P "$1"); do end_tree "$p"; done
        kill "$1" 2>/dev/null || true
    }
    end_wine() {
        [ -z "${child:-}" ] || end_tree "$child"
        tvk_end_prefix
        [ -z "${wine_tmp:-}" ] || rm -rf "$wine_tmp"
        if [ -n "$display_started" ]; then
            pkill -f "^Xvfb $DISPLAY " || true
        fi
    }
    trap end_wine EXIT
    # A stopped run ends too, through the EXIT trap above.
    trap 'exit 130' INT
    trap 'exit 143' TERM HUP
    if [[ " ${presets[*]} " == *" win32 "* ]]; then
        stamp "32-bit runner"
        bash scripts/i386-runner.sh prove || exit 1
    fi
fi

# Runs a step in the background and waits for it, so that a signal to this
# script is handled at once rather than when the step ends.
step() {
    "$@" &
    child=$!
    wait "$child"
    local rc=$?
    child=
    return $rc
}

jobs=$(nproc)
failed=()
for p in "${presets[@]}"; do
    stamp "$p: configure and build"
    if ! step cmake --preset "$p" >/dev/null || ! step cmake --build --preset "$p" -j "$jobs"; then
        failed+=("$p (build)")
        continue
    fi
    stamp "$p: test"
    if [ "$p" = fuzz ]; then
        step bash tests/fuzz/run.sh build/fuzz/bin "${FUZZ_SECONDS:-20}" || failed+=("$p")
    else
        step ctest --preset "$p" || failed+=("$p")
    fi
done
stamp "finished"

if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "all presets passed: ${presets[*]}"

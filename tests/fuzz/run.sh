#!/usr/bin/env bash
# Runs every libFuzzer target of the fuzz build for a bounded time.
#   tests/fuzz/run.sh BIN_DIR [SECONDS]      (SECONDS per target, default 20)
#
# Each target first runs once over the reproducers kept in
# tests/fuzz/regressions/<target>/, then fuzzes a copy of its seed corpus
# tests/fuzz/corpus/<target>/ for SECONDS. Nothing is written into the
# repository: corpus copies, artifacts and the targets' temporary files live
# in a temporary folder that is removed at the end. A crash prints the
# reproducer as a hex dump; the script runs every target and then exits
# non-zero if any of them failed.
set -uo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ]; then
    echo "usage: $0 BIN_DIR [SECONDS]" >&2
    exit 2
fi
bin=$1
seconds=${2:-20}
here=$(cd "$(dirname "$0")" && pwd)
targets=(string_words dispatcher control_strings check_list)

work=$(mktemp -d "${TMPDIR:-/tmp}/tvk-fuzz.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT

# Every sanitizer report is fatal; leaks count as failures.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}

hex_dump() {
    if command -v xxd >/dev/null; then
        xxd "$1"
    else
        od -A x -t x1z -v "$1"
    fi
}

# Prints every file in the folder as a reproducer.
show_artifacts() {
    local f
    for f in "$1"/*; do
        [ -f "$f" ] || continue
        echo "--- reproducer $(basename "$f") ($(stat -c %s "$f") bytes):"
        hex_dump "$f" | head -n 256
    done
}

failed=()
for t in "${targets[@]}"; do
    exe=$bin/${t}_fuzzer
    echo "=== $t"
    if [ ! -x "$exe" ]; then
        echo "missing program $exe"
        failed+=("$t (missing)")
        continue
    fi
    dir=$work/$t
    mkdir -p "$dir/corpus" "$dir/artifacts" "$dir/tmp"

    regressions=()
    if [ -d "$here/regressions/$t" ]; then
        while IFS= read -r -d '' f; do
            regressions+=("$f")
        done < <(find "$here/regressions/$t" -type f -print0 | sort -z)
    fi
    if [ ${#regressions[@]} -gt 0 ]; then
        echo "--- $t: ${#regressions[@]} regression input(s)"
        if ! TMPDIR=$dir/tmp "$exe" -artifact_prefix="$dir/artifacts/" "${regressions[@]}" \
            >"$dir/regressions.log" 2>&1; then
            cat "$dir/regressions.log"
            show_artifacts "$dir/artifacts"
            failed+=("$t (regressions)")
            continue
        fi
    fi

    if [ -d "$here/corpus/$t" ]; then
        cp -R "$here/corpus/$t/." "$dir/corpus/"
    fi
    echo "--- $t: fuzzing for $seconds s"
    TMPDIR=$dir/tmp "$exe" -max_total_time="$seconds" -timeout=60 -print_final_stats=1 \
        -artifact_prefix="$dir/artifacts/" "$dir/corpus" >"$dir/fuzz.log" 2>&1
    rc=$?
    if [ $rc -ne 0 ] || [ -n "$(ls -A "$dir/artifacts")" ]; then
        tail -n 200 "$dir/fuzz.log"
        show_artifacts "$dir/artifacts"
        failed+=("$t")
    else
        grep -E '^(Done|stat::number_of_executed_units|stat::peak_rss_mb)' "$dir/fuzz.log"
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz targets FAILED: ${failed[*]}"
    exit 1
fi
echo "fuzz targets passed: ${targets[*]}"

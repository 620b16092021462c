#!/usr/bin/env bash
# tvksum against sha256sum, rhash and openssl on many small files, on files
# of 1, 4 and 64 MiB (and 7-Zip where 7zz, 7z or 7za is installed) and on
# one large file, in one run; the same for SHA-512 against sha512sum, rhash
# and openssl; -c of an md5sum list of the small files against md5sum -c,
# and the control's NewVerifyList of a sha256sum list of them (a host that
# ticks Timer1 at once, tvk_verify_list) against sha256sum -c; tvksum --all
# (every algorithm, each file read once) on more small files against
# sha256sum.
# Prints the start-up time of tvksum and sha256sum, the per-file cost, the
# ratios and the goals, PASS or below.
#   bench/small_files.sh
# Environment: COUNT (default 1000 files of 1 B to 16 KiB), ALL_COUNT
# (default 2000 such files, for tvksum --all against sha256sum), LARGE (default
# 1G), REPEATS (default 5, the best run counts), BUILD (default
# build/bench-native).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
COUNT=${COUNT:-1000}
LARGE=${LARGE:-1G}
REPEATS=${REPEATS:-5}
ALL_COUNT=${ALL_COUNT:-2000}
BUILD=${BUILD:-$root/build/bench-native}

for tool in rhash openssl sha256sum sha512sum md5sum python3 cmake ninja; do
    command -v "$tool" >/dev/null || { echo "needs $tool (scripts/install-deps.sh native)" >&2; exit 2; }
done
cmake -S "$root" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTVK_BUILD_TESTS=OFF >/dev/null
ninja -C "$BUILD" tvksum tvkchecksum tvk_verify_list >/dev/null
tvksum=$BUILD/bin/tvksum

# The inputs: made once, kept in the page cache. small_set DIR N: N files
# of 1 B to 16 KiB in DIR.
small_set() {
    [ -f "$1/.done" ] && return
    rm -rf "$1"; mkdir -p "$1"
    python3 - "$1" "$2" <<'PY'
import os, random, sys
random.seed(2026)
d, n = sys.argv[1], int(sys.argv[2])
for i in range(n):
    with open(os.path.join(d, "f%05d" % i), "wb") as f:
        f.write(os.urandom(random.randint(1, 16384)))
PY
    touch "$1/.done"
}
dir=/tmp/tvk-bench-small-$COUNT
small_set "$dir" "$COUNT"
all_dir=/tmp/tvk-bench-small-$ALL_COUNT
small_set "$all_dir" "$ALL_COUNT"
bytes=$(numfmt --from=iec "$LARGE")
large=/tmp/tvk-bench-$bytes.bin
if [ "$(stat -c %s "$large" 2>/dev/null || echo 0)" != "$bytes" ]; then
    head -c "$bytes" /dev/urandom >"$large.part" && mv "$large.part" "$large"
fi
medium=()
for size in 1M 4M 64M; do
    m=/tmp/tvk-bench-$(numfmt --from=iec $size).bin
    [ "$(stat -c %s "$m" 2>/dev/null || echo 0)" = "$(numfmt --from=iec $size)" ] ||
        { head -c "$size" /dev/urandom >"$m.part" && mv "$m.part" "$m"; }
    medium+=("$m")
done
list=/tmp/tvk-bench-small-$COUNT.md5
[ -s "$list" ] || (cd "$dir" && md5sum f* >"$list.part" && mv "$list.part" "$list")
# NewVerifyList reads names relative to the list's folder: the list sits
# beside the files.
list256=$dir/SHA256SUMS
[ -s "$list256" ] || (cd "$dir" && sha256sum f* >"$list256.part" && mv "$list256.part" "$list256")
sevenzip=$(command -v 7zz || command -v 7z || command -v 7za || true)
cat "$dir"/f* "$all_dir"/f* "$large" "${medium[@]}" "$list" >/dev/null

cd "$dir"
files=(f*)
# Best of REPEATS wall-clock seconds of a command over the given operands.
best() {
    python3 - "$REPEATS" "$@" <<'PY'
import subprocess, sys, time
reps, cmd = int(sys.argv[1]), sys.argv[2:]
best = None
for _ in range(reps):
    t = time.perf_counter()
    subprocess.run(cmd, stdout=subprocess.DEVNULL, check=True)
    t = time.perf_counter() - t
    best = t if best is None or t < best else best
print("%.6f" % best)
PY
}

declare -A small big
small[sha256sum]=$(best sha256sum "${files[@]}")
small[rhash]=$(best rhash --sha256 "${files[@]}")
small[openssl]=$(best openssl dgst -sha256 "${files[@]}")
small[tvksum]=$(best "$tvksum" "${files[@]}")
small[tvksum -j 2]=$(best "$tvksum" -j 2 "${files[@]}")
small[tvksum --all]=$(best "$tvksum" --all "${files[@]}")
small[tvksum --all -j 2]=$(best "$tvksum" --all -j 2 "${files[@]}")
small[rhash 4 algorithms]=$(best rhash --crc32 --md5 --sha1 --sha256 "${files[@]}")
big[sha256sum]=$(best sha256sum "$large")
big[rhash]=$(best rhash --sha256 "$large")
big[openssl]=$(best openssl dgst -sha256 "$large")
big[tvksum]=$(best "$tvksum" "$large")
big[tvksum --all]=$(best "$tvksum" --all "$large")
big[rhash 4 algorithms]=$(best rhash --crc32 --md5 --sha1 --sha256 "$large")
small[sha512sum]=$(best sha512sum "${files[@]}")
small[rhash --sha512]=$(best rhash --sha512 "${files[@]}")
small[openssl -sha512]=$(best openssl dgst -sha512 "${files[@]}")
small[tvksum -a sha-512]=$(best "$tvksum" -a sha-512 "${files[@]}")
small[tvksum -a sha-384]=$(best "$tvksum" -a sha-384 "${files[@]}")
all_files=("$all_dir"/f*)
declare -A every
every[sha256sum]=$(best sha256sum "${all_files[@]}")
every[tvksum --all]=$(best "$tvksum" --all "${all_files[@]}")
big[sha512sum]=$(best sha512sum "$large")
big[rhash --sha512]=$(best rhash --sha512 "$large")
big[openssl -sha512]=$(best openssl dgst -sha512 "$large")
big[tvksum -a sha-512]=$(best "$tvksum" -a sha-512 "$large")
big[tvksum -a sha-384]=$(best "$tvksum" -a sha-384 "$large")
# Start-up: one small file, many runs of each command in turn, the best
# counts (milliseconds).
startup() {
    python3 - "$@" <<'PY'
import subprocess, sys, time
cmds = [c.split("\t") for c in sys.argv[1:]]
best = [None] * len(cmds)
for _ in range(300):
    for i, cmd in enumerate(cmds):
        t = time.perf_counter()
        subprocess.run(cmd, stdout=subprocess.DEVNULL, check=True)
        t = time.perf_counter() - t
        best[i] = t if best[i] is None or t < best[i] else best[i]
print(" ".join("%.3f" % (b * 1e3) for b in best))
PY
}
read -r start_sha start_tvk start_true < <(startup "sha256sum	${files[0]}" \
    "$tvksum	${files[0]}" "true")
declare -A check mid
check[md5sum -c]=$(best md5sum -c "$list")
check[tvksum -c]=$(best "$tvksum" -c "$list")
check[tvksum -c -j 2]=$(best "$tvksum" -c -j 2 "$list")
check[sha256sum -c]=$(best sha256sum -c "$list256")
check[NewVerifyList]=$(best "$BUILD/bin/tvk_verify_list" "$list256")
mid_tools=(sha256sum rhash openssl tvksum)
[ -n "$sevenzip" ] && mid_tools+=(7-Zip)
for m in "${medium[@]}"; do
    mid[sha256sum $m]=$(best sha256sum "$m")
    mid[rhash $m]=$(best rhash --sha256 "$m")
    mid[openssl $m]=$(best openssl dgst -sha256 "$m")
    mid[tvksum $m]=$(best "$tvksum" "$m")
    [ -z "$sevenzip" ] || mid[7-Zip $m]=$(best "$sevenzip" h -scrcSHA256 "$m")
done

python3 - "$COUNT" "$bytes" "$(nproc)" <<PY
import sys
count, size, cores = int(sys.argv[1]), int(sys.argv[2]), sys.argv[3]
small = {$(for k in "${!small[@]}"; do printf '"%s": %s, ' "$k" "${small[$k]}"; done)}
big = {$(for k in "${!big[@]}"; do printf '"%s": %s, ' "$k" "${big[$k]}"; done)}
check = {$(for k in "${!check[@]}"; do printf '"%s": %s, ' "$k" "${check[$k]}"; done)}
every = {$(for k in "${!every[@]}"; do printf '"%s": %s, ' "$k" "${every[$k]}"; done)}
mid = {$(for k in "${!mid[@]}"; do printf '"%s": %s, ' "$k" "${mid[$k]}"; done)}
tools = "${mid_tools[*]}".split()
media = "${medium[*]}".split()
ref = small["sha256sum"]
print(f"start-up on one small file, best of 300 runs: sha256sum $start_sha ms, "
      f"tvksum $start_tvk ms (true $start_true ms)")
print()
print(f"{count} files of 1 B..16 KiB, best of $REPEATS runs, {cores} cores")
print(f"{'command':24} {'total s':>9} {'per file':>10} {'/ sha256sum':>12}")
for k in ["sha256sum", "rhash", "openssl", "rhash 4 algorithms", "tvksum", "tvksum -j 2",
          "tvksum --all", "tvksum --all -j 2"]:
    t = small[k]
    print(f"{k:24} {t:9.3f} {t / count * 1e6:8.1f} us {t / ref:12.2f}")
print()
print(f"-c of an md5sum list of the {count} files")
print(f"{'command':24} {'total s':>9} {'per file':>10} {'/ md5sum -c':>12}")
for k in ["md5sum -c", "tvksum -c", "tvksum -c -j 2"]:
    t = check[k]
    print(f"{k:24} {t:9.3f} {t / count * 1e6:8.1f} us {t / check['md5sum -c']:12.2f}")
print(f"{'command':24} {'total s':>9} {'per file':>10} {'/ sha256sum -c':>15}")
for k in ["sha256sum -c", "NewVerifyList"]:
    t = check[k]
    print(f"{k:24} {t:9.3f} {t / count * 1e6:8.1f} us {t / check['sha256sum -c']:15.2f}")
print()
print("SHA-256 of one file, milliseconds")
print(f"{'size':>8} " + " ".join(f"{t:>10}" for t in tools))
for m in media:
    mib = int(m.split("-")[-1].split(".")[0]) >> 20
    print(f"{str(mib) + ' MiB':>8} " + " ".join(f"{mid[t + ' ' + m] * 1e3:10.1f}" for t in tools))
print()
print(f"one file of {size >> 20} MiB")
print(f"{'command':24} {'total s':>9} {'MB/s':>10} {'/ sha256sum':>12}")
for k in ["sha256sum", "rhash", "openssl", "rhash 4 algorithms", "tvksum", "tvksum --all"]:
    t = big[k]
    print(f"{k:24} {t:9.3f} {size / t / 1e6:10.0f} {t / big['sha256sum']:12.2f}")
print()
print(f"every algorithm: tvksum --all on $ALL_COUNT files of 1 B..16 KiB, each read once")
print(f"{'command':24} {'total s':>9} {'per file':>10} {'/ sha256sum':>12}")
for k in ["sha256sum", "tvksum --all"]:
    t = every[k]
    print(f"{k:24} {t:9.3f} {t / $ALL_COUNT * 1e6:8.1f} us {t / every['sha256sum']:12.2f}")
print()
print("SHA-512 (SHA-512 and SHA-384 of tvksum run as jobs of the control)")
print(f"{'command':24} {'small s':>9} {'per file':>10} {'/ sha512sum':>12} {'large MB/s':>11}")
for k in ["sha512sum", "rhash --sha512", "openssl -sha512", "tvksum -a sha-512",
          "tvksum -a sha-384"]:
    t = small[k]
    print(f"{k:24} {t:9.3f} {t / count * 1e6:8.1f} us {t / small['sha512sum']:12.2f}"
          f" {size / big[k] / 1e6:11.0f}")
print()
four = media[1]
peer4 = "7-Zip" if "7-Zip" in tools else "rhash"
large_peer = min(big["rhash"], big["openssl"])
goals = [("tvksum / sha256sum <= 0.8", small["tvksum"] / ref, 0.8),
         ("tvksum start-up / sha256sum start-up <= 1", $start_tvk / $start_sha, 1.0),
         ("tvksum -j 2 / sha256sum <= 0.5", small["tvksum -j 2"] / ref, 0.5),
         ("tvksum -c -j 2 / md5sum -c <= 0.6", check["tvksum -c -j 2"] / check["md5sum -c"], 0.6),
         ("NewVerifyList / sha256sum -c <= 1.2", check["NewVerifyList"] / check["sha256sum -c"], 1.2),
         (f"tvksum {size >> 20} MiB / min(rhash, openssl) < 1",
          big["tvksum"] / large_peer, 0.99999),
         (f"tvksum 4 MiB / {peer4} <= 1.2", mid["tvksum " + four] / mid[peer4 + " " + four], 1.2),
         (f"tvksum --all / sha256sum, $ALL_COUNT files <= 2",
          every["tvksum --all"] / every["sha256sum"], 2.0),
         ("tvksum -a sha-512 large / min(sha512sum, rhash) < 1",
          big["tvksum -a sha-512"] / min(big["sha512sum"], big["rhash --sha512"]), 0.99999)]
for text, value, limit in goals:
    print(f"{text:52} {value:6.2f}  {'PASS' if value <= limit else 'below'}")
PY

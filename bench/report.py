#!/usr/bin/env python3
"""Times the peer tools on the benchmark file and prints one table together
with the engine's own measurements (the output of the bench program).

    report.py BENCH_OUTPUT FILE REPEATS
"""
import re
import shutil
import subprocess
import sys
import time

PEERS = {
    "crc32": [["rhash", "--crc32"]],
    "md5": [["openssl", "dgst", "-md5"], ["md5sum"], ["rhash", "--md5"]],
    "sha1": [["openssl", "dgst", "-sha1"], ["sha1sum"], ["rhash", "--sha1"]],
    "sha256": [["openssl", "dgst", "-sha256"], ["sha256sum"], ["rhash", "--sha256"]],
}
PEERS["md5_32"] = PEERS["md5"]  # MD5_32 is the first 8 digits of MD5
ORDER = ["crc32", "adler32", "md5", "sha1", "sha256", "tvk32", "md5_32"]


def time_tool(cmd, path, repeats):
    best, out = None, ""
    for _ in range(repeats):
        start = time.perf_counter()
        res = subprocess.run(cmd + [path], capture_output=True, text=True, check=True)
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
        out = res.stdout
    return best, out


def hex_in(text, digits):
    m = re.search(r"\b([0-9a-fA-F]{%d})\b" % digits, text)
    return m.group(1).lower() if m else "?"


def main():
    bench_out, path, repeats = sys.argv[1], sys.argv[2], int(sys.argv[3])
    size = int(subprocess.run(["stat", "-c", "%s", path], capture_output=True, text=True,
                              check=True).stdout)
    ours, rates, strings = {}, {}, {}
    for line in open(bench_out):
        parts = line.split()
        if len(parts) < 3:
            continue
        algo, tool, value = parts[0], parts[1], float(parts[2])
        text = parts[3] if len(parts) > 3 else ""
        if tool.endswith("-ns"):
            strings[algo] = value
        elif tool.startswith("interface1"):
            ours.setdefault(algo, {})[tool] = (value, text)
        else:
            rates.setdefault(algo, {})[tool] = (value, text)

    digits = {"crc32": 8, "md5": 32, "sha1": 40, "sha256": 64, "md5_32": 32}
    for algo in ORDER:
        for cmd in PEERS.get(algo, []):
            if shutil.which(cmd[0]) is None:
                continue
            name = " ".join(cmd)
            if algo == "md5_32":  # same tools and file as MD5: reuse their times
                rates.setdefault(algo, {})[name] = rates["md5"][name]
                continue
            seconds, out = time_tool(cmd, path, repeats)
            rates.setdefault(algo, {})[name] = (size / seconds / 1e6, hex_in(out, digits[algo]))

    print(f"file: {path}, {size / 2**30:.2f} GiB, page-cached; best of {repeats} runs")
    print(f"{'algorithm':<9} {'tool':<22} {'MB/s':>9}  {'ratio':>6}  checksum")
    print("-" * 78)
    for algo in ORDER:
        peers = rates.get(algo, {})
        if algo == "tvk32":
            # No outside tool computes TVK32: the references are its
            # portable loop, over the file and over a cached block.
            ours[algo]["core-in-memory"] = peers.pop("core-in-memory")
            reference = {"core-in-memory": peers["portable-in-memory"][0]}
            default = peers["portable-loop"][0]
        else:
            reference = {}
            default = max((v[0] for v in peers.values()), default=None)
        for tool, (mbs, text) in sorted(ours.get(algo, {}).items()):
            ref = reference.get(tool, default)
            ratio = f"{mbs / ref:6.2f}" if ref else "     -"
            if algo == "md5_32":
                text = text[:8]
            print(f"{algo:<9} {tool:<22} {mbs:9.0f}  {ratio}  {text}")
        for tool, (mbs, text) in sorted(rates.get(algo, {}).items(), key=lambda kv: -kv[1][0]):
            if algo == "md5_32":
                text = text[:8]
            note = "  (reference)" if tool.startswith("portable") else ""
            print(f"{algo:<9} {tool:<22} {mbs:9.0f}  {'':>6}  {text}{note}")
        print()
    print("16-byte string through interface1, per call:")
    print("  " + ", ".join(f"{a} {strings[a]:.0f} ns" for a in ORDER if a in strings))
    print("ratio: our MB/s over the best peer's; tvk32 over its portable loop, through the same")
    print("4096-byte file reads, and core-in-memory over the portable loop on the same cached block")


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Times the peer tools on the benchmark file and prints one report with the
measurements of the bench program (native, and under Wine) and of the
in-memory program (checksum_backends): per algorithm the engine's file word
and job, the best peer tool, the best library in memory, the page-cache read
speed, the engine's ratio to min(library, read), the Windows engine under
Wine beside the native one, the 16-byte string word, and whether every
checksum agrees.

    report.py --file FILE --repeats N --engine OUT --memory OUT [--wine OUT]
              [--wine-note TEXT]
"""
import argparse
import os
import re
import shutil
import subprocess
import time

ORDER = ["crc32", "adler32", "md5", "sha1", "sha256", "tvk32", "md5_32", "sha512", "sha384",
         "blake3", "xxh3", "xxh128", "crc32c", "crc64nvme"]
GOAL_RATIO = 0.9  # engine over min(best library, read); Wine over native
# SHA-512 and SHA-384 are held to OpenSSL's speed more closely.
GOAL_RATIOS = {"sha512": 0.95, "sha384": 0.95}
GOAL_STRING_NS = 300.0
# The read path: the engine's read loop over dd's best block size; each
# fast algorithm over that best read, measured and as it would be on a
# machine whose page cache one reader reads at PROJECTED_READ MB/s.
GOAL_READ_LOOP = 0.95
PROJECTED_READ = 25000.0
CPU_FLAGS = ["sse4_2", "ssse3", "avx2", "avx512f", "avx512bw", "pclmulqdq", "vpclmulqdq", "sha_ni"]
LIBRARIES = {"zlib", "libdeflate", "isa-l", "openssl", "libxxhash"}
# No library computes BLAKE3 here: its bar is b3sum, which hashes a large file
# on every core.
PEER_BAR = {"blake3"}

# The peer tools: name shown, command, and the 7-Zip hasher it needs, if any.
PEERS = {
    "crc32": [("rhash", ["rhash", "--crc32", "--simple"], None),
              ("7zz h", ["7zz", "h", "-ba", "-scrcCRC32"], "CRC32")],
    "md5": [("openssl dgst", ["openssl", "dgst", "-md5"], None), ("md5sum", ["md5sum"], None),
            ("rhash", ["rhash", "--md5"], None), ("7zz h", ["7zz", "h", "-ba", "-scrcMD5"], "MD5")],
    "sha1": [("openssl dgst", ["openssl", "dgst", "-sha1"], None), ("sha1sum", ["sha1sum"], None),
             ("rhash", ["rhash", "--sha1"], None),
             ("7zz h", ["7zz", "h", "-ba", "-scrcSHA1"], "SHA1")],
    "sha256": [("openssl dgst", ["openssl", "dgst", "-sha256"], None),
               ("sha256sum", ["sha256sum"], None), ("rhash", ["rhash", "--sha256"], None),
               ("7zz h", ["7zz", "h", "-ba", "-scrcSHA256"], "SHA256")],
    "sha512": [("openssl dgst", ["openssl", "dgst", "-sha512"], None),
               ("sha512sum", ["sha512sum"], None), ("rhash", ["rhash", "--sha512"], None),
               ("7zz h", ["7zz", "h", "-ba", "-scrcSHA512"], "SHA512")],
    "blake3": [("b3sum", ["b3sum"], None)],
    "xxh3": [("xxhsum -H3", ["xxhsum", "-H3"], None)],
    "xxh128": [("xxhsum -H2", ["xxhsum", "-H2"], None)],
    "sha384": [("openssl dgst", ["openssl", "dgst", "-sha384"], None),
               ("sha384sum", ["sha384sum"], None), ("rhash", ["rhash", "--sha384"], None),
               ("7zz h", ["7zz", "h", "-ba", "-scrcSHA384"], "SHA384")],
}
# MD5_32 is the first 8 digits of MD5: the same tools and libraries serve.
SAME_AS = {"md5_32": "md5"}


def cpu_header():
    model, flags = "?", set()
    try:
        for line in open("/proc/cpuinfo"):
            key, _, value = line.partition(":")
            key = key.strip()
            if key == "model name" and model == "?":
                model = value.strip()
            elif key == "flags" and not flags:
                flags = set(value.split())
    except OSError:
        pass
    have = " ".join(f"{f}{'+' if f in flags else '-'}" for f in CPU_FLAGS)
    return f"cpu: {model}\nflags: {have}"


def sevenzip_hashers():
    """The hasher names 7zz lists under 'Hashers:' in `7zz i`."""
    if shutil.which("7zz") is None:
        return set()
    out = subprocess.run(["7zz", "i"], capture_output=True, text=True).stdout
    names, inside = set(), False
    for line in out.splitlines():
        if line.strip().endswith(":"):
            inside = line.strip() == "Hashers:"
            continue
        if inside and line.split():
            names.add(line.split()[-1])
    return names


def checksum_in(output):
    """The checksum a tool printed: the first word, after '= ' for openssl
    and xxhsum -H3."""
    text = output.split("= ", 1)[1] if "= " in output else output
    words = text.split()
    return words[0].lower() if words else "?"


def time_tool(cmd, path, repeats):
    best, out = None, ""
    for _ in range(repeats):
        start = time.perf_counter()
        res = subprocess.run(cmd + [path], capture_output=True, text=True, check=True)
        elapsed = time.perf_counter() - start
        best = elapsed if best is None else min(best, elapsed)
        out = res.stdout
    return best, checksum_in(out)


def read_lines(path):
    """{algorithm: {what: (value, text)}} from a bench or in-memory output."""
    table = {}
    if not path:
        return table
    for line in open(path, errors="replace"):
        parts = line.split()
        if len(parts) < 3 or parts[0].startswith("#"):
            continue
        try:
            value = float(parts[2])
        except ValueError:
            continue
        table.setdefault(parts[0], {})[parts[1]] = (value, parts[3] if len(parts) > 3 else "")
    return table


def same_sum(algo, text):
    text = text.lower()
    return text[:8] if algo == "md5_32" else text


def mark(ratio, algo=None):
    return "PASS" if ratio >= GOAL_RATIOS.get(algo, GOAL_RATIO) else "below"


def kib(n):
    return f"{n >> 20} MiB" if n >= 1 << 20 else f"{n >> 10} KiB"


def print_read_path(loop, dd, same, cores):
    """The engine's read loop against dd's best block size, and each
    algorithm whose core (cores: MB/s in memory) is faster than the best
    read, against that read, all timed in turns in one run
    (bench/read_loop.cpp). The others are bound by their cores.

    A large file is read by two threads at once, each hashing what it read
    in its turn, so a fast algorithm costs per byte one thread's copy plus
    its hashing, spread over two threads: 2 / A = 1 / R + h, where A is its
    speed, R one reader's (the best read) and h its hashing time per byte.
    The loop measures the copy alone (2 / L = 1 / R'), so
    h = 2 / A - 2 / L, and with a reader of speed P the algorithm would run
    at 2 / (1 / P + h), a share of P that tells whether the path would hold
    on a machine whose page cache reads at P."""
    def best_of(table):
        return max(table.items(), key=lambda kv: kv[1]) if table else (0, 0.0)
    dd_bs, dd_mbs = best_of(dd)
    same_bs, same_mbs = best_of(same)
    bar_bs, bar = (dd_bs, dd_mbs) if dd_mbs >= same_mbs else (same_bs, same_mbs)
    print("read path (one file, page-cached):")
    if dd:
        print("  dd:            " + ", ".join(f"{kib(b)} {v:.0f}" for b, v in sorted(dd.items()))
              + f"  -> best {kib(dd_bs)}")
    print("  same reads:    " + ", ".join(f"{kib(b)} {v:.0f}" for b, v in sorted(same.items()))
          + f"  -> best {kib(same_bs)}")
    piece, loop_mbs = next(iter(loop.get("loop", {}).items()), ("0", (0.0, "")))
    loop_mbs = loop_mbs[0]
    r = loop_mbs / bar if bar else 0.0
    print(f"  engine read loop, no hashing, two threads reading {kib(int(piece))} pieces at once: "
          f"{loop_mbs:.0f} MB/s = {r:.2f} of the best read ({kib(bar_bs)}, {bar:.0f} MB/s)  "
          f"{'PASS' if r >= GOAL_READ_LOOP else 'below'} (goal >= {GOAL_READ_LOOP})")
    fast, slow = [], []
    for algo in ORDER:
        name = {"sha256": "sha-256", "sha1": "sha-1", "sha512": "sha-512",
                "sha384": "sha-384"}.get(algo, algo)
        row = loop.get(name, {})
        if not row:
            continue
        size, (mbs, _) = next(iter(row.items()))
        core = cores.get(algo)
        faster = core >= bar if core else int(size) >= int(piece)
        (fast if faster else slow).append((algo, mbs))
    print(f"  file drivers of the cores faster than that read, in {kib(int(piece))} pieces: MB/s, share of the best read "
          f"(goal >= {GOAL_RATIO}), share of the loop, and projected share of a "
          f"{PROJECTED_READ / 1000:.0f} GB/s read (goal >= {GOAL_RATIO}):")
    for algo, mbs in fast:
        measured = mbs / bar if bar else 0.0
        hashing = max(2.0 / mbs - 2.0 / loop_mbs, 0.0) if mbs and loop_mbs else 0.0
        projected = 2.0 / (1.0 / PROJECTED_READ + hashing) / PROJECTED_READ
        print(f"    {algo:<9} {mbs:6.0f}  {measured:4.2f} {'PASS' if measured >= GOAL_RATIO else 'below':<5}"
              f"  {mbs / loop_mbs if loop_mbs else 0.0:4.2f}"
              f"  {projected:4.2f} {'PASS' if projected >= GOAL_RATIO else 'below'}")
    print("  the others, bound by their cores: "
          + ", ".join(f"{a} {m:.0f}" for a, m in slow))
    print()


GOAL_SET = 1.1


def print_sets(engine):
    """Several algorithms from one read against the slowest of them alone."""
    sets = [name for name in engine if name.startswith("set:")]
    if not sets:
        return
    print(f"several algorithms from one read: time against the slowest alone "
          f"(goal <= {GOAL_SET}), file word and job:")
    for name in sets:
        row = engine[name]
        slowest = row["slowest-alone"][0]
        for what in ("file", "job"):
            mbs = row[what][0]
            ratio = slowest / mbs if mbs else float("inf")
            print(f"  {name[4:]:<18} {what:<4} {mbs:6.0f} MB/s, slowest alone {slowest:6.0f}: "
                  f"{ratio:4.2f} {'PASS' if ratio <= GOAL_SET else 'above'}")
    print()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--file", required=True)
    ap.add_argument("--repeats", type=int, default=3)
    ap.add_argument("--engine", required=True)
    ap.add_argument("--memory", required=True)
    ap.add_argument("--wine")
    ap.add_argument("--wine-note", default="")
    ap.add_argument("--read-loop")
    args = ap.parse_args()

    path = args.file
    size = int(subprocess.run(["stat", "-L", "-c", "%s", path], capture_output=True, text=True,
                              check=True).stdout)
    engine, memory, wine = read_lines(args.engine), read_lines(args.memory), read_lines(args.wine)
    loop = read_lines(args.read_loop)
    # The fastest read the machine offers: dd's best block size, or the same
    # reads in the read-loop program, whichever was faster.
    dd = {int(k): v[0] for k, v in loop.get("dd", {}).items()}
    same = {int(k): v[0] for k, v in loop.get("read", {}).items()}
    read_mbs = engine.get("file", {}).get("read-1MiB", (None,))[0]
    best_read = max(list(dd.values()) + list(same.values()) + [read_mbs or 0.0])
    read_mbs = best_read
    wine_read = wine.get("file", {}).get("read-1MiB", (None,))[0]

    hashers = sevenzip_hashers()
    peers = {}
    for algo in ORDER:
        if algo in SAME_AS:
            continue
        for name, cmd, hasher in PEERS.get(algo, []):
            if shutil.which(cmd[0]) is None or (hasher and hasher not in hashers):
                continue
            seconds, text = time_tool(cmd, path, args.repeats)
            peers.setdefault(algo, {})[name] = (size / seconds / 1e6, text)
    for algo, base in SAME_AS.items():
        peers[algo] = peers.get(base, {})

    def libraries(algo):
        found = memory.get(SAME_AS.get(algo, algo), {})
        if algo == "tvk32":  # nothing outside computes it: the engine's own core
            return {k: v for k, v in found.items() if k == "core"}
        return {k: v for k, v in found.items() if k in LIBRARIES}

    print(f"file: {path}, {size / 2**20:.0f} MiB, page-cached; best of {args.repeats} runs")
    print(cpu_header())
    # Other programs running meanwhile slow some runs: say how busy the machine was.
    load = os.getloadavg()[1] if hasattr(os, "getloadavg") else 0.0
    print(f"load average over 5 minutes: {load:.2f} on {os.cpu_count()} cores "
          "(this run adds about 1; more than the cores makes the numbers unsteady)")
    print(f"page-cache read, best of dd's block sizes and 1 MiB reads: {read_mbs:.0f} MB/s"
          + (f" (under Wine {wine_read:.0f} MB/s)" if wine_read else ""))
    print(f"goal: file word and job >= {GOAL_RATIO} of min(best library in memory, read; "
          "blake3: b3sum on every core) "
          f"(sha512, sha384: >= {GOAL_RATIOS['sha512']}); "
          f"Wine >= {GOAL_RATIO} of native; 16-byte string < {GOAL_STRING_NS:.0f} ns")
    print("MB/s throughout (10^6 bytes per second)")
    print()
    head = (f"{'algorithm':<9} {'engine':>7} {'engine':>7}  {'best peer tool':<21} "
            f"{'best library':<19} {'read':>6}  {'file ratio':<10}  {'job ratio':<10}  "
            f"{'wine':>6}  {'wine/native':<11}  {'sums'}")
    head2 = (f"{'':<9} {'file':>7} {'job':>7}  {'':<21} {'in memory':<19} {'':>6}  "
             f"{'':<10}  {'':<10}  {'file':>6}")
    print(head)
    print(head2)
    print("-" * len(head))
    mismatches = []
    for algo in ORDER:
        ours = engine.get(algo, {})
        file_mbs, file_sum = ours.get("file", (0.0, "?"))
        job_mbs, job_sum = ours.get("job", (0.0, "?"))
        best_peer = max(peers.get(algo, {}).items(), key=lambda kv: kv[1][0], default=None)
        libs = libraries(algo)
        best_lib = max(libs.items(), key=lambda kv: kv[1][0], default=None)
        bar = best_peer if algo in PEER_BAR else best_lib
        limit = min(x for x in [bar[1][0] if bar else None, read_mbs] if x)
        file_ratio, job_ratio = file_mbs / limit, job_mbs / limit
        wine_file = wine.get(algo, {}).get("file")

        # Every checksum over the file must agree with the engine's file word;
        # the in-memory ones, over another buffer, with each other.
        over_file = {"engine file": file_sum, "engine job": job_sum}
        over_file.update({t: v[1] for t, v in peers.get(algo, {}).items()})
        for what in ("file", "job"):
            if what in wine.get(algo, {}):
                over_file[f"wine {what}"] = wine[algo][what][1]
        in_memory = {n: v[1] for n, v in memory.get(SAME_AS.get(algo, algo), {}).items()}
        bad = [n for n, s in over_file.items() if same_sum(algo, s) != same_sum(algo, file_sum)]
        first = next(iter(in_memory.values()), "")
        bad += [f"{n} (memory)" for n, s in in_memory.items() if same_sum(algo, s) != same_sum(algo, first)]
        if bad:
            mismatches.append(f"{algo}: {', '.join(bad)} differ")

        peer = f"{best_peer[0]} {best_peer[1][0]:.0f}" if best_peer else "-"
        lib = f"{best_lib[0]} {best_lib[1][0]:.0f}" if best_lib else "-"
        wine_col, wine_ratio = "-", "-"
        if wine_file:
            wine_col = f"{wine_file[0]:.0f}"
            r = wine_file[0] / file_mbs if file_mbs else 0.0
            wine_ratio = f"{r:.2f} {mark(r)}"
        print(f"{algo:<9} {file_mbs:7.0f} {job_mbs:7.0f}  {peer:<21} {lib:<19} {read_mbs:6.0f}  "
              f"{file_ratio:4.2f} {mark(file_ratio, algo):<5}  {job_ratio:4.2f} {mark(job_ratio, algo):<5}  "
              f"{wine_col:>6}  {wine_ratio:<11}  {'MISMATCH' if bad else 'agree'}")
    print()

    if loop:
        cores = {a: memory.get(SAME_AS.get(a, a), {}).get("core", (0.0,))[0] for a in ORDER}
        print_read_path(loop, dd, same, cores)
    print_sets(engine)
    print(f"16-byte string word through interface1, ns per call (goal < {GOAL_STRING_NS:.0f}):")
    for label, table in (("native", engine), ("Wine", wine)):
        values = [(a, table[a]["string16-ns"][0]) for a in ORDER if "string16-ns" in table.get(a, {})]
        if values:
            worst = max(v for _, v in values)
            print(f"  {label:<6} " + ", ".join(f"{a} {v:.0f}" for a, v in values)
                  + f"  -> {'PASS' if worst < GOAL_STRING_NS else 'below'}")
    if not wine:
        print(f"Windows engine under Wine: {args.wine_note or 'no measurements'}")
    elif args.wine_note:
        print(f"Windows engine under Wine: {args.wine_note}")
    print()

    print("every measurement, with its checksum:")
    for algo in ORDER:
        rows = [(f"engine {w}", *engine.get(algo, {})[w]) for w in ("file", "job")
                if w in engine.get(algo, {})]
        rows += [(f"wine {w}", *wine.get(algo, {})[w]) for w in ("file", "job")
                 if w in wine.get(algo, {})]
        rows += [(t, *v) for t, v in sorted(peers.get(algo, {}).items(), key=lambda kv: -kv[1][0])]
        if algo not in SAME_AS:
            rows += [(f"{n} (memory)", *v) for n, v in
                     sorted(memory.get(algo, {}).items(), key=lambda kv: -kv[1][0])]
        for what, mbs, text in rows:
            print(f"  {algo:<8} {what:<24} {mbs:9.0f}  {same_sum(algo, text)}")
    print()
    if mismatches:
        print("CHECKSUM MISMATCH: " + "; ".join(mismatches))
    else:
        print("checksums: every tool, library and engine call agrees per algorithm")


if __name__ == "__main__":
    main()

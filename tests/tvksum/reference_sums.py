#!/usr/bin/env python3
"""Independent reference for tvksum --all: every checksum of each file, from
zlib, hashlib, a plain TVK32 (four cascaded 8-bit sums), b3sum, xxhsum and
bytewise CRCs from the polynomials, printed as 'ALGO (FILE) = SUM' lines."""
import hashlib
import subprocess
import sys
import zlib


def crc(data, poly, bits):
    """A reflected CRC with init and xorout all ones, bit by bit per byte."""
    mask = (1 << bits) - 1
    value = mask
    for x in data:
        value ^= x
        for _ in range(8):
            value = (value >> 1) ^ (poly if value & 1 else 0)
    return value ^ mask


def tool(args, data):
    out = subprocess.run(args, input=data, stdout=subprocess.PIPE, check=True).stdout
    return out.split()[-1 if b"=" in out else 0].decode()


def tvk32(data):
    s0 = s1 = s2 = s3 = 0
    for x in data:
        s0 = (s0 + x) & 0xFF
        s1 = (s1 + s0) & 0xFF
        s2 = (s2 + s1) & 0xFF
        s3 = (s3 + s2) & 0xFF
    return (s3 << 24) | (s2 << 16) | (s1 << 8) | s0


def sums(data):
    md5 = hashlib.md5(data).hexdigest()
    return [
        ("ADLER32", "%08x" % zlib.adler32(data)),
        ("CRC32", "%08x" % zlib.crc32(data)),
        ("SHA256", hashlib.sha256(data).hexdigest()),
        ("SHA1", hashlib.sha1(data).hexdigest()),
        ("MD5", md5),
        ("MD5_32", md5[:8]),
        ("TVK32", "%08x" % tvk32(data)),
        ("SHA512", hashlib.sha512(data).hexdigest()),
        ("SHA384", hashlib.sha384(data).hexdigest()),
        ("BLAKE3", tool(["b3sum", "--no-names"], data)),
        ("XXH3", tool(["xxhsum", "-H3", "-"], data)),
        ("XXH128", tool(["xxhsum", "-H2", "-"], data)),
        ("CRC32C", "%08x" % crc(data, 0x82F63B78, 32)),
        ("CRC64NVME", "%016x" % crc(data, 0x9A6C9329AC4BC9B5, 64)),
    ]


def main():
    if sys.argv[1] == "-s":
        for text in sys.argv[2:]:
            for tag, value in sums(text.encode("utf-8")):
                print("%s (-) = %s" % (tag, value))
        return
    for name in sys.argv[1:]:
        with open(name, "rb") as f:
            data = f.read()
        for tag, value in sums(data):
            print("%s (%s) = %s" % (tag, name, value))


main()

#!/usr/bin/env bash
# vbscript.sh BITS OCX WORKDIR -- the control in Wine's cscript of its own
# bitness: registered (for the machine: Wine's COM looks classes up in
# HKLM\Software\Classes only, so a per-user registration is not seen by
# CreateObject there), every member against known values, then a copy of the
# control alone in a folder (no engine) for error 5003.
set -u
bits=$1
ocx=$2
work=$3
. "$(dirname "$0")/com_env.sh"
here=$(cd "$(dirname "$0")" && pwd)

rm -rf "$work"
mkdir -p "$work/data" "$work/alone"
printf 'abc' > "$work/data/abc.txt"
printf '123456789' > "$work/data/nine.txt"
: > "$work/data/empty.txt"
crc=$(rhash --simple --crc32 "$work/data/nine.txt" | cut -d' ' -f1)
md5=$(md5sum < "$work/data/abc.txt" | cut -d' ' -f1)
sha1=$(sha1sum < "$work/data/abc.txt" | cut -d' ' -f1)
sha256=$(sha256sum < "$work/data/abc.txt" | cut -d' ' -f1)
sha512=$(sha512sum < "$work/data/abc.txt" | cut -d' ' -f1)
sha384=$(sha384sum < "$work/data/abc.txt" | cut -d' ' -f1)
cp "$here"/methods.vbs "$here"/missing_engine.vbs "$work/"

ocx_w=$(winpath "$ocx")
regsvr "$bits" /s "$ocx_w"
check "registration" test $? -eq 0
# The last two arguments are non-ASCII texts (Wine's VBScript has no ChrW),
# passed in UTF-8 whatever the caller's locale.
LC_ALL=C.UTF-8 cscript_run "$bits" "$(winpath "$work/methods.vbs")" "$(winpath "$work/data")" \
    "$crc" "$md5" "$sha1" "$sha256" "$sha512" "$sha384" "café" "I 😀 🚀!" | tr -d '\r' | tee "$work/methods.out"
check "members of the control from VBScript" test "${PIPESTATUS[0]}" -eq 0
check "the script ran to its end" grep -q '^[0-9]* passed, 0 failed$' "$work/methods.out"
regsvr "$bits" /s /u "$ocx_w"

cp "$ocx" "$work/alone/TVKChecksum.ocx"
alone_w=$(winpath "$work/alone/TVKChecksum.ocx")
regsvr "$bits" /s "$alone_w"
check "registration of the lone control" test $? -eq 0
cscript_run "$bits" "$(winpath "$work/missing_engine.vbs")" "$(winpath "$work/alone")\\tvkchecksum.dll" |
    tr -d '\r' | tee "$work/missing.out"
check "error 5003 reaches VBScript" test "${PIPESTATUS[0]}" -eq 0
check "the script ran to its end" grep -q '^[0-9]* passed, 0 failed$' "$work/missing.out"
regsvr "$bits" /s /u "$alone_w"

finish

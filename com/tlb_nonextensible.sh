#!/bin/sh
# tlb_nonextensible.sh TLB -- sets two type flags that widl leaves out: the
# event dispinterfaces become non-extensible (widl does not take that
# attribute on a dispinterface), and the dispatch half of each dual interface
# carries the oleautomation flag of its vtable half, as MIDL writes it. The
# library is in the MSFT format: a fixed header, the offsets of the type
# infos, the segment directory whose first segment holds one 0x64-byte record
# per type info. The event interfaces (the first version's and the present
# one) are the TKIND_DISPATCH records without TYPEFLAG_FDUAL;
# TYPEFLAG_FNONEXTENSIBLE is or-ed into their flags word (offset 0x30 in the
# record). The dual ones get TYPEFLAG_FOLEAUTOMATION.
set -eu
tlb=$1

word() { od -An -t u4 -j "$1" -N 4 "$tlb" | tr -d ' '; }
put_word() {
    v=$2
    b0=$((v & 255)); b1=$(((v >> 8) & 255)); b2=$(((v >> 16) & 255)); b3=$(((v >> 24) & 255))
    printf "$(printf '\\%03o\\%03o\\%03o\\%03o' $b0 $b1 $b2 $b3)" |
        dd of="$tlb" bs=1 seek="$1" conv=notrunc status=none
}

[ "$(word 0)" = 1413894989 ] || { echo "$tlb: not an MSFT type library" >&2; exit 1; }
varflags=$(word 0x14)
count=$(word 0x20)
segdir=$((0x54 + count * 4))
[ $((varflags & 0x100)) -ne 0 ] && segdir=$((segdir + 4))
table=$(word $segdir)

patched=0
i=0
while [ $i -lt "$count" ]; do
    rec=$((table + i * 0x64))
    kind=$(($(word $rec) & 15))
    flags=$(word $((rec + 0x30)))
    if [ $kind -eq 4 ] && [ $((flags & 0x40)) -eq 0 ]; then
        put_word $((rec + 0x30)) $((flags | 0x80))
        patched=$((patched + 1))
    elif [ $kind -eq 4 ]; then
        put_word $((rec + 0x30)) $((flags | 0x100))
    fi
    i=$((i + 1))
done
[ $patched -eq 2 ] || { echo "$tlb: expected two event dispinterfaces, found $patched" >&2; exit 1; }

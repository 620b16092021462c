#!/bin/sh
# make_msi.sh WXS ARCH MSI OCX DLL -- builds the installer package of the
# control OCX and its engine DLL with wixl, then adds the registry rows, the
# components of the shared keys and the context's searches and custom
# actions, which wixl cannot express (WXS.keys, one msibuild query a line).
set -eu
wxs=$1
arch=$2
msi=$3
# wixl finds files only by paths relative to the .wxs file.
dir=$(dirname "$wxs")
ocx=$(realpath -m --relative-to="$dir" "$4")
dll=$(realpath -m --relative-to="$dir" "$5")
tmp=$msi.tmp
rm -f "$tmp"
wixl -a "$arch" -D "Ocx=$ocx" -D "Dll=$dll" -o "$tmp" "$wxs"
while IFS= read -r query; do
    [ -n "$query" ] && msibuild "$tmp" -q "$query"
done < "$wxs.keys"
mv -f "$tmp" "$msi"

#!/bin/sh
# make_msi.sh WXS ARCH MSI -- builds the installer package with wixl, then
# adds the registry rows that wixl cannot express (WXS.keys, one msibuild
# query a line: keys with no value, key trees removed on uninstall).
set -eu
wxs=$1
arch=$2
msi=$3
tmp=$msi.tmp
rm -f "$tmp"
wixl -a "$arch" -o "$tmp" "$wxs"
while IFS= read -r query; do
    [ -n "$query" ] && msibuild "$tmp" -q "$query"
done < "$wxs.keys"
mv -f "$tmp" "$msi"

#!/usr/bin/env bash
# deploy.sh BITS MSI UPGRADE-MSI CLIENT OCX SXS-MANIFEST APP-MANIFEST WORKDIR
# The two ways to deploy the control, in the test prefix:
#  - the installer package: installed with msiexec /i /qn into Program Files,
#    the client and docs/examples/checksum.vbs create the control by its
#    ProgID from there; its registry
#    rows equal what regsvr32 writes; a later version (UPGRADE-MSI) replaces
#    it; msiexec /x leaves no key and no file;
#  - registration-free: with nothing registered, the client in a folder
#    with the control, its engine and the assembly manifest, and the sample
#    application manifest as its own.
# The prefix is shared with the other tests: the script first removes
# whatever an earlier run or another test left, then checks that nothing of
# the control is registered before it starts.
set -u
bits=$1
msi=$2
upgrade_msi=$3
client=$4
ocx=$5
sxs_manifest=$6
app_manifest=$7
work=$8
. "$(dirname "$0")/com_env.sh"
docs=$(cd "$(dirname "$0")/../../docs" && pwd)

if [ "$bits" = 64 ]; then
    folder_w='C:\Program Files\TVK Checksum'
    folder="$WINEPREFIX/drive_c/Program Files/TVK Checksum"
else
    folder_w='C:\Program Files (x86)\TVK Checksum'
    folder="$WINEPREFIX/drive_c/Program Files (x86)/TVK Checksum"
fi
machine='HKLM\Software\Classes'
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'

msiexec() { "$(loader_for "$bits")" "$(sysdir_for "$bits")\\msiexec.exe" "$@"; }

trees() {
    echo "$machine\\CLSID\\$CLSID"
    echo "$machine\\$PROGID"
    echo "$machine\\TypeLib\\$LIBID"
    echo "$machine\\Interface\\$IID"
    echo "$machine\\Interface\\$BASE_IID"
    echo "$machine\\Interface\\$FIRST_IID"
    echo "$machine\\Interface\\$DIID"
    echo "$machine\\Interface\\$FIRST_DIID"
}
# Nothing of the control in either registry view.
nothing_registered() {
    local k view
    while read -r k; do
        for view in 64 32; do
            ! reg_present "$view" "$k" || { echo "  left $k (view $view)"; return 1; }
        done
    done < <(trees)
}
# Every key and value below the control's trees, with its folder as <DIR>\.
registry_dump() { # registry_dump FOLDER-AS-WINDOWS-PATH
    local k line
    while read -r k; do
        reg_query "$bits" "$k" /s | while IFS= read -r line; do
            [ -n "$line" ] && echo "${line//"$1\\"/<DIR>\\}"
        done
    done < <(trees)
}
products() { # "NAME VERSION" of each installed product of ours, one a line
    reg_query "$bits" "$uninstall_key" /s | awk '
        function show() { if (name ~ /^TVK Checksum OCX/) print name " " version; name = version = "" }
        /^HKEY/ { show() }
        /^ +DisplayName +REG_SZ/ { sub(/^ +DisplayName +REG_SZ +/, ""); name = $0 }
        /^ +DisplayVersion +REG_SZ/ { sub(/^ +DisplayVersion +REG_SZ +/, ""); version = $0 }
        END { show() }'
}
sha256_of() { sha256sum "$1" | cut -d' ' -f1; }
run_client() { # run_client EXE [CONTROL-PATH]: the checks' output in $work/client.out
    "$(loader_for "$bits")" "$1" "$(winpath "$data")" "$sum" ${2:+"$2"} 2>/dev/null |
        tr -d '\r' > "$work/client.out"
    local rc=${PIPESTATUS[0]}
    sed 's/^/  client: /' "$work/client.out"
    return "$rc"
}

rm -rf "$work"
mkdir -p "$work/app"
data="$work/job.bin"
head -c 393216 /dev/urandom > "$data"
sum=$(sha256_of "$data")

# A clean start, whatever an earlier run left.
msiexec /x "$(winpath "$upgrade_msi")" /qn >/dev/null 2>&1
msiexec /x "$(winpath "$msi")" /qn >/dev/null 2>&1
regsvr "$bits" /s /u "$(winpath "$ocx")" >/dev/null 2>&1
check "nothing of the control registered at the start" nothing_registered

# The package.
msiexec /i "$(winpath "$msi")" /qn
check "msiexec /i succeeds" test $? -eq 0
check "control installed under Program Files" test -f "$folder/TVKChecksum.ocx"
check "engine installed beside it" test -f "$folder/tvkchecksum.dll"
check "the installed control is the built one" cmp -s "$ocx" "$folder/TVKChecksum.ocx"
run_client "$client" "$folder_w\\TVKChecksum.ocx"
check "client through the package's registration" test $? -eq 0
# The documentation's VBScript example, against independent tools.
cscript_run "$bits" "$(winpath "$docs/examples/checksum.vbs")" "$(winpath "$data")" 2>/dev/null |
    tr -d '\r' > "$work/vbs.out"
printf '%s\n' "TVK Checksum OCX 2.7.0" "MD5 abc $(printf abc | md5sum | cut -d' ' -f1)" \
    "SHA-256 abc $(printf abc | sha256sum | cut -d' ' -f1)" \
    "CRC-32 file $(rhash --simple --crc32 "$data" | cut -d' ' -f1)" \
    "MD5 file $(md5sum "$data" | cut -d' ' -f1)" "SHA-256 file $sum" > "$work/vbs.expected"
check "docs/examples/checksum.vbs through the package's registration" \
    diff "$work/vbs.expected" "$work/vbs.out"
registry_dump "$folder_w" > "$work/msi.reg"

msiexec /x "$(winpath "$msi")" /qn
check "msiexec /x succeeds" test $? -eq 0
check "no key left after msiexec /x" nothing_registered
check "no file or folder left after msiexec /x" test ! -e "$folder"
check "no product left after msiexec /x" test -z "$(products)"

# The package's rows are the control's own: compare with regsvr32's.
regsvr "$bits" /s "$(winpath "$ocx")"
check "regsvr32 registration for the comparison" test $? -eq 0
ocx_dir_w=$(winpath "$(dirname "$ocx")")
registry_dump "$ocx_dir_w" > "$work/regsvr32.reg"
regsvr "$bits" /s /u "$(winpath "$ocx")"
check "the package writes exactly the keys and values of regsvr32" \
    diff "$work/msi.reg" "$work/regsvr32.reg"
check "the comparison saw the whole registration" test "$(grep -c . "$work/msi.reg")" -ge 40

# A later version replaces the earlier one.
msiexec /i "$(winpath "$msi")" /qn
installed_before=$(products)
msiexec /i "$(winpath "$upgrade_msi")" /qn
check "msiexec /i of the later version succeeds" test $? -eq 0
check "one product, the later version (was: $installed_before)" \
    test "$(products)" = "TVK Checksum OCX (x$([ "$bits" = 64 ] && echo 64 || echo 86)) 2.7.1"
check "the control is still installed" test -f "$folder/TVKChecksum.ocx"
check "and registered" reg_present "$bits" "$machine\\CLSID\\$CLSID\\InprocServer32"
msiexec /x "$(winpath "$upgrade_msi")" /qn
check "no key left after removing the later version" nothing_registered
check "no file left after removing the later version" test ! -e "$folder"

# Registration-free: nothing registered, everything in the program's folder.
cp "$ocx" "$(dirname "$ocx")/tvkchecksum.dll" "$sxs_manifest" "$client" "$work/app/"
app_client="$work/app/$(basename "$client")"
run_client "$app_client"
check "without the application manifest the class is not found" \
    grep -q '^FAILED: CoCreateInstance' "$work/client.out"
cp "$app_manifest" "$app_client.manifest"
run_client "$app_client" "$(winpath "$work/app/TVKChecksum.ocx")"
check "client through the side-by-side manifest, no registration" test $? -eq 0
check "still nothing registered" nothing_registered

finish

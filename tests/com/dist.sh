#!/usr/bin/env bash
# dist.sh SOURCE WIN32-BUILD WIN64-BUILD TRUST-CLIENT WORKDIR
# The distribution of both bitnesses as com/make_dist.sh makes it, in the
# test prefix:
#  - signing: a throw-away certificate authority and code-signing certificate
#    made here sign the distribution; osslsigncode verifies the six files
#    against that authority and rejects a file with one byte changed;
#    without a certificate nothing is signed; with the authority among the
#    prefix's trusted roots, WinVerifyTrust accepts the installed control and
#    engine of both packages;
#  - both bitnesses side by side: after both packages are installed, in
#    either order, and either is removed, the other works by its ProgID and
#    type library (the deployment client and docs/examples/checksum.vbs of
#    its bitness) and leaves exactly the keys that regsvr32 of that bitness
#    writes; removing the second leaves no key in either view, file, folder,
#    product or installer registration of the shared keys' components;
#  - for the current user alone: each package installs into a folder of its
#    own in the user's profile and writes exactly the keys of regsvr32 /n
#    /i:user and nothing for the machine: the x64 one alone, the x86 one
#    beside the x64 package installed for the machine. The plain "msiexec /x
#    PACKAGE" removes the x64 one, "msiexec /x {PRODUCT}" (as Apps & features
#    does) the x86 one, leaving nothing for the user and the machine's keys
#    as they were.
# Where Wine differs from Windows (docs/installing.md shows the logs):
#  - its msi writes the rows of a 32-bit component of the x64 package (run
#    by the 64-bit msiexec) below HKLM\Software\Wow6432Node\Classes, which
#    only 32-bit programs read, where Windows writes the ProgID that both
#    views share; a 32-bit program writes that shared key in Wine too. The
#    x64 package finds Wine by its HID bus driver's key and writes the ProgID
#    with a 64-bit component of its own as well, so in Wine the ProgID of
#    the x64 package shows in both views and the one left by the x86
#    package after the x64 one went only in the 32-bit view: the ProgID's
#    keys are compared whatever view holds them;
#  - it does not redirect HKCU\Software\Classes\CLSID, so the per-user
#    keys of either bitness show in both views;
#  - its msi takes the machine context whenever ALLUSERS is 1 or 2 and
#    ignores MSIINSTALLPERUSER, so the per-user install that Windows makes of
#    "MSIINSTALLPERUSER=1 ALLUSERS=2" is made with an empty ALLUSERS (the
#    same context); it places the rows of the root -1 by ALLUSERS rather than
#    by the context, which the package's own search of the user's
#    registration mends for the removal;
#  - its COM does not look for classes under HKCU, so no client is run for
#    the per-user installs.
# Both deployment clients (com_deploy_client of each build) create the
# control by its ProgID. Exits 77 (skipped) when the 64-bit build is not
# there.
set -u
src=$1
build32=$2
build64=$3
trust=$4
work=$5
client32=$build32/tests/com/deploy/com_deploy_client.exe
client64=$build64/tests/com/deploy/com_deploy_client.exe
for f in "$build64/com/TVKChecksum-x64.msi.wxs" "$client64" "$client32"; do
    [ -f "$f" ] || {
        echo "skipped: $f missing (build both Windows presets)"
        exit 77
    }
done
. "$(dirname "$0")/com_env.sh"

uninstall_key='Software\Microsoft\Windows\CurrentVersion\Uninstall'
msiexec() { # msiexec BITS ARGS...
    local bits=$1
    shift
    "$(loader_for "$bits")" "$(sysdir_for "$bits")\\msiexec.exe" "$@" </dev/null
}
# The product codes of every installed package of the control, for the
# machine or the user, of either bitness.
our_products() { # our_products [ARCH]: of that package only
    local root view
    for root in HKLM HKCU; do
        for view in 64 32; do
            reg_query "$view" "$root\\$uninstall_key" /s | awk -v arch="${1:-}" '
                /^HKEY/ { key = $0 }
                /^ +DisplayName +REG_SZ +TVK Checksum OCX/ && index($0, "(" arch) {
                    sub(/.*\\/, "", key); print key }'
        done
    done | sort -u
}
# Whatever an earlier run or another test left: the packages, and the keys
# of both bitnesses for the machine and the user.
remove_all() {
    local code bits build ocx
    for code in $(our_products); do
        msiexec 64 /x "$code" /qn
    done
    for bits in 64 32; do
        build=build$bits
        ocx=$(winpath "${!build}/bin/TVKChecksum.ocx")
        regsvr "$bits" /s /u "$ocx" >/dev/null 2>&1
        regsvr "$bits" /s /u /n /i:user "$ocx" >/dev/null 2>&1
    done
}
flip_byte() { # flip_byte FILE OFFSET
    python3 -c 'import sys
with open(sys.argv[1], "r+b") as f:
    f.seek(int(sys.argv[2])); b = f.read(1); f.seek(-1, 1); f.write(bytes([b[0] ^ 1]))' "$1" "$2"
}
fails() { ! "$@"; }
trees() {
    echo "CLSID\\$CLSID"
    echo "$PROGID"
    echo "TypeLib\\$LIBID"
    echo "Interface\\$IID"
    echo "Interface\\$BASE_IID"
    echo "Interface\\$FIRST_IID"
    echo "Interface\\$DIID"
    echo "Interface\\$FIRST_DIID"
}
# Every key and value of the control below ROOT\Software\Classes in both
# registry views, with FOLDER (a Windows path) as <DIR>.
registry_dump() { # registry_dump ROOT FOLDER
    local t view line
    while read -r t; do
        for view in 64 32; do
            reg_query "$view" "$1\\Software\\Classes\\$t" /s | while IFS= read -r line; do
                # reg.exe reports a missing key on its standard output.
                [ -n "$line" ] && [ "${line#reg:}" = "$line" ] &&
                    echo "$view: ${line//"$2\\"/<DIR>\\}"
            done
        done
    done < <(trees)
}
# The dump with the ProgID's keys compared whatever view holds them: Wine
# keeps the copy that the x64 package's 32-bit component writes apart from
# the key that both views share (see above).
any_view() {
    awk -v p="\\Classes\\$PROGID" '
        /^[0-9]+: HKEY/ {
            i = index($0, p)
            k = i && (i + length(p) > length($0) || substr($0, i + length(p), 1) == "\\")
        }
        k { sub(/^[0-9]+:/, "any:") }
        !(k && seen[$0]++)' "$@"
}
nothing_registered() { test -z "$(registry_dump HKLM none)$(registry_dump HKCU none)"; }
# The components of the shared keys (registration.rows), as Windows
# Installer's registry names them (the GUID's digits in its packed order).
shared_components=$(
    sed -n 's/^fact [a-z]*_component_[0-9]* *= *{\(.*\)}/\1/p' "$src/com/registration.rows" |
        python3 -c 'import sys
for g in sys.stdin.read().split():
    h = g.replace("-", "")
    pairs = "".join(h[i + 1] + h[i] for i in range(16, 32, 2))
    print(h[7::-1] + h[11:7:-1] + h[15:11:-1] + pairs)'
)
# Is any of them still registered for a product, in either context?
components_registered() {
    reg_query 64 'HKLM\Software\Microsoft\Windows\CurrentVersion\Installer\UserData' /s |
        grep -qiF "$shared_components"
}
verifies() { osslsigncode verify -CAfile "$ca/root.pem" -in "$1" >/dev/null 2>&1; }

# The install folders: for the machine, and the base of those for the user.
dir64="$WINEPREFIX/drive_c/Program Files/TVK Checksum"
dir32="$WINEPREFIX/drive_c/Program Files (x86)/TVK Checksum"
declare -A dirs=([64]="$dir64" [32]="$dir32")
# The folder of the per-user installs.
local_appdata=$("$WINE64" cmd /c 'echo %LOCALAPPDATA%' 2>/dev/null | tr -d '\r')
user_dir=$("$WINE64" winepath -u "$local_appdata\\Programs" 2>/dev/null)/TVK\ Checksum

rm -rf "$work"
mkdir -p "$work"
remove_all
rm -rf "$dir64" "$dir32" "$user_dir (x64)" "$user_dir (x86)"
check "nothing of the control registered at the start" nothing_registered

# A certificate authority and a code-signing certificate of its own, for
# two days, in the work folder only.
ca=$work/ca
mkdir -p "$ca"
cat > "$ca/x509.cnf" <<'EOF'
[req]
distinguished_name = dn
prompt = no
[dn]
CN = TVK Checksum Test Root
[root]
basicConstraints = critical, CA:true
keyUsage = critical, keyCertSign
subjectKeyIdentifier = hash
[signer]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid
EOF
password=test-$$
{
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -config "$ca/x509.cnf" -extensions root \
        -keyout "$ca/root.key" -out "$ca/root.pem" &&
        openssl req -newkey rsa:2048 -nodes -subj "/CN=TVK Checksum Test Signer" \
            -keyout "$ca/signer.key" -out "$ca/signer.csr" &&
        openssl x509 -req -days 2 -in "$ca/signer.csr" -CA "$ca/root.pem" -CAkey "$ca/root.key" \
            -CAcreateserial -extfile "$ca/x509.cnf" -extensions signer -out "$ca/signer.pem" &&
        openssl pkcs12 -export -inkey "$ca/signer.key" -in "$ca/signer.pem" \
            -passout "pass:$password" -out "$ca/signer.pfx" &&
        openssl x509 -in "$ca/root.pem" -outform DER -out "$ca/root.der"
} >/dev/null 2>&1
check "a throw-away certificate authority and code-signing certificate" test $? -eq 0

# Unsigned, and a wrong password.
bash "$src/com/make_dist.sh" "$build32" "$build64" "$work/unsigned" > "$work/unsigned.out" 2>&1
check "make_dist.sh without a certificate succeeds" test $? -eq 0
check "and says once that nothing is signed" test "$(grep -c 'not signed' "$work/unsigned.out")" = 1
check "its packages are not signed" fails verifies "$work/unsigned/TVKChecksum-x64.msi"
TVK_SIGN_PFX=$ca/signer.pfx TVK_SIGN_PASSWORD=wrong \
    bash "$src/com/make_dist.sh" "$build32" "$build64" "$work/wrong" >/dev/null 2>&1
check "a wrong password stops make_dist.sh" test $? -ne 0

# Signed.
dist=$work/dist
TVK_SIGN_PFX=$ca/signer.pfx TVK_SIGN_PASSWORD=$password \
    bash "$src/com/make_dist.sh" "$build32" "$build64" "$dist" > "$work/signed.out" 2>&1
check "make_dist.sh with a certificate succeeds" test $? -eq 0
check "and does not say that nothing is signed" fails grep -q 'not signed' "$work/signed.out"
signed=("$dist/win32/TVKChecksum.ocx" "$dist/win32/tvkchecksum.dll" "$dist/win64/TVKChecksum.ocx"
    "$dist/win64/tvkchecksum.dll" "$dist/TVKChecksum-x86.msi" "$dist/TVKChecksum-x64.msi")
for f in "${signed[@]}"; do
    check "signature of ${f#"$dist"/} verifies against the test authority" verifies "$f"
done
check "but not against the system's authorities" \
    fails osslsigncode verify -CAfile /etc/ssl/certs/ca-certificates.crt -in "${signed[0]}" \
    >/dev/null 2>&1
cp "$dist/win64/TVKChecksum.ocx" "$work/tampered.ocx"
flip_byte "$work/tampered.ocx" 8192
check "one byte changed: the signature fails" fails verifies "$work/tampered.ocx"

# Per bitness: its package, install folder (Windows and Unix path), the
# distribution's folder and the deployment client.
declare -A msi=([64]="$(winpath "$dist/TVKChecksum-x64.msi")"
    [32]="$(winpath "$dist/TVKChecksum-x86.msi")")
declare -A dirw=([64]='C:\Program Files\TVK Checksum' [32]='C:\Program Files (x86)\TVK Checksum')
declare -A distw=([64]="$(winpath "$dist/win64")" [32]="$(winpath "$dist/win32")")
declare -A client=([64]="$client64" [32]="$client32")
declare -A arch=([64]=x64 [32]=x86)
install() { # install BITS: the package of that bitness, for the machine
    msiexec "$1" /i "${msi[$1]}" /qn
    check "the ${arch[$1]} package installs" test $? -eq 0
}
remove() {
    msiexec "$1" /x "${msi[$1]}" /qn
    check "the ${arch[$1]} package is removed" test $? -eq 0
}

# What regsvr32 of each bitness alone writes, for the comparisons below.
for bits in 64 32; do
    regsvr "$bits" /s "${distw[$bits]}\\TVKChecksum.ocx"
    registry_dump HKLM "${distw[$bits]}" > "$work/regsvr32-$bits.reg"
    regsvr "$bits" /s /u "${distw[$bits]}\\TVKChecksum.ocx"
done
check "regsvr32 writes the whole registration" \
    test "$(cat "$work"/regsvr32-*.reg | grep -c .)" -ge 80

# The packages install the signed files; Windows trusts them once the
# authority is among the machine's trusted roots.
install 64
install 32
installed=("$dir32/TVKChecksum.ocx" "$dir32/tvkchecksum.dll" "$dir64/TVKChecksum.ocx"
    "$dir64/tvkchecksum.dll")
for f in "${installed[@]}"; do
    check "installed ${f#"$WINEPREFIX"/drive_c/} verifies" verifies "$f"
done
# Wine's WinVerifyTrust accepts these signatures without the authority too:
# its Authenticode policy lets a chain pass that ends in an untrusted root or
# stops short, where Windows answers CERT_E_UNTRUSTEDROOT or CERT_E_CHAINING.
# The changed and the unsigned file show that it checks digest and signature.
"$(loader_for 32)" "$trust" add-root "$(winpath "$ca/root.der")"
check "the test authority added to the trusted roots" test $? -eq 0
paths=()
for f in "${installed[@]}" "$work/tampered.ocx" "$build64/bin/TVKChecksum.ocx"; do
    paths+=("$(winpath "$f")")
done
"$(loader_for 32)" "$trust" verify "${paths[@]}" 2>/dev/null | tr -d '\r' > "$work/trust.out"
sed 's/^/  /' "$work/trust.out"
for f in "${paths[@]:0:4}"; do
    check "WinVerifyTrust accepts the installed ${f#*drive_c\\}" \
        grep -qxF "trusted $f" "$work/trust.out"
done
check "WinVerifyTrust: a changed byte breaks the digest (TRUST_E_BAD_DIGEST)" \
    grep -qxF "untrusted ${paths[4]}: 0x80096010" "$work/trust.out"
check "WinVerifyTrust: the unsigned build is not signed (TRUST_E_NOSIGNATURE)" \
    grep -qxF "untrusted ${paths[5]}: 0x800b0100" "$work/trust.out"
# The root goes again (Wine keeps it when CertDeleteCertificateFromStore
# deletes it, so its registry key is deleted).
thumbprint=$(openssl x509 -in "$ca/root.pem" -noout -fingerprint -sha1 | sed 's/.*=//; s/://g')
for view in 64 32; do
    "$WINE64" 'C:\windows\system32\reg.exe' delete \
        "HKLM\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\$thumbprint" \
        /f /reg:$view >/dev/null 2>&1
done

# A 384 KiB file and what docs/examples/checksum.vbs prints for it.
data=$work/job.bin
head -c 393216 /dev/urandom > "$data"
sum=$(sha256sum "$data" | cut -d' ' -f1)
printf '%s\n' "TVK Checksum OCX 2.7.0" "MD5 abc $(printf abc | md5sum | cut -d' ' -f1)" \
    "SHA-256 abc $(printf abc | sha256sum | cut -d' ' -f1)" \
    "CRC-32 file $(rhash --simple --crc32 "$data" | cut -d' ' -f1)" \
    "MD5 file $(md5sum "$data" | cut -d' ' -f1)" "SHA-256 file $sum" > "$work/vbs.expected"

# works BITS: the installed control of that bitness, by its ProgID and type
# library, and its registry against that of regsvr32.
works() {
    local bits=$1
    "$(loader_for "$bits")" "${client[$bits]}" "$(winpath "$data")" "$sum" \
        "${dirw[$bits]}\\TVKChecksum.ocx" 2>/dev/null | tr -d '\r' > "$work/client.out"
    check "  ${arch[$bits]}: the client through the remaining package's registration" \
        test "${PIPESTATUS[0]}" -eq 0
    grep FAILED "$work/client.out" | sed 's/^/    /'
    cscript_run "$bits" "$(winpath "$src/docs/examples/checksum.vbs")" "$(winpath "$data")" \
        2>/dev/null | tr -d '\r' > "$work/vbs.out"
    check "  ${arch[$bits]}: docs/examples/checksum.vbs" diff "$work/vbs.expected" "$work/vbs.out"
    registry_dump HKLM "${dirw[$bits]}" | any_view > "$work/left.reg"
    check "  ${arch[$bits]}: exactly the keys and values of its regsvr32" \
        diff <(any_view "$work/regsvr32-$bits.reg") "$work/left.reg"
}
gone() {
    check "  nothing registered" nothing_registered
    check "  no installer registration of the shared components" fails components_registered
    check "  no file or folder" \
        test ! -e "$dir64" -a ! -e "$dir32" -a ! -e "$user_dir (x64)" -a ! -e "$user_dir (x86)"
    check "  no product" test -z "$(our_products)"
}

# for_user BITS: installs the package of that bitness for the current user
# and checks it, beside what the machine has (a dump as regsvr32-64.reg or
# nothing); then removes it, the x64 one by msiexec /x PACKAGE, the x86 one
# by its product code, as Apps & features does, and checks that nothing is
# left for the user and the machine's keys are as they were.
for_user() {
    local bits=$1 machine=$2 how
    echo "${arch[$bits]} for the current user:"
    regsvr "$bits" /s /n /i:user "${distw[$bits]}\\TVKChecksum.ocx"
    registry_dump HKCU "${distw[$bits]}" > "$work/user-$bits.reg"
    regsvr "$bits" /s /u /n /i:user "${distw[$bits]}\\TVKChecksum.ocx"
    msiexec "$bits" /i "${msi[$bits]}" ALLUSERS= /qn
    check "the ${arch[$bits]} package installs for the user" test $? -eq 0
    check "  into the profile" test -f "$user_dir (${arch[$bits]})/TVKChecksum.ocx" \
        -a -f "$user_dir (${arch[$bits]})/tvkchecksum.dll" -a ! -e "${dirs[$bits]}"
    registry_dump HKCU "$local_appdata\\Programs\\TVK Checksum (${arch[$bits]})" > "$work/left.reg"
    check "  exactly the keys and values of regsvr32 /n /i:user" \
        diff "$work/user-$bits.reg" "$work/left.reg"
    registry_dump HKLM "${dirw[64]}" | any_view > "$work/left.reg"
    check "  the machine's keys as before" diff <(any_view "$machine") "$work/left.reg"
    if [ "$bits" = 64 ]; then
        how=PACKAGE
        msiexec "$bits" /x "${msi[$bits]}" /qn
    else
        how={PRODUCT}
        msiexec "$bits" /x "$(our_products "${arch[$bits]}")" /qn
    fi
    check "  removed by msiexec /x $how" test $? -eq 0
    check "  nothing left for the user" test -z "$(registry_dump HKCU none)" \
        -a ! -e "$user_dir (${arch[$bits]})"
    registry_dump HKLM "${dirw[64]}" | any_view > "$work/left.reg"
    check "  the machine's keys as before" diff <(any_view "$machine") "$work/left.reg"
}

# Side by side, in the four orders; the first pair is installed already.
# Once only the x64 package is left, the x86 one goes in and out for the
# current user beside it.
for order in "64 32 32" "64 32 64" "32 64 32" "32 64 64"; do
    read -r first second removed <<< "$order"
    echo "${arch[$first]}, then ${arch[$second]} installed; ${arch[$removed]} removed first:"
    if [ "$order" != "64 32 32" ]; then
        install "$first"
        install "$second"
    fi
    remove "$removed"
    kept=$((96 - removed))
    works "$kept"
    [ "$order" = "32 64 32" ] && for_user 32 "$work/regsvr32-64.reg"
    remove "$kept"
    gone
done

# The x64 package for the current user alone.
for_user 64 /dev/null
gone
finish

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
our_products() {
    local root view
    for root in HKLM HKCU; do
        for view in 64 32; do
            reg_query "$view" "$root\\$uninstall_key" /s | awk '
                /^HKEY/ { key = $0 }
                /^ +DisplayName +REG_SZ +TVK Checksum OCX/ { sub(/.*\\/, "", key); print key }'
        done
    done | sort -u
}
remove_all() {
    local code
    for code in $(our_products); do
        msiexec 64 /x "$code" /qn
    done
}
flip_byte() { # flip_byte FILE OFFSET
    python3 -c 'import sys
with open(sys.argv[1], "r+b") as f:
    f.seek(int(sys.argv[2])); b = f.read(1); f.seek(-1, 1); f.write(bytes([b[0] ^ 1]))' "$1" "$2"
}
fails() { ! "$@"; }
verifies() { osslsigncode verify -CAfile "$ca/root.pem" -in "$1" >/dev/null 2>&1; }

rm -rf "$work"
mkdir -p "$work"
remove_all

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
    fails osslsigncode verify -CAfile /etc/ssl/certs/ca-certificates.crt -in "${signed[0]}" >/dev/null 2>&1
cp "$dist/win64/TVKChecksum.ocx" "$work/tampered.ocx"
flip_byte "$work/tampered.ocx" 8192
check "one byte changed: the signature fails" fails verifies "$work/tampered.ocx"

# The packages install the signed files; Windows trusts them once the
# authority is among the machine's trusted roots.
dir64="$WINEPREFIX/drive_c/Program Files/TVK Checksum"
dir32="$WINEPREFIX/drive_c/Program Files (x86)/TVK Checksum"
msiexec 64 /i "$(winpath "$dist/TVKChecksum-x64.msi")" /qn
check "the signed x64 package installs" test $? -eq 0
msiexec 32 /i "$(winpath "$dist/TVKChecksum-x86.msi")" /qn
check "the signed x86 package installs" test $? -eq 0
installed=("$dir32/TVKChecksum.ocx" "$dir32/tvkchecksum.dll" "$dir64/TVKChecksum.ocx"
    "$dir64/tvkchecksum.dll")
for f in "${installed[@]}"; do
    check "installed ${f#"$WINEPREFIX"/drive_c/} verifies" verifies "$f"
done
"$(loader_for 32)" "$trust" add-root "$(winpath "$ca/root.der")"
check "the test authority added to the trusted roots" test $? -eq 0
paths=()
for f in "${installed[@]}" "$work/tampered.ocx" "$build64/bin/TVKChecksum.ocx"; do
    paths+=("$(winpath "$f")")
done
"$(loader_for 32)" "$trust" verify "${paths[@]}" 2>/dev/null | tr -d '\r' > "$work/trust.out"
sed 's/^/  /' "$work/trust.out"
for f in "${paths[@]:0:4}"; do
    check "WinVerifyTrust accepts the installed ${f#*drive_c\\}" grep -qxF "trusted $f" "$work/trust.out"
done
check "WinVerifyTrust: a changed byte breaks the digest (TRUST_E_BAD_DIGEST)" \
    grep -qxF "untrusted ${paths[4]}: 0x80096010" "$work/trust.out"
check "WinVerifyTrust: the unsigned build is not signed (TRUST_E_NOSIGNATURE)" \
    grep -qxF "untrusted ${paths[5]}: 0x800b0100" "$work/trust.out"
# The root goes again (Wine's CertDeleteCertificateFromStore leaves it).
thumbprint=$(openssl x509 -in "$ca/root.pem" -noout -fingerprint -sha1 | sed 's/.*=//; s/://g')
for view in 64 32; do
    "$WINE64" 'C:\windows\system32\reg.exe' delete \
        "HKLM\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\$thumbprint" \
        /f /reg:$view >/dev/null 2>&1
done

remove_all
check "no product left at the end" test -z "$(our_products)"
finish

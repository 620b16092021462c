# com_env.sh -- sourced by the COM test scripts: the Wine prefix and display,
# the loaders of both bitnesses and the control's registry names.
here_com=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$here_com/../../scripts/wine-env.sh"

# The plain "wine" starts 32-bit programs (syswow64); 64-bit builtin
# programs of system32 need the 64-bit loader.
WINE32=wine
WINE64=/usr/lib/wine/wine64
[ -x "$WINE64" ] || WINE64=wine64

CLSID='{A457CCEE-DBEB-4237-81C4-3D0759FE2A28}'
LIBID='{A0DAB423-A277-40EA-8D05-C8C1A20475CD}'
IID='{7A6B458B-62FD-46B4-80E4-C4CFEB10BA39}'
BASE_IID='{5A0A21CC-3E9F-4876-8D12-A8BD3A7E4567}'
FIRST_IID='{D9B0879D-2AA1-4B5F-8260-F3165FD237DC}'
TLBVERSION=9.2
DIID='{A1995EE7-A2EE-4585-844A-AB0F4AB075A0}'
FIRST_DIID='{A8DDD33F-F6E2-4073-87AE-793DEAC591EF}'
PROGID='TVKChecksum270.TVKChecksum'

# An absolute Unix path as Wine sees it on drive Z:.
winpath() { printf 'Z:%s' "$(printf '%s' "$1" | sed 's|/|\\|g')"; }

loader_for() { if [ "$1" = 64 ]; then echo "$WINE64"; else echo "$WINE32"; fi; }
sysdir_for() { if [ "$1" = 64 ]; then echo 'C:\windows\system32'; else echo 'C:\windows\syswow64'; fi; }

# regsvr BITS ARGS...: the regsvr32 of that bitness.
regsvr() {
    local bits=$1
    shift
    "$(loader_for "$bits")" "$(sysdir_for "$bits")\\regsvr32.exe" "$@"
}

# cscript BITS ARGS...: the cscript of that bitness.
cscript_run() {
    local bits=$1
    shift
    "$(loader_for "$bits")" "$(sysdir_for "$bits")\\cscript.exe" //nologo "$@"
}

# reg_query VIEW KEY [ARGS...]: reg.exe query in the 32- or 64-bit view.
reg_query() {
    local view=$1 key=$2
    shift 2
    "$WINE64" 'C:\windows\system32\reg.exe' query "$key" "$@" /reg:"$view" 2>/dev/null | tr -d '\r'
}
reg_present() { "$WINE64" 'C:\windows\system32\reg.exe' query "$2" /reg:"$1" >/dev/null 2>&1; }

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "ok: $*"; }
fail() { failed=$((failed + 1)); echo "FAILED: $*"; }
check() { # check DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
}

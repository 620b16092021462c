#!/usr/bin/env bash
# registration.sh BITS OCX -- registers the control for the machine and for
# the user with the regsvr32 of its own bitness (and for the machine with the
# other one, which hands a foreign DLL to its twin), checks the keys in the
# registry view of the control's bitness and that unregistration leaves none.
set -u
bits=$1
ocx=$2
. "$(dirname "$0")/com_env.sh"
other=$([ "$bits" = 64 ] && echo 32 || echo 64)
ocx_w=$(winpath "$ocx")

keys_under() { # the keys registration writes, below one classes root
    echo "$1\\CLSID\\$CLSID"
    echo "$1\\$PROGID"
    echo "$1\\TypeLib\\$LIBID"
    echo "$1\\Interface\\$IID"
    echo "$1\\Interface\\$BASE_IID"
    echo "$1\\Interface\\$FIRST_IID"
    echo "$1\\Interface\\$DIID"
    echo "$1\\Interface\\$FIRST_DIID"
}
# A key in the control's view; a ProgID key is shared by both views (as on
# Windows), so it may sit in either.
key_present() {
    reg_present "$bits" "$1" || { [[ $1 == *"\\$PROGID"* ]] && reg_present "$other" "$1"; }
}
all_present() {
    local k
    while read -r k; do key_present "$k" || { echo "  missing $k"; return 1; }; done < <(keys_under "$1")
}
none_present() {
    local k
    while read -r k; do ! key_present "$k" || { echo "  left $k"; return 1; }; done < <(keys_under "$1")
}
value_is() { # value_is KEY VALUE-NAME|"" EXPECTED
    local args=(/ve)
    [ -n "$2" ] && args=(/v "$2")
    reg_query "$bits" "$1" "${args[@]}" | grep -qiF -- "$3"
}

machine='HKLM\Software\Classes'
user='HKCU\Software\Classes'

# A clean start, whatever an earlier run left.
regsvr "$bits" /s /u "$ocx_w" >/dev/null 2>&1
regsvr "$bits" /s /u /n /i:user "$ocx_w" >/dev/null 2>&1

regsvr "$bits" /s "$ocx_w"
check "machine registration with the $bits-bit regsvr32 succeeds" test $? -eq 0
check "machine keys present" all_present "$machine"
check "InprocServer32 is the control's path" value_is "$machine\\CLSID\\$CLSID\\InprocServer32" "" "$ocx_w"
check "ThreadingModel Apartment" value_is "$machine\\CLSID\\$CLSID\\InprocServer32" ThreadingModel Apartment
check "ProgID key names the class" key_present "$machine\\$PROGID\\CLSID"
check "Control key" reg_present "$bits" "$machine\\CLSID\\$CLSID\\Control"
check "MiscStatus for the content aspect" value_is "$machine\\CLSID\\$CLSID\\MiscStatus\\1" "" 131473
check "TypeLib key of the class" value_is "$machine\\CLSID\\$CLSID\\TypeLib" "" "$LIBID"
check "type library registered as $TLBVERSION, locale 409, win$bits" \
    value_is "$machine\\TypeLib\\$LIBID\\$TLBVERSION\\409\\win$bits" "" "$ocx_w"
check "nothing for the user" none_present "$user"

regsvr "$bits" /s /u "$ocx_w"
check "machine unregistration succeeds" test $? -eq 0
check "no machine key left" none_present "$machine"

regsvr "$bits" /s /n /i:user "$ocx_w"
check "per-user registration succeeds" test $? -eq 0
check "user keys present" all_present "$user"
check "user InprocServer32 is the control's path" value_is "$user\\CLSID\\$CLSID\\InprocServer32" "" "$ocx_w"
check "user type library registered" value_is "$user\\TypeLib\\$LIBID\\$TLBVERSION\\409\\win$bits" "" "$ocx_w"
check "nothing for the machine" none_present "$machine"
regsvr "$bits" /s /u /n /i:user "$ocx_w"
check "per-user unregistration succeeds" test $? -eq 0
check "no user key left" none_present "$user"

regsvr "$other" /s "$ocx_w"
check "the $other-bit regsvr32 registers the $bits-bit control" test $? -eq 0
check "keys in the $bits-bit view" all_present "$machine"
regsvr "$other" /s /u "$ocx_w"
check "no key left after the $other-bit regsvr32 /u" none_present "$machine"

finish

#!/usr/bin/env bash
# End-to-end tests of the tvksum program on real files.
# Usage: e2e.sh TVKSUM CASE   (CASE: sum all strings check usage errors about
#                              stdin names cancel tty readerror devices
#                              nospace fifo walk jobs lines checkmessages
#                              md5lists listreaderror fastlists coreutils
#                              lists)
set -u
TVKSUM=$1
CASE=$2
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/tvksum-e2e.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
failures=0

fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
expect_eq() { # what expected actual
    if [ "$2" != "$3" ]; then
        fail "$1"
        diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") >&2
    fi
}
expect_rc() { [ "$2" = "$3" ] || fail "$1: exit code $3, expected $2"; }
expect_has() { case "$3" in *"$2"*) ;; *) fail "$1: no '$2' in: $3" ;; esac; }

# A handful of real files: text, empty, binary, blanks and odd characters.
make_files() {
    printf abc > abc.txt
    : > empty
    printf 'The quick brown fox jumps over the lazy dog' > fox
    head -c 100000 /dev/urandom > random.bin
    head -c 8193 /dev/zero | tr '\0' 'z' > blocks.txt
    printf 'blank' > 'name with  blanks'
    printf 'slash' > 'back\slash'
    printf 'newline' > "$(printf 'new\nline')"
    FILES=(abc.txt empty fox random.bin blocks.txt 'name with  blanks' 'back\slash'
           "$(printf 'new\nline')")
}

case_sum() {
    make_files
    local out rc
    out=$("$TVKSUM" "${FILES[@]}"); rc=$?
    expect_rc "default sum" 0 $rc
    expect_eq "default algorithm is sha256sum" "$(sha256sum "${FILES[@]}")" "$out"
    expect_eq "-a sha-256" "$(sha256sum "${FILES[@]}")" "$("$TVKSUM" -a SHA-256 "${FILES[@]}")"
    expect_eq "-a md5" "$(md5sum "${FILES[@]}")" "$("$TVKSUM" -a md5 "${FILES[@]}")"
    expect_eq "-a sha-1" "$(sha1sum "${FILES[@]}")" "$("$TVKSUM" --algorithm=sha-1 "${FILES[@]}")"
    expect_eq "--tag" "$(sha256sum --tag "${FILES[@]}")" "$("$TVKSUM" --tag "${FILES[@]}")"
    expect_eq "--tag md5" "$(md5sum --tag fox empty)" "$("$TVKSUM" --tag -a md5 fox empty)"
    # SHA-512 and SHA-384 (jobs of the control) byte for byte as coreutils,
    # in both forms, and sha512sum -c takes tvksum's lists.
    cmp <(sha512sum "${FILES[@]}") <("$TVKSUM" -a sha-512 "${FILES[@]}") || fail "-a sha-512"
    cmp <(sha384sum "${FILES[@]}") <("$TVKSUM" -a SHA384 "${FILES[@]}") || fail "-a SHA384"
    cmp <(sha512sum --tag "${FILES[@]}") <("$TVKSUM" --tag -a SHA512 "${FILES[@]}") ||
        fail "--tag -a SHA512"
    cmp <(sha384sum --tag "${FILES[@]}") <("$TVKSUM" --tag -a sha-384 "${FILES[@]}") ||
        fail "--tag -a sha-384"
    "$TVKSUM" -a sha-512 "${FILES[@]}" > SHA512SUMS
    sha512sum --quiet -c SHA512SUMS || fail "sha512sum -c of tvksum's list"
    "$TVKSUM" --tag -a sha-384 "${FILES[@]}" > SHA384TAGS
    sha384sum --quiet -c SHA384TAGS || fail "sha384sum -c of tvksum's tagged list"
    # Byte for byte, trailing newline included.
    cmp <(sha256sum "${FILES[@]}") <("$TVKSUM" "${FILES[@]}") || fail "sum output not byte-identical"
    # CRC-32 against rhash, which prints upper case: compare the digits.
    expect_eq "-a crc32 vs rhash" "$(rhash --crc32 --simple fox random.bin | cut -c1-8 | tr A-F a-f)" \
        "$("$TVKSUM" -a crc32 fox random.bin | cut -c1-8)"
}

case_all() {
    make_files
    local files=(abc.txt empty fox random.bin blocks.txt 'name with  blanks')
    local out rc
    out=$("$TVKSUM" --all "${files[@]}"); rc=$?
    expect_rc "--all" 0 $rc
    expect_eq "--all against zlib, hashlib and TVK32" "$(python3 "$HERE/reference_sums.py" "${files[@]}")" "$out"
    # The tagged SHA256 lines are exactly sha256sum --tag's.
    expect_eq "--all SHA256 lines" "$(sha256sum --tag "${files[@]}")" "$(grep '^SHA256 ' <<<"$out")"
    # Published TVK32 values.
    printf '123456789' > digits
    expect_eq "tvk32 of 123456789" "d7df15dd  digits" "$("$TVKSUM" -a tvk32 digits)"
    expect_eq "tvk32 of fox" "d070a2d9  fox" "$("$TVKSUM" -a TVK32 fox)"
    expect_eq "crc32 of 123456789" "cbf43926  digits" "$("$TVKSUM" -a crc32 digits)"
}

# The lists of b3sum and xxhsum, both ways, byte for byte.
case_fastlists() {
    make_files
    local files=(abc.txt empty fox random.bin blocks.txt 'name with  blanks')
    cmp <(b3sum "${files[@]}") <("$TVKSUM" -a blake3 "${files[@]}") || fail "-a blake3 vs b3sum"
    cmp <(xxhsum -H2 "${files[@]}") <("$TVKSUM" -a xxh128 "${files[@]}") || fail "-a xxh128 vs xxhsum"
    cmp <(xxhsum -H3 "${files[@]}") <("$TVKSUM" --tag -a xxh3 "${files[@]}") ||
        fail "--tag -a xxh3 vs xxhsum -H3"
    b3sum "${files[@]}" > B3SUMS
    expect_eq "-c -a blake3 of b3sum's list" "$(b3sum -c B3SUMS)" "$("$TVKSUM" -c -a blake3 B3SUMS)"
    "$TVKSUM" -a blake3 "${files[@]}" > TVKB3
    b3sum -c --quiet TVKB3 || fail "b3sum -c of tvksum's list"
    { xxhsum -H3 fox abc.txt; xxhsum -H2 --tag empty; } > XXTAGS
    expect_eq "-c of xxhsum's tagged lines" "$(xxhsum -c XXTAGS)" "$("$TVKSUM" -c XXTAGS)"
    xxhsum -H2 "${files[@]}" > XX128
    expect_eq "-c -a xxh128 of xxhsum's list" "$(xxhsum -c XX128)" "$("$TVKSUM" -c -a XXH128 XX128)"
    "$TVKSUM" --tag -a crc32c fox > CRCS; "$TVKSUM" --tag -a crc64nvme random.bin >> CRCS
    printf 'x' >> fox
    "$TVKSUM" -c CRCS > out; expect_rc "-c of a changed file's CRC-32C" 1 $?
    expect_eq "-c CRC lines" "$(printf 'fox: FAILED\nrandom.bin: OK')" "$(cat out)"
}

# -a NAME,NAME... and --all: one tagged line per algorithm, in the order
# given, as coreutils --tag writes them, from one read of each file; the
# errors of each file as with one algorithm.
case_lists() {
    make_files
    head -c $((3 << 20)) /dev/urandom > large.bin # read by the control, not by tvksum
    local files=("${FILES[@]}" large.bin) f
    tagged() { # tagged TOOL... -- FILE...: each file's lines, tool by tool
        local tools=() t g
        while [ "$1" != -- ]; do tools+=("$1"); shift; done; shift
        for g in "$@"; do for t in "${tools[@]}"; do "$t" --tag ${ZERO:+"$ZERO"} "$g"; done; done
    }
    cmp <(tagged sha256sum md5sum -- "${files[@]}") <("$TVKSUM" -a sha-256,md5 "${files[@]}") ||
        fail "-a sha-256,md5"
    cmp <(tagged sha512sum sha1sum md5sum sha384sum sha512sum -- "${files[@]}") \
        <("$TVKSUM" -a SHA512,sha-1,Md5,sha-384,sha-512 "${files[@]}") || fail "-a of five, tags too"
    cmp <(tagged md5sum sha1sum -- "${files[@]}") <("$TVKSUM" -j 2 --algorithm=md5,sha-1 "${files[@]}") ||
        fail "-j 2 -a md5,sha-1"
    cmp <(ZERO=-z tagged sha256sum md5sum -- "${files[@]}") \
        <("$TVKSUM" -z -a sha-256,md5 "${files[@]}") || fail "-z -a sha-256,md5"
    expect_eq "-s with a list" "$(printf abc | md5sum --tag; printf abc | sha1sum --tag)" \
        "$("$TVKSUM" -a md5,sha-1 -s abc)"
    # One name: the plain lines of today; --tag as before.
    cmp <(md5sum "${files[@]}") <("$TVKSUM" -a md5 "${files[@]}") || fail "-a md5 alone"
    # --all: every line of coreutils' algorithms as theirs, for a file read
    # here and one read by the control.
    local all
    all=$("$TVKSUM" --all "${files[@]}")
    for f in sha256sum sha1sum md5sum sha512sum sha384sum; do
        local tag
        tag=$("$f" --tag fox | cut -d' ' -f1)
        expect_eq "--all $tag lines" "$("$f" --tag "${files[@]}")" "$(grep -a "^\\\\\?$tag " <<<"$all")"
    done
    # Each --all line equals the line of its algorithm alone.
    for f in abc.txt large.bin; do
        local one=() a
        for a in adler32 crc32 sha-256 sha-1 md5 md5_32 tvk32 sha-512 sha-384 blake3 xxh3 xxh128 \
            crc32c crc64nvme; do
            one+=("$("$TVKSUM" --tag -a $a "$f")")
        done
        expect_eq "--all of $f is each algorithm's line" "$(printf '%s\n' "${one[@]}")" \
            "$("$TVKSUM" --all "$f")"
    done
    expect_eq "-j 2 --all" "$all" "$("$TVKSUM" -j 2 --all "${files[@]}")"
    # A file of 64 MiB or more runs as one background job of the control.
    head -c $((65 << 20)) /dev/zero > job.bin
    cmp <(tagged sha512sum md5sum -- job.bin) <("$TVKSUM" -a sha-512,md5 job.bin) ||
        fail "-a sha-512,md5 as a job"
    rm job.bin

    # Errors: what one algorithm prints, once per file, the others summed.
    mkdir adir
    local rc err_one
    for bad in nope adir ''; do
        "$TVKSUM" "$bad" >/dev/null 2>err_one
        err_one=$(cat err_one)
        for args in "-a sha-256,md5" "--all" "-j 2 -a sha-256,md5" "-j 2 --all"; do
            # shellcheck disable=SC2086
            "$TVKSUM" $args abc.txt "$bad" large.bin >out 2>err; rc=$?
            expect_rc "$args with '$bad'" 1 $rc
            expect_eq "$args with '$bad': message" "$err_one" "$(cat err)"
            # shellcheck disable=SC2086
            expect_eq "$args with '$bad': the others" "$("$TVKSUM" $args abc.txt large.bin)" \
                "$(cat out)"
        done
    done
    if [ "$(id -u)" != 0 ]; then
        printf x > locked; chmod 000 locked
        "$TVKSUM" locked 2>err_one >/dev/null
        "$TVKSUM" -a md5,sha-1 locked 2>err >/dev/null; expect_rc "unreadable, list" 1 $?
        expect_eq "unreadable, list: message" "$(cat err_one)" "$(cat err)"
    fi

    # Lists that are refused, as an unknown name is.
    for args in "-a md5, f" "-a ,md5 f" "-a md5,,sha-1 f" "-a md5,sha-3 f" "-c -a md5,sha-1 f" \
        "--all -a md5,sha-1 f"; do
        # shellcheck disable=SC2086
        "$TVKSUM" $args >out 2>err; rc=$?
        expect_rc "usage: $args" 1 $rc
        expect_has "usage hint: $args" "Try 'tvksum --help' for more information." "$(cat err)"
        expect_eq "usage: $args prints nothing on stdout" "" "$(cat out)"
    done
    "$TVKSUM" -a 'md5, sha-1' f >/dev/null 2>err; expect_rc "a blank in the list" 1 $?
    expect_has "a blank in the list: message" "unknown algorithm ' sha-1'" "$(cat err)"
}

case_strings() {
    local out
    expect_eq "-s abc" "$(printf abc | sha256sum)" "$("$TVKSUM" -s abc)"
    expect_eq "-s md5" "$(printf abc | md5sum)" "$("$TVKSUM" -a md5 -s abc)"
    expect_eq "-s empty" "$(printf '' | sha1sum)" "$("$TVKSUM" -a sha-1 -s '')"
    local text=$'\xc3\xa9t\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80'
    expect_eq "-s UTF-8 bytes" "$(printf '%s' "$text" | sha256sum)" "$("$TVKSUM" -s "$text")"
    expect_eq "-s twice" "$(printf a | md5sum; printf b | md5sum)" "$("$TVKSUM" -a md5 -s a -s b)"
    expect_eq "-s sha-512" "$(printf '%s' "$text" | sha512sum)" "$("$TVKSUM" -a sha-512 -s "$text")"
    expect_eq "-s sha-384 empty" "$(printf '' | sha384sum)" "$("$TVKSUM" -a sha-384 -s '')"
    expect_eq "--all -s" "$(python3 "$HERE/reference_sums.py" -s "$text" abc)" \
        "$("$TVKSUM" --all -s "$text" -s abc)"
    "$TVKSUM" -s $'bad\xff' >/dev/null 2>err; expect_rc "-s invalid UTF-8" 1 $?
    expect_has "-s invalid UTF-8 message" "not valid UTF-8" "$(cat err)"
}

case_check() {
    make_files
    local out rc
    sha256sum "${FILES[@]}" > SHA256SUMS
    out=$("$TVKSUM" -c SHA256SUMS 2>err); rc=$?
    expect_rc "-c sha256sum list" 0 $rc
    expect_eq "-c sha256sum list output" "$(sha256sum -c SHA256SUMS)" "$out"
    expect_eq "-c quiet stderr" "" "$(cat err)"

    md5sum -b abc.txt empty > MD5SUMS; md5sum fox 'name with  blanks' >> MD5SUMS
    out=$("$TVKSUM" -c MD5SUMS); rc=$?
    expect_rc "-c md5sum list (length tells md5)" 0 $rc
    expect_eq "-c md5sum output" "$(md5sum -c MD5SUMS)" "$out"
    expect_eq "-c -a md5" "$out" "$("$TVKSUM" -c -a md5 MD5SUMS)"

    sha256sum --tag abc.txt > TAGGED; md5sum --tag fox >> TAGGED; sha1sum --tag empty >> TAGGED
    expect_eq "-c tagged list" "$(printf 'abc.txt: OK\nfox: OK\nempty: OK')" "$("$TVKSUM" -c TAGGED)"
    # sha512sum and sha384sum lists: the 128 or 96 digits tell the algorithm;
    # tagged lines of both.
    sha512sum "${FILES[@]}" > SHA512SUMS; sha384sum -b fox random.bin > SHA384SUMS
    out=$(cat SHA512SUMS SHA384SUMS | "$TVKSUM" -c); rc=$?
    expect_rc "-c sha512sum and sha384sum list" 0 $rc
    expect_eq "-c sha512sum and sha384sum output" \
        "$(sha512sum -c SHA512SUMS; sha384sum -c SHA384SUMS)" "$out"
    sha512sum --tag fox > TAGGED512; sha384sum --tag abc.txt >> TAGGED512
    expect_eq "-c tagged SHA512 and SHA384" "$(printf 'fox: OK\nabc.txt: OK')" "$("$TVKSUM" -c TAGGED512)"
    printf 'changed' > changed.txt; sha512sum changed.txt > CHANGED; printf 'x' >> changed.txt
    "$TVKSUM" -c CHANGED >/dev/null 2>&1; expect_rc "-c sha512 mismatch" 1 $?
    "$TVKSUM" --all abc.txt random.bin > ALL
    out=$("$TVKSUM" -c ALL); rc=$?
    expect_rc "-c of --all output" 0 $rc
    expect_eq "-c of --all output lines" 28 "$(grep -c ': OK$' <<<"$out")"
    expect_eq "-c from standard input" "abc.txt: OK" "$(sha256sum abc.txt | "$TVKSUM" -c)"
    expect_eq "-c CRLF list" "fox: OK" "$(md5sum fox | sed 's/$/\r/' | "$TVKSUM" -c -)"

    # A changed file: FAILED, the warning, exit 1; same as sha256sum.
    cp SHA256SUMS OLD; printf 'changed' > abc.txt
    out=$("$TVKSUM" -c OLD 2>err); rc=$?
    expect_rc "-c mismatch" 1 $rc
    expect_eq "-c mismatch output" "$(sha256sum -c OLD 2>/dev/null)" "$out"
    expect_has "-c mismatch warning" "tvksum: WARNING: 1 computed checksum did NOT match" "$(cat err)"
    out=$("$TVKSUM" -c --quiet OLD 2>/dev/null); rc=$?
    expect_rc "--quiet mismatch" 1 $rc
    expect_eq "--quiet prints failures only" "abc.txt: FAILED" "$out"
    out=$("$TVKSUM" -c --status OLD 2>&1); rc=$?
    expect_rc "--status mismatch" 1 $rc
    expect_eq "--status is silent" "" "$out"

    # A listed file that is gone.
    printf '%s  gone\n' "$(printf x | md5sum | cut -c1-32)" > GONE
    out=$("$TVKSUM" -c GONE 2>err); rc=$?
    expect_rc "-c missing file" 1 $rc
    expect_eq "-c missing file output" "gone: FAILED open or read" "$out"
    expect_has "-c missing file message" "tvksum: gone: No such file or directory" "$(cat err)"
    expect_has "-c missing file warning" "WARNING: 1 listed file could not be read" "$(cat err)"
    "$TVKSUM" -c --ignore-missing GONE >/dev/null 2>&1; expect_rc "--ignore-missing, nothing verified" 1 $?
    md5sum fox >> GONE
    "$TVKSUM" -c --ignore-missing GONE >/dev/null 2>&1; expect_rc "--ignore-missing" 0 $?

    # Improperly formatted lines: a warning; a failure only with --strict or
    # when no line at all can be used.
    { md5sum fox; echo 'not a checksum line'; echo '# comment'; echo; } > MIXED
    out=$("$TVKSUM" -c MIXED 2>err); rc=$?
    expect_rc "-c malformed line" 0 $rc
    expect_has "-c malformed warning" "WARNING: 1 line is improperly formatted" "$(cat err)"
    "$TVKSUM" -c --strict MIXED >/dev/null 2>&1; expect_rc "--strict" 1 $?
    echo garbage > BAD
    "$TVKSUM" -c BAD >/dev/null 2>err; expect_rc "-c nothing usable" 1 $?
    expect_has "-c nothing usable message" "BAD: no properly formatted checksum lines found" "$(cat err)"
    # 8-digit sums need -a: without it the line cannot be verified.
    "$TVKSUM" -a crc32 fox > CRC
    "$TVKSUM" -c CRC >/dev/null 2>&1; expect_rc "-c crc32 list without -a" 1 $?
    expect_eq "-c -a crc32" "fox: OK" "$("$TVKSUM" -c -a crc32 CRC)"
    "$TVKSUM" -c nolist >/dev/null 2>err; expect_rc "-c missing list" 1 $?
    expect_has "-c missing list message" "tvksum: nolist: No such file or directory" "$(cat err)"
}

# Runs md5sum and tvksum with the same arguments; their standard output,
# standard error (md5sum's name replaced) and exit codes must be the same.
# Both read standard input from $INPUT (default /dev/null). With FAULT=FILE:N
# the Nth read of FILE fails with EIO in both (strace's fault injection).
same_as_md5sum() { # what tvksum-only-options -- arguments (TOOL: another tool)
    local what=$1 extra=() run=() tool=${TOOL:-md5sum}
    shift
    while [ "$1" != -- ]; do extra+=("$1"); shift; done
    shift
    [ -n "${FAULT:-}" ] && run=(env "ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
        strace -f -qq -o /dev/null -P "${FAULT%:*}" -e trace=read
        -e "inject=read:error=EIO:when=${FAULT##*:}")
    "${run[@]}" "$tool" "$@" <"${INPUT:-/dev/null}" >want.out 2>want.err; local want_rc=$?
    "${run[@]}" "$TVKSUM" "${extra[@]}" "$@" <"${INPUT:-/dev/null}" >got.out 2>got.err
    local got_rc=$?
    # Traced, the engine writes its debug lines (as to an attached debugger).
    [ -n "${FAULT:-}" ] && sed -i '/^DLL_[A-Z_]* $/d' got.err
    expect_rc "$what" $want_rc $got_rc
    cmp -s want.out got.out || { fail "$what: standard output"; diff want.out got.out >&2; }
    sed -i "s/^$tool:/tvksum:/; s/'$tool --help'/'tvksum --help'/" want.err
    cmp -s want.err got.err || { fail "$what: standard error"; diff want.err got.err >&2; }
}

case_checkmessages() {
    # md5sum -c's messages, byte for byte: files that are gone, folders,
    # changed files, names the shell would quote, with and without -j, in
    # list order; --status still names the files it cannot read.
    mkdir -p many adir
    local i n x
    x=$(printf x | md5sum | cut -c1-32)
    local odd=(gone adir 'a:b' 'sp ace' "q'uote" $'tab\tx' 'back\slash' $'latin\xe9' "it's a\$b"
        '#x' 'x#y' '{' 'a@b' $'nl\nx' $'a\001b' "$(printf 'q\x27\tb')")
    : > LIST
    for i in $(seq 1 40); do
        printf '%s' "$i" > "many/f$i"; md5sum "many/f$i" >> LIST
        [ "$i" = 30 ] && echo 'an improperly formatted line' >> LIST
        n=${odd[$((i - 1))]:-}
        [ -z "$n" ] && continue
        case $n in # escaped as md5sum writes such names
            *[$'\n\\']*) n=${n//\\/\\\\}; printf '\\%s  %s\n' "$x" "${n//$'\n'/\\n}" >> LIST ;;
            *) printf '%s  %s\n' "$x" "$n" >> LIST ;;
        esac
    done
    printf 'changed' > many/f7
    local opts j
    for opts in "" --status --quiet --ignore-missing "--status --ignore-missing" --warn --strict; do
        for j in 1 2 3; do
            # shellcheck disable=SC2086
            # -a md5: with -w, tvksum names the algorithm only when told it
            same_as_md5sum "-c $opts -j $j" -j $j -a md5 -- -c $opts LIST
        done
    done
    # The list's own name, quoted the same way; standard input is named so.
    printf 'garbage\n' > 'my:list'
    same_as_md5sum "-c -w of my:list" -a md5 -- -c -w 'my:list'
    same_as_md5sum "-c of a missing no:list" -- -c 'no:list'
    same_as_md5sum "-c of a folder" -- -c adir
    INPUT='my:list' same_as_md5sum "-c - of garbage" -a md5 -- -c -w -
    printf '%s  gone\n' "$(printf x | md5sum | cut -c1-32)" > 'ig list'
    same_as_md5sum "--ignore-missing, nothing verified" -- -c --ignore-missing 'ig list'
    # Quoting follows the user's character set, which tvksum loads only
    # when a message needs it: the missing 'café' is shown as is in UTF-8.
    printf '%s  %s\n' "$x" $'caf\xc3\xa9' > 'utf8 list'
    local loc
    for loc in C C.UTF-8; do
        LC_ALL=$loc same_as_md5sum "-c of a missing UTF-8 name, $loc" -a md5 -- -c 'utf8 list'
    done
}

# Crafted lists through md5sum -c and tvksum -c: the same output, messages
# and exit code, with each way of choosing the output, with and without -j 2
# and -a md5. Rows are printf formats; {S} is the sum of f, {X} a wrong one.
case_md5lists() {
    printf abc > f; printf abc > 'sp ace'; printf abc > 'b\s'; printf abc > "$(printf 'n\nl')"
    local S X row rows opts j loc
    S=$(md5sum < f | cut -c1-32); X=$(printf x | md5sum | cut -c1-32)
    rows=(
        '{S}  f\n{S} *f\n{X}  f\n{S}  sp ace\n{S}  gone\n'
        '{S} f\n{S}\tf\n{S}  f\n{S} *f\n{S} *\n'         # one blank first: it holds
        '{S}  f\n{S} f\n{S}\tf\n{S}\t *f\n{S} *\n{S}  \n' # two blanks first
        '\n   \n\t\n  #x\n#c\n\r\n\r\r\n  {S}  f\r\n\t{S} *f\n'
        'MD5 (f) = {S}\nMD5(f)={S}\nMD5 (f) =\t {S}\nmd5 (f) = {S}\nMD5  (f) = {S}\n'
        'MD5 () = {S}\nMD5 (sp ace) = {X}\nMD5 (f) = {S} \nMD5_32 (f) = {S}\n'
        '{S}  f\0junk\nMD5 (f\0x) = {S}\nMD5 (f) = {S}\0junk\n\\{S}  f\0x\n{S}  \0\n'
        '\\{S}  b\\\\s\n\\{S}  n\\nl\n\\{S}  bad\\q\n{S}  b\\s\n\\MD5 (n\\nl) = {X}\n'
        '{S}0  f\n{S}  f\n{X}  caf\303\251\n{X}  a b\303\251\n{X}  \342\200\213z\n{X}  g:x\n'
        '{X}   \047\351\n{X}  \315\201}\047\t\n{X}  \047\t\n{X}  a\047b\n' # names quoted twice
        '{S}  -\n{S}  f\n{S}  -\n'
        '# only a comment\n'
        '{X}  f\n{S}  gone\n' # --ignore-missing: nothing matched
    )
    local n=0
    for row in "${rows[@]}"; do
        n=$((n + 1))
        printf "$(sed "s/{S}/$S/g; s/{X}/$X/g" <<<"$row")" > "L$n"
        for opts in "" --strict -w --quiet --status "--status -w" "-w --quiet" \
            --ignore-missing; do
            # shellcheck disable=SC2086
            INPUT=f same_as_md5sum "L$n -c $opts" -a md5 -- -c $opts "L$n"
            case $opts in "" | -w | --status | --ignore-missing)
                # shellcheck disable=SC2086
                INPUT=f same_as_md5sum "L$n -c $opts -j 2" -j 2 -a md5 -- -c $opts "L$n" ;;
            esac
        done
        # Without -a the sums' length tells md5.
        INPUT=f same_as_md5sum "L$n -c, no -a" -- -c "L$n"
        for opts in --status --quiet; do # the last of them counts
            # shellcheck disable=SC2086
            INPUT=f same_as_md5sum "L$n -c $opts -w $opts" -a md5 -- -c $opts -w $opts "L$n"
        done
        for loc in C C.UTF-8; do
            LC_ALL=$loc INPUT="L$n" same_as_md5sum "L$n from standard input, $loc" -a md5 -- -c -w
        done
    done
    # The form of the first untagged line holds across the lists of a run.
    same_as_md5sum "-c L2 L3" -a md5 -- -c L2 L3
    same_as_md5sum "-c L3 L2" -a md5 -- -c L3 L2
    # Standard input is read once for each '-', in order, also by workers,
    # from a pipe that workers reading at once would share out.
    head -c 1000000 /dev/urandom > big
    for j in 1 2 3; do
        INPUT=f same_as_md5sum "-c L10 - -j $j" -a md5 -j $j -- -c L10 -
        expect_eq "- - f - from a pipe, -j $j" "$( (sleep 0.2; cat big) | md5sum - - f -)" \
            "$( (sleep 0.2; cat big) | "$TVKSUM" -a md5 -j $j - - f -)"
        expect_eq "-c of a list naming - twice, from a pipe, -j $j" \
            "$( (sleep 0.2; cat f) | md5sum -c L10 2>&1)" \
            "$( (sleep 0.2; cat f) | "$TVKSUM" -a md5 -j $j -c L10 2>&1 | sed 's/^tvksum:/md5sum:/')"
    done
}

# What md5sum and sha256sum do with -b and -t, --tag, bad usage and the
# lines openssl dgst writes, tvksum does with -a md5 and -a sha-256.
case_coreutils() {
    printf abc > f; printf abc > 'b\s'; printf x > 'sp ace'
    local tool algo digest tag S args
    for tool in md5sum sha256sum; do
        algo=md5 digest=md5 tag=MD5
        [ $tool = sha256sum ] && algo=sha-256 digest=sha256 tag=SHA256
        S=$($tool < f); S=${S%% *}
        # openssl dgst's form (OpenSSL 1), with and without blanks around
        # "=", and its -r form
        printf '%s(f)= %s\n%s(f)=%s\n%s(f) =\t%s\n%s (f)= %s\n' \
            $tag "$S" $tag "$S" $tag "$S" $tag "$S" > OL
        openssl dgst -$digest -r f 'sp ace' > OR
        for args in "-b f" "-t f" "--binary f" "--text f" "-bt f" "-tb b\s f" "-b -" \
            "--tag -t f" "-t --tag f" "--tag -b f" "-z -b b\s" "-c --tag OL" "-c -b OL" \
            "-c -t OR" "-c -z -b OL" "--tag -t -z f" "--ignore-missing f" \
            "--status --ignore-missing f" "--strict --quiet f" "--status --warn f" \
            "--bogus f" "-x f" "-c OL" "-c OR" "-c --strict OL OR" "--tag -z b\s f" \
            "-z b\s" "-c -w --status OR"; do
            # shellcheck disable=SC2086
            TOOL=$tool INPUT=f same_as_md5sum "$tool $args" -a $algo -- $args
        done
    done
    # OpenSSL 3's own lines ("SHA2-256(f)= ..."), which coreutils 9.1 does
    # not read yet, of every digest tvksum shares with it.
    for digest in md5 sha1 sha256 sha384 sha512; do
        openssl dgst -$digest f 'sp ace' > D
        expect_eq "-c of openssl dgst -$digest" "$(printf 'f: OK\nsp ace: OK')" \
            "$("$TVKSUM" -c D 2>&1)"
    done
}

# A read error inside a list: md5sum verifies the lines it read before it
# (the part of a line a block ends with too), then says "LIST: read error",
# without the counts, and exits 1.
case_listreaderror() {
    if ! strace -f -qq -o /dev/null true 2>/dev/null; then
        echo "note: strace cannot run here; nothing to check" >&2
        return
    fi
    printf abc > f
    local S i when opts j
    S=$(md5sum < f | cut -c1-32)
    # Blocks of 4096 or 8192 bytes end inside lines of 36.
    { for i in $(seq 150); do echo "$S  f"; done; echo garbage
      for i in $(seq 200); do echo "$S  f"; done; } > BIG
    for when in 1 2 3; do
        for opts in "" --strict -w --status; do
            for j in 1 2; do
                # shellcheck disable=SC2086
                FAULT=$PWD/BIG:$when same_as_md5sum "read $when fails, -c $opts -j $j" \
                    -a md5 -j $j -- -c $opts BIG
            done
            # shellcheck disable=SC2086
            FAULT=$PWD/BIG:$when INPUT=BIG same_as_md5sum "read $when of standard input fails, $opts" \
                -a md5 -- -c $opts
        done
    done
    FAULT=$PWD/BIG:2 same_as_md5sum "read error, then the next list" -a md5 -- -c BIG f
}

case_usage() {
    local rc
    for args in "-x" "--bogus" "-a" "-a sha256x abc" "--all -a md5 f" "-c --all" "-s x file" "--quiet f"; do
        # shellcheck disable=SC2086
        "$TVKSUM" $args >out 2>err; rc=$?
        expect_rc "usage: $args" 1 $rc
        expect_has "usage hint: $args" "Try 'tvksum --help' for more information." "$(cat err)"
        expect_eq "usage: $args prints nothing on stdout" "" "$(cat out)"
    done
    "$TVKSUM" --help >out; expect_rc "--help" 0 $?
    expect_has "--help" "Usage: tvksum" "$(cat out)"
    expect_has "--help exit codes" "130" "$(cat out)"
    expect_eq "--version" "tvksum 2.7.0 (TVK Checksum OCX 2.7.0)" "$("$TVKSUM" --version)"
}

case_errors() {
    make_files
    local out rc
    out=$("$TVKSUM" abc.txt nope fox 2>err); rc=$?
    expect_rc "missing file" 1 $rc
    expect_eq "the other files are still summed" "$(sha256sum abc.txt fox)" "$out"
    expect_eq "missing file message" \
        "tvksum: nope: The input file or path is invalid (No such file or directory)" "$(cat err)"
    mkdir adir
    "$TVKSUM" adir 2>err >/dev/null; expect_rc "directory" 1 $?
    expect_eq "directory message" "tvksum: adir: The input file or path is invalid (Is a directory)" "$(cat err)"
    "$TVKSUM" '' 2>err >/dev/null; expect_rc "empty name" 1 $?
    expect_eq "empty name message" "tvksum: '': The input file is empty " "$(cat err)"
    if [ "$(id -u)" != 0 ]; then
        printf x > locked; chmod 000 locked
        "$TVKSUM" locked 2>err >/dev/null; expect_rc "unreadable" 1 $?
        expect_has "unreadable message" "Permission denied" "$(cat err)"
    fi
    # Without the engine library beside the program: run-time error 5003.
    mkdir lonely; cp "$TVKSUM" lonely/tvksum
    "$WORK/lonely/tvksum" abc.txt >out 2>err; expect_rc "engine missing" 1 $?
    expect_has "engine missing message" "Error loading the required dll $WORK/lonely/tvkchecksum.so" "$(cat err)"
    expect_eq "engine missing: no output" "" "$(cat out)"
    "$WORK/lonely/tvksum" -s abc >/dev/null 2>&1; expect_rc "engine missing, -s" 1 $?
    # A library without interface1 in its place: the control's messages, then
    # one clear failure; the remaining files are not tried.
    local libz
    libz=$(/sbin/ldconfig -p | awk '$1 == "libz.so.1" && /x86-64/ {print $NF; exit}')
    if [ -n "$libz" ]; then
        mkdir wrong; cp "$TVKSUM" wrong/tvksum; cp "$libz" wrong/tvkchecksum.so
        "$WORK/wrong/tvksum" abc.txt fox >out 2>err; expect_rc "engine without interface1" 1 $?
        expect_has "interface1 message" "Error locating the interface1 function " "$(cat err)"
        expect_has "no valid checksum" "tvksum: abc.txt: the engine gave no valid checksum" "$(cat err)"
        expect_eq "only the first file is tried" "" "$(grep 'tvksum: fox' err)"
        expect_eq "engine without interface1: no output" "" "$(cat out)"
    fi
    expect_eq "--version needs no engine" "tvksum 2.7.0 (TVK Checksum OCX 2.7.0)" "$("$WORK/lonely/tvksum" --version)"
}

case_about() {
    local out rc
    out=$("$TVKSUM" --about); rc=$?
    expect_rc "--about" 0 $rc
    expect_eq "--about caption" "TVK Checksum OCX 2.7.0" "$(head -1 <<<"$out")"
    expect_has "--about label" $'\nTVK Software\n' "$out"
    expect_has "--about description" "$(printf '%s\n' \
        "ActiveX OCX to compute very fast the checksum of " \
        "strings or files using Adler32 , CRC32 , MD5 , SHA-1 " \
        "and SHA-256 , the code is optimized for new AMD " \
        "and Intel processors and the checksum code is " \
        "loaded dynamically in the same address space of the " \
        "application using the control ")" "$out"
    # No engine needed for the About text.
    mkdir lonely; cp "$TVKSUM" lonely/tvksum
    expect_eq "--about without engine" "$out" "$("$WORK/lonely/tvksum" --about)"
}

case_stdin() {
    make_files
    expect_eq "no FILE reads stdin" "$(sha256sum < random.bin)" "$("$TVKSUM" < random.bin)"
    expect_eq "- from a pipe" "$(cat fox | md5sum -)" "$(cat fox | "$TVKSUM" -a md5 -)"
    expect_eq "stdin and files" "$(sha256sum - abc.txt < fox)" "$("$TVKSUM" - abc.txt < fox)"
    expect_eq "empty stdin" "$(sha256sum < /dev/null)" "$("$TVKSUM" < /dev/null)"
    expect_eq "--all over one pipe" "$(python3 "$HERE/reference_sums.py" fox | sed 's/(fox)/(-)/')" \
        "$(cat fox | "$TVKSUM" --all)"
    expect_eq "process substitution" "$(sha1sum <(cat fox) | cut -c1-40)" \
        "$("$TVKSUM" -a sha-1 <(cat fox) | cut -c1-40)"
}

case_names() {
    # Names that tvksum hands over as descriptor paths: longer than the 254
    # bytes it gives the engine as they are, or not UTF-8.
    local d=dir
    while [ ${#d} -lt 300 ]; do d=$d/$(printf 'd%.0s' {1..50}); done
    mkdir -p "$d"; printf abc > "$d/file"
    printf xyz > $'latin\xe9'
    expect_eq "long name" "$(sha256sum "$d/file")" "$("$TVKSUM" "$d/file")"
    # Around that limit of 254 bytes per path.
    local n
    for n in 253 254 255 256; do
        local name
        name=dir/$(printf 'n%.0s' $(seq $((n - 4))))
        [ ${#name} = "$n" ] || fail "test name of ${#name} bytes, wanted $n"
        printf '%s' "$n" > "$name"
        expect_eq "path of $n bytes" "$(md5sum "$name")" "$("$TVKSUM" -a md5 "$name")"
    done
    cmp <(md5sum $'latin\xe9') <("$TVKSUM" -a md5 $'latin\xe9') || fail "non-UTF-8 name"
    sha256sum "$d/file" $'latin\xe9' > LIST
    expect_eq "-c with such names" "$(sha256sum -c LIST)" "$("$TVKSUM" -c LIST)"
}

case_cancel() {
    truncate -s 1G big
    "$TVKSUM" big >out 2>err &
    local pid=$!
    sleep 0.5
    kill -INT $pid
    wait $pid; local rc=$?
    if [ $rc = 0 ]; then
        echo "note: the job ended before the signal; nothing to check" >&2
        return
    fi
    expect_rc "Ctrl-C" 130 $rc
    expect_eq "Ctrl-C message" "tvksum: big: User abort" "$(cat err)"
    expect_eq "Ctrl-C: no checksum line" "" "$(cat out)"
    # SIGTERM cancels the same way; the exit code tells which signal it was.
    "$TVKSUM" -c <(sha256sum abc.txt 2>/dev/null; echo "$(printf '0%.0s' {1..64})  big") >out 2>err &
    pid=$!
    sleep 0.5
    kill -TERM $pid
    wait $pid; rc=$?
    [ $rc = 1 ] && { echo "note: the job ended before the signal" >&2; return; }
    expect_rc "SIGTERM during -c" 143 $rc
    expect_eq "SIGTERM message" "tvksum: big: User abort" "$(cat err)"
}

case_tty() {
    truncate -s 300M big
    printf abc > abc.txt
    # On a terminal: the bar, erased before the result line.
    script -qec "'$TVKSUM' big abc.txt" /dev/null > typescript
    expect_has "bar on a terminal" "] 100% big" "$(cat typescript)"
    expect_has "bar erased" $'\r\e[K' "$(cat typescript)"
    expect_has "result after the bar" "$(sha256sum abc.txt)" "$(tr -d '\r' < typescript)"
    # Not a terminal: no bar, nothing on stderr.
    "$TVKSUM" big abc.txt >/dev/null 2>err
    expect_eq "no bar when stderr is no terminal" "" "$(cat err)"
}

case_walk() {
    mkdir -p tree/b/deep tree/a empty_dir; printf 1 > tree/b/deep/one; printf 2 > tree/a/two
    printf 3 > tree/z; printf 4 > 'tree/b/with blank'; printf 5 > outside
    ln -s ../../outside tree/b/link_to_file; ln -s .. tree/a/loop; mkfifo tree/fifo
    # Sorted at each level, regular files only, links skipped, names as given.
    local want=(tree/a/two tree/b/deep/one 'tree/b/with blank' tree/z)
    expect_eq "-r" "$(sha256sum "${want[@]}")" "$("$TVKSUM" -r tree)"
    expect_eq "-r with a trailing slash" "$(sha256sum "${want[@]}")" "$("$TVKSUM" -r tree/ | sed 's|tree//|tree/|')"
    expect_eq "-r names keep the slash given" "tree/a/two" "$("$TVKSUM" -r tree/ | head -1 | cut -c67-)"
    # -L: links followed; the loop back up is entered once, not for ever.
    local out
    out=$("$TVKSUM" -rL tree); expect_rc "-rL" 0 $?
    expect_has "-rL follows a link to a file" "$(sha256sum outside | cut -c1-64)  tree/b/link_to_file" "$out"
    expect_eq "-rL stops at the loop" 0 "$(grep -c 'loop/a/loop' <<<"$out")"
    # Files beside directories, and an empty directory gives nothing.
    expect_eq "-r mixed operands" "$(sha256sum outside tree/z)" "$("$TVKSUM" -r outside empty_dir tree/z)"
    # Without -r a directory is an error, as before.
    "$TVKSUM" tree >/dev/null 2>&1; expect_rc "directory without -r" 1 $?
    # --all and -c on a walk's output.
    "$TVKSUM" -r --all tree > ALL; expect_rc "-r --all" 0 $?
    expect_eq "-c of -r --all" "$(wc -l < ALL)" "$("$TVKSUM" -c ALL | grep -c ': OK$')"
    if [ "$(id -u)" != 0 ]; then
        mkdir tree/closed; chmod 000 tree/closed
        "$TVKSUM" -r tree >/dev/null 2>err; expect_rc "unreadable directory" 1 $?
        expect_has "unreadable directory message" "tree/closed: Permission denied" "$(cat err)"
    fi
}

case_jobs() {
    make_files
    mkdir many
    local i
    for i in $(seq 1 60); do head -c $((i * 97)) /dev/urandom > "many/f$i"; done
    local all=(many/* "${FILES[@]}")
    for j in 2 3 8 100; do
        cmp <(sha256sum "${all[@]}") <("$TVKSUM" -j $j "${all[@]}") || fail "-j $j output differs"
    done
    cmp <(md5sum -z "${all[@]}") <("$TVKSUM" -j 2 -z -a md5 "${all[@]}") || fail "-j 2 -z -a md5"
    expect_eq "-j 2 --all" "$("$TVKSUM" --all "${all[@]}")" "$("$TVKSUM" -j 2 --all "${all[@]}")"
    # Failures keep their place and the exit code; stdin goes to one worker.
    local out rc
    out=$("$TVKSUM" -j 2 abc.txt nope fox - < empty 2>err); rc=$?
    expect_rc "-j with a missing file" 1 $rc
    expect_eq "-j missing file: the others" "$(sha256sum abc.txt fox - < empty)" "$out"
    expect_eq "-j missing file message" \
        "tvksum: nope: The input file or path is invalid (No such file or directory)" "$(cat err)"
    # An engine without interface1: the run stops, as without -j.
    local libz
    libz=$(/sbin/ldconfig -p | awk '$1 == "libz.so.1" && /x86-64/ {print $NF; exit}')
    if [ -n "$libz" ]; then
        mkdir wrong; cp "$TVKSUM" wrong/tvksum; cp "$libz" wrong/tvkchecksum.so
        "$WORK/wrong/tvksum" -j 2 abc.txt fox empty >out 2>err; expect_rc "-j, engine without interface1" 1 $?
        expect_eq "-j, engine without interface1: no output" "" "$(cat out)"
    fi
    # A finished report is shown at once, not held behind its worker's next
    # item (here FIFOs that nobody writes to yet); on a terminal, as stdout is
    # then written line by line.
    mkfifo p1 p2
    script -qefc "'$TVKSUM' -j 2 -a md5 abc.txt p1 p2" /dev/null > typescript 2>&1 &
    local spid=$! seen=no
    for i in $(seq 100); do
        grep -q abc.txt typescript && { seen=yes; break; }
        sleep 0.05
    done
    expect_eq "-j: a finished report is shown at once" yes $seen
    timeout 10 bash -c ': > p1; : > p2' || fail "-j: the FIFOs were not opened"
    wait $spid
    expect_has "-j: the FIFOs' sums follow" "$(md5sum < /dev/null | cut -c1-32)  p2" \
        "$(tr -d '\r' < typescript)"
    # Ctrl-C reaches the workers too (one process group, as from a terminal).
    truncate -s 1G big1; truncate -s 1G big2
    setsid bash -c "exec '$TVKSUM' -j 2 big1 big2" >out 2>err &
    local pid=$!
    sleep 0.5
    kill -INT -- -$pid
    wait $pid; rc=$?
    if [ $rc != 0 ]; then
        expect_rc "-j Ctrl-C" 130 $rc
        expect_eq "-j Ctrl-C: no checksum line" "" "$(cat out)"
    fi
    expect_eq "-j Ctrl-C leaves no worker" "" "$(pgrep -f "$TVKSUM -j 2 big1" || true)"
}

case_lines() {
    make_files
    # -z: NUL-ended, names not escaped, byte for byte as sha256sum -z.
    cmp <(sha256sum -z "${FILES[@]}") <("$TVKSUM" -z "${FILES[@]}") || fail "-z"
    cmp <(md5sum -z --tag "${FILES[@]}") <("$TVKSUM" -z --tag -a md5 "${FILES[@]}") || fail "-z --tag"
    # -c reads the tagged lines of every algorithm.
    "$TVKSUM" --all abc.txt fox 'back\slash' "$(printf 'new\nline')" > ALL
    local names
    names=$(sed -n 's/^\\\{0,1\}\([A-Z0-9_]*\) (.*/\1/p' ALL | sort -u | tr '\n' ' ')
    expect_eq "every tag" "ADLER32 BLAKE3 CRC32 CRC32C CRC64NVME MD5 MD5_32 SHA1 SHA256 SHA384 SHA512 \
TVK32 XXH128 XXH3 " "$names"
    expect_eq "-c of every tag" "$(wc -l < ALL)" "$("$TVKSUM" -c ALL | grep -c ': OK$')"
    # -w: each improperly formatted line named with its number.
    { sha256sum fox; echo 'garbage'; sha256sum abc.txt; echo 'more garbage'; } > MIXED
    local rc
    "$TVKSUM" -c -w MIXED >/dev/null 2>err; rc=$?
    expect_rc "-c -w" 0 $rc
    expect_eq "-w lines" "$(printf '%s\n' 'tvksum: MIXED: 2: improperly formatted checksum line' \
        'tvksum: MIXED: 4: improperly formatted checksum line' \
        'tvksum: WARNING: 2 lines are improperly formatted')" "$(cat err)"
    "$TVKSUM" -c MIXED >/dev/null 2>err
    expect_eq "no -w: the count only" "tvksum: WARNING: 2 lines are improperly formatted" "$(cat err)"
}

case_readerror() {
    # A file that opens but cannot be read: the message of sha256sum, in
    # tvksum's voice, and no checksum line.
    local out rc expected
    expected=$(sha256sum /proc/self/mem 2>&1 >/dev/null | sed 's/^sha256sum:/tvksum:/')
    expect_eq "reference message" "tvksum: /proc/self/mem: Input/output error" "$expected"
    out=$("$TVKSUM" /proc/self/mem 2>err); rc=$?
    expect_rc "/proc/self/mem" 1 $rc
    expect_eq "/proc/self/mem: no checksum" "" "$out"
    expect_eq "/proc/self/mem message" "$expected" "$(cat err)"
    printf abc > abc.txt
    out=$("$TVKSUM" -a md5 /proc/self/mem abc.txt 2>/dev/null); rc=$?
    expect_rc "the other files are still summed" 1 $rc
    expect_eq "the other file's line" "$(md5sum abc.txt)" "$out"
    # In a list: FAILED open or read, as sha256sum -c says it.
    printf '%s  /proc/self/mem\n' "$(printf x | sha256sum | cut -c1-64)" > LIST
    out=$("$TVKSUM" -c LIST 2>err); rc=$?
    expect_rc "-c /proc/self/mem" 1 $rc
    expect_eq "-c /proc/self/mem output" "$(sha256sum -c LIST 2>/dev/null)" "$out"
    expect_has "-c /proc/self/mem message" "$expected" "$(cat err)"
}

case_devices() {
    # Endless character devices are refused at once; /dev/null is empty input.
    local dev rc
    for dev in /dev/zero /dev/urandom /dev/full; do
        timeout 20 "$TVKSUM" "$dev" >out 2>err; rc=$?
        expect_rc "$dev" 1 $rc
        expect_eq "$dev message" "tvksum: $dev: a character device, not read: its input may never end" "$(cat err)"
        expect_eq "$dev: no output" "" "$(cat out)"
    done
    timeout 20 "$TVKSUM" < /dev/zero >out 2>err; rc=$?
    expect_rc "standard input from /dev/zero" 1 $rc
    expect_eq "standard input from /dev/zero message" \
        "tvksum: -: a character device, not read: its input may never end" "$(cat err)"
    expect_eq "/dev/null" "$(sha256sum /dev/null)" "$(timeout 20 "$TVKSUM" /dev/null)"
    expect_eq "standard input from /dev/null" "$(sha256sum < /dev/null)" "$(timeout 20 "$TVKSUM" < /dev/null)"
}

case_nospace() {
    # A copy of standard input that does not fit: the message, exit 1, and
    # nothing left in the temporary folder. A tmpfs of 1 MiB where a mount
    # namespace can be made; else a file size limit, which fails the same
    # way (EFBIG instead of ENOSPC).
    head -c 3000000 /dev/urandom > big.bin
    mkdir small
    local rc reason
    if unshare -rm true 2>/dev/null; then
        unshare -rm bash -c 'mount -t tmpfs -o size=1m tmpfs small &&
            TMPDIR=$PWD/small "$1" < big.bin >out 2>err; echo $? > rc; ls -A small > left;
            df -k small | awk "NR == 2 {print \$3}" > used' _ "$TVKSUM"
        reason="No space left on device"
    else
        echo "note: no mount namespace here; a file size limit stands in" >&2
        bash -c 'trap "" XFSZ; ulimit -f 1024; TMPDIR=$PWD/small "$1" < big.bin >out 2>err;
            echo $? > rc' _ "$TVKSUM"
        ls -A small > left; echo 0 > used
        reason="File too large"
    fi
    expect_eq "exit code" 1 "$(cat rc)"
    expect_eq "message" "tvksum: -: no room to copy the input to $WORK/small: $reason" "$(cat err)"
    expect_eq "no output" "" "$(cat out)"
    expect_eq "nothing left behind" "" "$(cat left)"
    expect_eq "no room kept" 0 "$(cat used)"
    # A pipe that fits is still copied.
    expect_eq "pipe copied" "$(head -c 1000 big.bin | sha256sum)" "$(head -c 1000 big.bin | "$TVKSUM")"
}

case_fifo() {
    # A FIFO that nobody writes to: the first Ctrl-C ends the wait, 130.
    mkfifo fifo
    timeout -s KILL 20 "$TVKSUM" fifo >out 2>err &
    local pid=$! child="" i cgt state
    # tvksum runs as the child of timeout. Wait until it catches SIGINT
    # (bit 2 of SigCgt) and sleeps: it then waits in its open of the FIFO.
    for i in $(seq 400); do
        [ -n "$child" ] || child=$(pgrep -P $pid | head -1)
        if [ -n "$child" ]; then
            cgt=$(awk '/^SigCgt:/ {print $2}' "/proc/$child/status" 2>/dev/null)
            state=$(awk '/^State:/ {print $2}' "/proc/$child/status" 2>/dev/null)
            [ -n "$cgt" ] && [ $((0x$cgt & 2)) != 0 ] && [ "$state" = S ] && break
        fi
        sleep 0.05
    done
    [ -n "$child" ] || { fail "tvksum did not start"; return; }
    kill -INT "$child"
    wait $pid; local rc=$?
    expect_rc "Ctrl-C on a FIFO without writer" 130 $rc
    expect_eq "FIFO message" "tvksum: fifo: interrupted" "$(cat err)"
    expect_eq "FIFO: no output" "" "$(cat out)"
}

"case_$CASE"
if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed in case $CASE" >&2
    exit 1
fi
echo "case $CASE: all checks passed"

#!/usr/bin/env bash
# The runner of 32-bit (i386) programs, which 32-bit Wine needs.
#   i386-runner.sh install   as root: make i386 programs run on this machine
#   i386-runner.sh prove     run a 32-bit Windows program with several threads
#                            under Wine (sourced wine-env.sh), or fail in one line
#
# Where the kernel runs i386 programs itself, it is the runner. Elsewhere
# qemu-user runs them through binfmt_misc. Debian 12's qemu-user-static (7.2)
# crashes multi-threaded 32-bit Wine programs on current kernels, so the
# statically linked qemu-i386 of Debian 13's qemu-user package is fetched from
# the Debian archive named in this machine's apt sources, with a package list
# of its own: the system's sources and installed packages stay as they are.
# TVK_I386_RUNNER=qemu takes the qemu path on a kernel that needs none.
set -euo pipefail

runner_dir=/opt/tvk/i386-runner
qemu=$runner_dir/qemu-i386
qemu_release=trixie # Debian 13
entry_name=tvk-i386
binfmt=/proc/sys/fs/binfmt_misc
# ELF, 32-bit, little-endian, executable or shared object, machine 3 (i386).
elf_i386_magic='\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
elf_i386_mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
wine32=/usr/lib/wine/wine

say() { echo "i386-runner: $*"; }

# The entries of binfmt_misc that take i386 programs, by name.
i386_entries() {
    local e
    for e in "$binfmt"/*; do
        case ${e##*/} in register | status) continue ;; esac
        grep -q '^magic 7f454c4601010100000000000000000002000300' "$e" 2>/dev/null &&
            echo "${e##*/}"
    done
    return 0
}

# Whether the kernel runs i386 programs with every i386 entry switched off.
kernel_runs_i386() {
    local e entries ok=1
    entries=$(i386_entries)
    for e in $entries; do echo 0 >"$binfmt/$e"; done
    timeout 60 "$wine32" --version >/dev/null 2>&1 || ok=0
    for e in $entries; do echo 1 >"$binfmt/$e"; done
    [ $ok = 1 ]
}

# The first Debian archive of this machine's apt sources (deb822 or one-line).
debian_archive() {
    local codename
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    {
        cat /etc/apt/sources.list.d/*.sources 2>/dev/null
        echo
        sed -n 's/^deb \(\[[^]]*\] \)\?\([^ ]*\) '"$codename"' .*/URIs: \2\nSuites: '"$codename"'\n/p' \
            /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true
    } | awk -v want="$codename" '
        /^[[:space:]]*#/ { next }
        /^[[:space:]]*$/ { if (uri != "" && found) { print uri; printed = 1; exit } uri = ""; found = 0; next }
        $1 == "URIs:" { uri = $2 }
        $1 == "Suites:" { for (i = 2; i <= NF; i++) if ($i == want) found = 1 }
        END { if (!printed && uri != "" && found) print uri }'
}

fetch_qemu() {
    if [ -x "$qemu" ] && "$qemu" --version 2>/dev/null | grep -q '^qemu-i386 version 10\.'; then
        return 0
    fi
    local archive work opts
    archive=$(debian_archive)
    [ -n "$archive" ] || { say "no Debian archive in the apt sources"; return 1; }
    work=$(mktemp -d)
    mkdir -p "$work/lists/partial" "$work/cache/archives/partial"
    : >"$work/status"
    echo "deb [arch=amd64 signed-by=/usr/share/keyrings/debian-archive-$qemu_release-stable.gpg]" \
        "$archive $qemu_release main" >"$work/sources.list"
    opts=(-q -o "Dir::Etc::SourceList=$work/sources.list" -o Dir::Etc::SourceParts=/dev/null
          -o "Dir::State::Lists=$work/lists" -o "Dir::Cache=$work/cache"
          -o "Dir::State::status=$work/status" -o APT::Architectures=amd64
          -o Acquire::Languages=none -o APT::Sandbox::User=root)
    say "fetching qemu-user of Debian $qemu_release from $archive"
    if ! apt-get "${opts[@]}" update >"$work/log" 2>&1 ||
        ! (cd "$work" && apt-get "${opts[@]}" download qemu-user >>"$work/log" 2>&1); then
        cat "$work/log"
        rm -rf "$work"
        say "could not fetch qemu-user of Debian $qemu_release"
        return 1
    fi
    mkdir -p "$runner_dir"
    dpkg-deb --fsys-tarfile "$work"/qemu-user_*.deb | tar -xO ./usr/bin/qemu-i386 >"$qemu.new"
    chmod 755 "$qemu.new"
    mv "$qemu.new" "$qemu"
    rm -rf "$work"
    say "$("$qemu" --version | head -n 1)"
}

install() {
    [ -x "$wine32" ] || { say "32-bit Wine is not installed"; return 1; }
    [ -e "$binfmt/register" ] || mount -t binfmt_misc binfmt_misc "$binfmt"
    local want=${TVK_I386_RUNNER:-auto} keep= e
    case $want in auto | qemu) ;; *) say "TVK_I386_RUNNER is auto or qemu, not '$want'"; return 1 ;; esac
    if [ "$want" = auto ] && kernel_runs_i386; then
        say "the kernel runs i386 programs"
    else
        fetch_qemu
        keep=$entry_name
        if [ -e "$binfmt/$entry_name" ] && ! grep -qx "interpreter $qemu" "$binfmt/$entry_name"; then
            echo -1 >"$binfmt/$entry_name"
        fi
        if [ ! -e "$binfmt/$entry_name" ]; then
            # F: the kernel opens the runner now, so it works in any mount namespace.
            printf '%s' ":$entry_name:M::$elf_i386_magic:$elf_i386_mask:$qemu:F" >"$binfmt/register"
        fi
        echo 1 >"$binfmt/$entry_name"
    fi
    # Any other registration for i386 programs (an older qemu) would be chosen
    # instead of, or next to, the runner: remove it.
    for e in $(i386_entries); do
        if [ "$e" != "$keep" ]; then
            say "removing the i386 registration '$e' ($(sed -n 's/^interpreter //p' "$binfmt/$e"))"
            echo -1 >"$binfmt/$e"
        fi
    done
    timeout 60 "$wine32" --version >/dev/null || { say "32-bit Wine does not start"; return 1; }
    [ -z "$keep" ] || say "i386 programs run through $qemu"
}

# A 32-bit Windows program that runs several threads at once, under Wine.
prove() {
    local here work rc=0
    here=$(cd "$(dirname "$0")" && pwd)
    work=$(mktemp -d)
    i686-w64-mingw32-gcc -O2 -o "$work/probe.exe" "$here/i386_thread_probe.c" || rc=1
    # In a subshell, so that a crash is told once, in the line below.
    if [ $rc = 0 ] && ! (timeout 120 wine "$work/probe.exe" >"$work/out" 2>&1 </dev/null; exit $?) 2>/dev/null; then
        rc=1
    fi
    if [ $rc = 0 ] && ! grep -q '^threads ok' "$work/out"; then rc=1; fi
    if [ $rc != 0 ]; then
        local how="the kernel" e
        for e in $(i386_entries); do
            grep -qx enabled "$binfmt/$e" && how=$(sed -n 's/^interpreter //p' "$binfmt/$e") && break
        done
        say "32-bit Wine cannot run a program with several threads through $how:" \
            "$(tr '\n' ' ' <"$work/out" | cut -c 1-200); run scripts/install-deps.sh all as root"
    fi
    rm -rf "$work"
    return $rc
}

case ${1:-} in
install) install ;;
prove) prove ;;
*) echo "usage: $0 install|prove" >&2; exit 2 ;;
esac

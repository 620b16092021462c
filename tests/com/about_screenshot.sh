#!/usr/bin/env bash
# about_screenshot.sh PROGRAM ARTIFACTS -- runs the About dialog test on the
# X display; while the program holds the checked dialog open, the whole
# screen is saved as ARTIFACTS/about-dialog-<program>.png.
set -u
program=$1
artifacts=$2
. "$(dirname "$0")/com_env.sh"
mkdir -p "$artifacts"
marker="$artifacts/.about-hold-$$"
shot="$artifacts/about-dialog.png"
rm -f "$marker".* "$shot"

TVK_ABOUT_HOLD=$(winpath "$marker") wine "$program" &
pid=$!
for _ in $(seq 1200); do
    [ -e "$marker.ready" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if [ -e "$marker.ready" ]; then
    import -window root "$shot" || echo "import failed"
fi
touch "$marker.shot"
# The program ends by itself once Exit is clicked; one that cannot find its
# dialog is stopped after a bound rather than left waiting.
for _ in $(seq 900); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && { echo "FAILED: the program did not end"; kill "$pid"; }
wait "$pid"
rc=$?
rm -f "$marker".*
if [ ! -s "$shot" ]; then
    echo "FAILED: no screenshot of the About dialog"
    exit 1
fi
echo "screenshot: $shot"
exit $rc

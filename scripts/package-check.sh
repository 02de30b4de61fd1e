#!/bin/sh
# Builds Quizdeck's Debian package in a build folder of its own (Release, no tests) and checks it:
# its file list and permissions, its control fields, the desktop entry, the AppStream metadata,
# and, unpacked into a temporary folder (never installed system-wide), the bank tool's check of
# every data file in it and a short headless start of the program.
# Usage: scripts/package-check.sh [build folder]
# Without a folder it configures and builds build-package at the top of the tree (Release, no tests);
# given a folder that is already configured, it packs that build as it stands, so that the test
# command packs and checks exactly the program its tests ran.
# Prints "package check: N passed, M failed" last; exit status 0 only when nothing failed.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build-package}
app_id=org.larkfield.Quizdeck

# dpkg-dev for dpkg-shlibdeps (the package's library dependencies), and the two validators.
sh "$top/scripts/deps.sh" dpkg-dev desktop-file-utils appstream

echo "== building the package in $build"
if [ ! -f "$build/CMakeCache.txt" ]; then
    timeout 900 cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DBUILD_TESTING=OFF -DQUIZDECK_BUILD_BENCH=OFF -DQUIZDECK_SANITIZE=OFF >/dev/null
elif grep -q '^QUIZDECK_SANITIZE:BOOL=ON' "$build/CMakeCache.txt"; then
    echo "$build is a sanitizer build: not a package's" >&2
    exit 1
fi
timeout 900 ninja -C "$build" quizdeck quizdeck-bank question_data help_file >/dev/null
rm -f "$build"/quizdeck_*.deb
(cd "$build" && timeout 300 cpack -G DEB >/dev/null)

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "ok   $1"; }
fail() { failed=$((failed + 1)); echo "FAIL $1"; }
# check DESCRIPTION COMMAND...: runs the command, its output shown only when it fails.
check() {
    what=$1
    shift
    if output=$("$@" 2>&1); then
        pass "$what"
    else
        fail "$what"
        printf '%s\n' "$output" | sed 's/^/     /'
    fi
}
finish() {
    echo "package check: $passed passed, $failed failed"
    [ "$failed" -eq 0 ] && exit 0
    exit 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

set -- "$build"/quizdeck_*.deb
if [ $# -ne 1 ] || [ ! -f "$1" ]; then
    fail "cpack made one quizdeck_*.deb in $build"
    finish
fi
deb=$1
pass "cpack made $(basename "$deb")"

# --- The file list: exactly the program folder, the two links, the desktop entry, metadata and icons.
program_dir=./usr/lib/quizdeck
{
    echo "./usr/bin/quizdeck -> ../lib/quizdeck/quizdeck"
    echo "./usr/bin/quizdeck-bank -> ../lib/quizdeck/quizdeck-bank"
    echo "$program_dir/quizdeck"
    echo "$program_dir/quizdeck-bank"
    echo "$program_dir/quizdeck.hlp"
    for source in "$top"/data/*.quiz; do
        echo "$program_dir/$(basename "$source" .quiz).drv"
    done
    echo "./usr/share/applications/$app_id.desktop"
    echo "./usr/share/doc/quizdeck/copyright"
    echo "./usr/share/metainfo/$app_id.metainfo.xml"
    for size in 16 32 48 64 128 256; do
        echo "./usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
    done
    echo "./usr/share/icons/hicolor/scalable/apps/$app_id.svg"
} | LC_ALL=C sort >"$work/expected"
dpkg-deb -c "$deb" >"$work/contents"
# Everything but directories, as "path" or "path -> target".
awk '$1 !~ /^d/ { $1 = $2 = $3 = $4 = $5 = ""; sub(/^ +/, ""); print }' "$work/contents" | LC_ALL=C sort >"$work/actual"
check "file list is exactly the expected $(wc -l <"$work/expected") files" diff -u "$work/expected" "$work/actual"
check "15 data files in the program folder" test "$(grep -c '^\./usr/lib/quizdeck/[^/]*\.drv$' "$work/actual")" -eq 15

# Owned by root, writable by nobody else; programs 0755, everything else 0644 (links aside).
check "files owned by root/root" sh -c "awk '\$2 != \"root/root\"' '$work/contents' | { ! grep .; }"
check "files and folders not writable by group or others" \
    sh -c "awk '\$1 !~ /^l/ && (substr(\$1, 6, 1) == \"w\" || substr(\$1, 9, 1) == \"w\")' '$work/contents' | { ! grep .; }"
check "executables 0755, other files 0644" sh -c "awk '\$1 ~ /^-/ {
        want = (\$6 ~ /\\/quizdeck(-bank)?\$/) ? \"-rwxr-xr-x\" : \"-rw-r--r--\"
        if (\$1 != want) print \$1, \$6 }' '$work/contents' | { ! grep .; }"

# --- Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
check "Package quizdeck, Version 1.1.0" test "$(field Package) $(field Version)" = "quizdeck 1.1.0"
check "Section education" test "$(field Section)" = education
check "Maintainer set" sh -c "dpkg-deb -f '$deb' Maintainer | grep -q '<.*@.*>'"
check "Description set" sh -c "dpkg-deb -f '$deb' Description | grep -q Quizdeck"
depends=$(field Depends)
missing=""
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 qt6-qpa-plugins fonts-liberation; do
    printf '%s\n' "$depends" | tr ',' '\n' | grep -q "^ *$package\( \|$\)" || missing="$missing $package"
done
check "Depends names the Qt 6 runtime and fonts-liberation" sh -c "[ -z '$missing' ] || { echo 'missing:$missing'; echo 'Depends: $depends'; false; }"

# --- Unpacked into a temporary root, never installed.
dpkg-deb -x "$deb" "$work/root"
root=$work/root
check "desktop-file-validate $app_id.desktop" desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
check "desktop entry: Exec=quizdeck, Icon=$app_id, Categories=Education;" sh -c "
    grep -qx 'Exec=quizdeck' '$root/usr/share/applications/$app_id.desktop' &&
    grep -qx 'Icon=$app_id' '$root/usr/share/applications/$app_id.desktop' &&
    grep -qx 'Categories=Education;' '$root/usr/share/applications/$app_id.desktop'"
check "appstreamcli validate --no-net $app_id.metainfo.xml" \
    appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml"
icons_ok=true
for size in 16 32 48 64 128 256; do
    icon=$root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png
    # A PNG's width and height are the big-endian words at bytes 16 and 20.
    dimensions=$(od -An -tu1 -j16 -N8 "$icon" | awk '{ print $3 * 256 + $4 "x" $7 * 256 + $8 }')
    [ "$dimensions" = "${size}x${size}" ] || { echo "$icon is $dimensions"; icons_ok=false; }
done
check "icons are PNGs of their folder's size" $icons_ok
check "bin links lead into the program folder" sh -c "
    [ \"\$(readlink -f '$root/usr/bin/quizdeck')\" = \"\$(readlink -f '$root/usr/lib/quizdeck/quizdeck')\" ] &&
    [ \"\$(readlink -f '$root/usr/bin/quizdeck-bank')\" = \"\$(readlink -f '$root/usr/lib/quizdeck/quizdeck-bank')\" ]"
check "extracted quizdeck-bank check on every extracted .drv" \
    sh -c "'$root/usr/bin/quizdeck-bank' check '$root'/usr/lib/quizdeck/*.drv"
# The program keeps running with its window up until the time-out ends it (status 124), and has
# written no error log beside itself.
check "extracted quizdeck starts headless and logs no failure" sh -c "
    cd '$work' && QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR='$work' timeout 5 '$root/usr/bin/quizdeck' >/dev/null 2>'$work/quizdeck.stderr'
    status=\$?
    [ \$status -eq 124 ] || { echo \"exit status \$status\"; cat '$work/quizdeck.stderr'; exit 1; }
    if [ -e '$root/usr/lib/quizdeck/Kestrel.err' ]; then cat '$root/usr/lib/quizdeck/Kestrel.err'; exit 1; fi"

finish

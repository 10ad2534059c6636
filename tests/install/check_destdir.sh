#!/bin/sh
# Installs a build into a scratch root as a package would (prefix /usr),
# compares the files with the expected list, and runs the installed programs:
# the dump tool must read the samples as the built one does, and the viewer
# must answer --version without a display.
set -u
build=$1 samples=$2 expected=$3
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

DESTDIR=$root cmake --install "$build" --prefix /usr >"$build/installed-files.log" 2>&1 \
  || { cat "$build/installed-files.log"; fail "cmake --install"; }
(cd "$root" && find . -type f | sed 's|^\.||' | LC_ALL=C sort) >"$build/installed-files.txt"
LC_ALL=C sort "$expected" | diff -u - "$build/installed-files.txt" || fail "installed files differ from the list"

dump=$root/usr/bin/zu_kirdo_dump
[ "$("$dump" --version)" = "$("$build/tools/zu_kirdo_dump" --version)" ] || fail "dump --version"
installed=$("$dump" --raw tree "$samples"/*.log) || fail "installed dump tool could not read the samples"
built=$("$build/tools/zu_kirdo_dump" --raw tree "$samples"/*.log)
[ "$installed" = "$built" ] || fail "installed dump tool reads the samples differently"
[ "$(printf '%s\n' "$installed" | grep -c '^F	')" -eq 3 ] || fail "not three files in the tree"

env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=none "$root/usr/bin/zu_kirdo" --version | grep -q '^zu_kirdo ' \
  || fail "installed viewer --version"
man -l "$root/usr/share/man/man1/zu_kirdo_dump.1.gz" 2>/dev/null | grep -q 'export' || fail "compressed man page"
echo "installed files and programs ok"

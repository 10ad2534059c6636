#!/bin/sh
# Formats each manual page as man-db and lintian do, then with every groff
# warning on; any warning fails.
status=0
for page in "$@"; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null)
  warnings="$warnings$(groff -ww -z -man -K utf8 -Tutf8 "$page" 2>&1)"
  if [ -n "$warnings" ]; then
    printf '%s:\n%s\n' "$page" "$warnings"
    status=1
  fi
done
exit $status

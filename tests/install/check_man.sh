#!/bin/sh
# The manual pages format with groff's man macros without a single warning (-ww turns all of
# them on), and man-db's lexgrog can read their NAME section (what whatis and apropos index).
# Exit status 77 (skipped) when groff is not installed.
# Usage: check_man.sh PAGE...
set -u
if ! command -v groff >/dev/null 2>&1; then
  echo "groff not found: manual pages not checked"
  exit 77
fi
status=0
for page in "$@"; do
  warnings=$(groff -man -Tutf8 -ww -z "$page" 2>&1) || { echo "FAIL: groff failed on $page"; status=1; }
  if [ -n "$warnings" ]; then
    echo "FAIL: groff warnings in $page:"
    echo "$warnings"
    status=1
  fi
  if command -v lexgrog >/dev/null 2>&1; then
    lexgrog "$page" >/dev/null 2>&1 || { echo "FAIL: lexgrog cannot parse the NAME section of $page"; status=1; }
  fi
done
[ "$status" -eq 0 ] && echo "manual pages format cleanly: $*"
exit "$status"

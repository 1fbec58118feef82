#!/bin/sh
# Makes the .deb with cpack from the build folder (into a temporary folder) and checks it as
# Debian would: it holds the programs, the compressed manual pages and changelog, the copyright
# file with the licence, and, where this build made them, the Python module in
# /usr/lib/python3/dist-packages and the web page in /usr/share/holestress; it depends on python3
# and python3-numpy with the module; the programs run and the module imports from the unpacked
# tree; and lintian finds no error and no warning in it. Exit status 77 (skipped) when lintian,
# dpkg-deb or dpkg-shlibdeps is missing, unless HOLESTRESS_REQUIRE_LINTIAN=1 (as CI sets).
# Usage: check_deb.sh CPACK BUILD-DIR HAS-PYTHON HAS-WEB-PAGE
set -u
cpack=$1 build=$2 has_python=$3 has_web=$4

for tool in lintian dpkg-deb dpkg-shlibdeps; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    if [ "${HOLESTRESS_REQUIRE_LINTIAN:-}" = 1 ]; then
      echo "FAIL: $tool not found (HOLESTRESS_REQUIRE_LINTIAN=1)"
      exit 1
    fi
    echo "$tool not found (Debian packages lintian, dpkg-dev): the package is not checked"
    exit 77
  fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/holestress-deb.XXXXXX") || exit 1
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
  cat "$work/cpack.log"
  echo "FAIL: cpack -G DEB"
  exit 1
fi
deb=$(ls "$work"/holestress_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || { cat "$work/cpack.log"; echo "FAIL: no .deb made"; exit 1; }

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
want="/usr/bin/holestress /usr/bin/holestress-plot /usr/share/man/man1/holestress.1.gz
      /usr/share/man/man1/holestress-plot.1.gz /usr/share/doc/holestress/copyright
      /usr/share/doc/holestress/changelog.gz /usr/share/doc/holestress/README.md
      /usr/share/doc/holestress/examples/bolted-joint.in"
[ "$has_web" = 1 ] && want="$want /usr/share/holestress/holestress.html"
for file in $want; do
  grep -qx "$file" "$work/files" || fail "$file is not in the package"
done
if [ "$has_python" = 1 ]; then
  grep -q '^/usr/lib/python3/dist-packages/holestress/_holestress\.cpython-.*\.so$' "$work/files" ||
    fail "the Python module is not in /usr/lib/python3/dist-packages/holestress"
  for file in __init__.py dask.py; do
    grep -qx "/usr/lib/python3/dist-packages/holestress/$file" "$work/files" ||
      fail "holestress/$file is not in the package"
  done
  depends=$(dpkg-deb -f "$deb" Depends)
  for package in python3 python3-numpy; do
    echo "$depends" | tr ',' '\n' | grep -q "^ *$package\( \|$\)" ||
      fail "the package does not depend on $package: $depends"
  done
fi
grep -q '^/usr/share/man/man1/.*\.1$' "$work/files" && fail "uncompressed manual pages"

# The unpacked tree: the programs run on an example, the module imports, the copyright file
# carries the licence and the manual pages format.
root=$work/root
dpkg-deb -x "$deb" "$root"
example=$root/usr/share/doc/holestress/examples/bolted-joint.in
for program in holestress holestress-plot; do
  "$root/usr/bin/$program" <"$example" >"$work/out" 2>"$work/err" || fail "$program: $(cat "$work/err")"
  [ -s "$work/out" ] || fail "$program < bolted-joint.in: no output"
done
if [ "$has_python" = 1 ] && [ -x /usr/bin/python3 ]; then
  PYTHONPATH=$root/usr/lib/python3/dist-packages /usr/bin/python3 -c \
    "import holestress, sys; sys.exit(0 if holestress.__version__ else 1)" 2>"$work/err" ||
    fail "the packaged module does not import: $(cat "$work/err")"
fi
grep -q '^License: Expat$' "$root/usr/share/doc/holestress/copyright" &&
  grep -q '^ Permission is hereby granted' "$root/usr/share/doc/holestress/copyright" ||
  fail "the copyright file lacks the licence"
if command -v groff >/dev/null 2>&1; then
  for page in "$root"/usr/share/man/man1/*.1.gz; do
    warnings=$(gzip -dc "$page" | groff -man -Tutf8 -ww -z 2>&1)
    [ -z "$warnings" ] || fail "groff warnings in $(basename "$page"): $warnings"
  done
fi

# lintian: every error and warning fails; what it says at all is shown.
lintian --fail-on error,warning --display-info "$deb" >"$work/lintian" 2>&1
lintian_status=$?
grep -v 'running with root privileges' "$work/lintian"
[ "$lintian_status" -eq 0 ] || fail "lintian found errors or warnings"

[ "$status" -eq 0 ] && echo "$(basename "$deb"): complete, runs from its tree, lintian clean"
exit "$status"

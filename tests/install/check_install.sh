#!/bin/sh
# Installs the build tree into a temporary prefix and checks the installed tree: the programs,
# the manual pages, the documentation and the examples are where GNUInstallDirs puts them, and
# the installed programs run on an installed example.
# Usage: check_install.sh CMAKE BUILD-DIR CONFIG BINDIR MANDIR DOCDIR HAS-PLOT
set -u
cmake=$1 build=$2 config=$3 bindir=$4 mandir=$5 docdir=$6 has_plot=$7

prefix=$(mktemp -d "${TMPDIR:-/tmp}/holestress-install.XXXXXX") || exit 1
trap 'rm -rf "$prefix"' EXIT
unset DESTDIR
status=0
fail() { echo "FAIL: $*"; status=1; }

if ! "$cmake" --install "$build" --prefix "$prefix" --config "$config" >"$prefix.log" 2>&1; then
  cat "$prefix.log"; rm -f "$prefix.log"
  echo "FAIL: cmake --install"
  exit 1
fi
rm -f "$prefix.log"

programs=holestress
[ "$has_plot" = 1 ] && programs="$programs holestress-plot"
for program in $programs; do
  [ -x "$prefix/$bindir/$program" ] || fail "$bindir/$program missing or not executable"
  [ -f "$prefix/$mandir/man1/$program.1" ] || fail "$mandir/man1/$program.1 missing"
done
for file in README.md examples/open-hole-tension.in examples/bolted-joint.in \
            examples/carpet-plot.in bolted-joint.png carpet-plot.png; do
  [ -f "$prefix/$docdir/$file" ] || fail "$docdir/$file missing"
done
# The manual-page sources go to man1 only.
[ -e "$prefix/$docdir/man" ] && fail "$docdir/man installed as documentation"

# The installed programs, run from the installed tree on an installed example.
example=$prefix/$docdir/examples/bolted-joint.in
[ -f "$example" ] || exit 1
for program in $programs; do
  [ -x "$prefix/$bindir/$program" ] || continue
  "$prefix/$bindir/$program" <"$example" >"$prefix/out" 2>"$prefix/err"
  code=$?
  [ "$code" -eq 0 ] || fail "$program < bolted-joint.in: exit status $code: $(cat "$prefix/err")"
  [ -s "$prefix/out" ] || fail "$program < bolted-joint.in: no output"
  [ -s "$prefix/err" ] && fail "$program < bolted-joint.in: wrote to standard error: $(cat "$prefix/err")"
done

[ "$status" -eq 0 ] && echo "installed tree complete: $programs"
exit "$status"

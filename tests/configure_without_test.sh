#!/bin/sh
# Configuring without one of the job runner's libraries stops with the Debian package to install,
# never with a later link error: each library is hidden from a fresh configuration in turn.
# usage: configure_without_test.sh SOURCE WORK
source=$1
work=$2
status=0
check() {  # name, package, cmake arguments...
  name=$1
  package=$2
  shift 2
  rm -rf "$work/without-$name"
  if cmake -S "$source" -B "$work/without-$name" -DHOLESTRESS_TESTS=OFF -DHOLESTRESS_WEB=OFF "$@" \
       >"$work/without-$name.log" 2>&1; then
    echo "FAIL: configured without $name"
    status=1
  elif ! tr -s " \n" "  " <"$work/without-$name.log" | grep -q "apt-get install $package"; then
    echo "FAIL: no word of $package without $name:"
    cat "$work/without-$name.log"
    status=1
  else
    echo "ok: without $name, configuring names $package"
  fi
  rm -rf "$work/without-$name"
}
check nlohmann nlohmann-json3-dev -DCMAKE_DISABLE_FIND_PACKAGE_nlohmann_json=ON
check cli11 libcli11-dev -DCMAKE_DISABLE_FIND_PACKAGE_CLI11=ON
check highway libhwy-dev -DCMAKE_DISABLE_FIND_PACKAGE_hwy=ON
check tomlplusplus libtomlplusplus-dev -DCMAKE_IGNORE_PATH=/usr/include
exit $status

#!/usr/bin/env bash
# Tests scripts/check-deps.sh against a configured build tree:
#  1. the list of scripts/deps.sh covers the build: exit 0;
#  2. the list without libqt6opengl6-dev (Qt6Charts needs its Qt6OpenGLConfig.cmake):
#     exit 1, and libqt6opengl6-dev is named as the package to add;
#  3. the list without mbpoll (a program the tests start): exit 1, mbpoll named.
# Usage: check_deps_test.sh SOURCE_DIR BUILD_DIR. Exit 77 (skip) without dpkg/apt-cache.
set -u
source_dir=$1
build=$2
guard=$source_dir/scripts/check-deps.sh

for tool in dpkg dpkg-query apt-cache; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "skipped: no $tool here"
    exit 77
  fi
done
if ! grep -q '^Qt6OpenGL_DIR:PATH=/usr/lib/' "$build/CMakeCache.txt"; then
  echo "skipped: this configure found no Qt6OpenGL under /usr/lib"
  exit 77
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

if ! bash "$source_dir/scripts/deps.sh" --list >"$work/full"; then
  echo "FAIL: scripts/deps.sh --list failed"
  exit 1
fi
grep -qx libqt6opengl6-dev "$work/full" || fail "scripts/deps.sh --list does not name libqt6opengl6-dev"

# run NAME LIST: runs the guard, keeps its output in $work/NAME.out, prints its status.
run() {
  bash "$guard" --packages "$2" "$build" >"$work/$1.out" 2>&1
  echo $?
}

code=$(run full "$work/full")
if [ "$code" -ne 0 ]; then
  cat "$work/full.out"
  fail "the guard fails (exit $code) with the full list of scripts/deps.sh"
fi

# without PACKAGE: the guard must exit 1 and name PACKAGE as the one to add.
check_without() {
  local package=$1
  grep -vx "$package" "$work/full" >"$work/without-$package"
  local code
  code=$(run "without-$package" "$work/without-$package")
  if [ "$code" -ne 1 ]; then
    cat "$work/without-$package.out"
    fail "without $package the guard exits $code, not 1"
  elif ! grep -Eq "^Add to the packages in scripts/deps.sh:.* $package( |\$)" "$work/without-$package.out"; then
    cat "$work/without-$package.out"
    fail "without $package the guard does not name it as the package to add"
  else
    echo "without $package: the guard fails and names it:"
    sed 's/^/  | /' "$work/without-$package.out"
  fi
}
check_without libqt6opengl6-dev
check_without mbpoll

[ $status -eq 0 ] && echo "check-deps: passes with the full list, names each removed package"
exit $status

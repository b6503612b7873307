#!/usr/bin/env bash
# Both programs pick their language at start: --help printed under several locales
# and --lang values must come out in the expected language.
# Usage: check_programs.sh RD5800 NOLVEX [RD5800D]
set -u
status=0
check() {   # program, expected first word, environment..., -- arguments...
  local program=$1 expected=$2; shift 2
  local envs=()
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do envs+=("$1"); shift; done
  shift
  local first
  first=$(env -u LANG -u LC_ALL -u LC_MESSAGES -u LANGUAGE "${envs[@]}" QT_QPA_PLATFORM=offscreen \
          "$program" "$@" --help | head -n 1 | cut -d' ' -f1)
  if [ "$first" != "$expected" ]; then
    echo "FAIL: ${envs[*]} $(basename "$program") $* --help starts with '$first', expected '$expected'"
    status=1
  fi
}
for program in "$@"; do
  check "$program" "用法:" --
  check "$program" "用法:" LANG=C --
  check "$program" "用法:" LANG=C.UTF-8 --
  check "$program" "用法:" LC_ALL=POSIX LANG=en_US.UTF-8 --
  check "$program" "用法:" LANG=zh_CN.UTF-8 --
  check "$program" "Usage:" LANG=en_US.UTF-8 --
  check "$program" "Usage:" LANG=de_DE.UTF-8 --
  check "$program" "Usage:" -- --lang en
  check "$program" "Usage:" -- --lang=en
  check "$program" "用法:" LANG=en_US.UTF-8 -- --lang zh
done
[ $status -eq 0 ] && echo "OK"
exit $status

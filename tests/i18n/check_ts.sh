#!/usr/bin/env bash
# Fails when a user-visible text has no English: runs lupdate over the sources into a
# copy of the committed translation file and requires the copy to come out unchanged
# (no text added, changed or gone) and every message to be translated.
# Usage: check_ts.sh SOURCE_DIR [LUPDATE]. Exit 77 (skip) without lupdate.
set -u
src=$1
lupdate=${2:-}
if [ -z "$lupdate" ] || [ ! -x "$lupdate" ]; then
  lupdate=$(command -v lupdate || true)
  [ -x /usr/lib/qt6/bin/lupdate ] && lupdate=/usr/lib/qt6/bin/lupdate
fi
if [ -z "$lupdate" ]; then
  echo "lupdate not installed: skipped"
  exit 77
fi
ts=$src/resources/translations/rd5800_en.ts
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cp "$ts" "$tmp/rd5800_en.ts"
# The same options the committed file was made with (README, "Translations").
(cd "$src" && "$lupdate" -silent -no-obsolete -locations none -source-language zh_CN \
   -target-language en link common meter modules service -ts "$tmp/rd5800_en.ts") || exit 1
status=0
if ! diff -u "$ts" "$tmp/rd5800_en.ts"; then
  echo "FAIL: resources/translations/rd5800_en.ts is not up to date with the sources (diff above)"
  status=1
fi
if grep -n -E 'type="(unfinished|vanished|obsolete)"' "$tmp/rd5800_en.ts"; then
  echo "FAIL: texts without an English translation (above)"
  status=1
fi
count=$(grep -c '<message' "$tmp/rd5800_en.ts")
if [ "$count" -lt 1 ]; then
  echo "FAIL: no messages found in the sources"
  status=1
fi
[ $status -eq 0 ] && echo "OK: $count texts, all translated"
exit $status

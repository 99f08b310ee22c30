#!/usr/bin/env bash
# fotela-cli menu DIR: index.html linking the sub-folders' albums, oldest first.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
settings_file "$work/default.ini"
links() { iconv -f CP932 -t UTF-8 "$1" | tr -d '\r' | sed -n 's/^<tr><td><A HREF="\([^"]*\)">.*/\1/p' | tr '\n' ' ' | sed 's/ $//'; }

parent=$work/アルバム集
mkdir -p "$parent/夏" "$parent/trip2" "$parent/trip1"
touch -d '2020-05-01' "$parent/trip2"
touch -d '2019-01-01' "$parent/trip1"
touch -d '2021-08-01' "$parent/夏"

set +e
out=$("$cli" menu "$parent" --settings "$work/default.ini" 2> "$work/err"); rc=$?
set -e
check "menu exits 0 and prints the page" "0 $parent/index.html" "$rc $out"
check "oldest sub-folder first" "trip1/album.html trip2/album.html 夏/album.html" "$(links "$parent/index.html")"
check "the charset line follows <HTML>" '<meta HTTP-EQUIV="Content-Type" CONTENT="text/html;charset=Shift_JIS">' \
  "$(sed -n 3p "$parent/index.html" | tr -d '\r')"
check "title is the folder's name" "<title>アルバム集</title>" "$(iconv -f CP932 -t UTF-8 "$parent/index.html" | tr -d '\r' | sed -n 5p)"

# Existing page: no answer off a terminal means No; --yes replaces it.
echo mine > "$parent/index.html"
set +e
"$cli" menu "$parent" --settings "$work/default.ini" > /dev/null 2> "$work/err" < /dev/null; rc=$?
set -e
check "without --yes an existing page stays (exit 1)" "1 mine" "$rc $(cat "$parent/index.html")"
grep -q "すでに index.html が存在します。" "$work/err" && pass "the question is shown" ||
  failed "the question is shown"
"$cli" menu "$parent" --settings "$work/default.ini" --yes > /dev/null 2>&1
check "--yes replaces it" "trip1/album.html trip2/album.html 夏/album.html" "$(links "$parent/index.html")"

# Failures.
rm "$parent/index.html" && mkdir "$parent/index.html"
set +e
"$cli" menu "$parent" --settings "$work/default.ini" > /dev/null 2> "$work/err"; rc1=$?
"$cli" menu "$work/none" --settings "$work/default.ini" > /dev/null 2>&1; rc2=$?
"$cli" menu "$parent" --bogus > /dev/null 2>&1; rc3=$?
"$cli" menu > /dev/null 2>&1; rc4=$?
set -e
check "unwritable page, missing folder, bad command lines" "1 1 2 2" "$rc1 $rc2 $rc3 $rc4"
grep -q "メニューが作れません。" "$work/err" && grep -q "$parent/index.html" "$work/err" &&
  pass "the failure names the page" ||
  { failed "the failure names the page"; cat "$work/err"; }

finish

#!/usr/bin/env bash
# fotela-cli settings: every layout becomes the same "Ver=4" file, byte for byte.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
sjis() { iconv -f UTF-8 -t CP932; }

# The file every layout below must turn into (folder /p, title 旅行, interval 3000).
crlf "Ver=4" "/p" "album.html" " 1 " "旅行" "small" "big" " 1024" " 200" \
  FFFFFF 000000 0000FF 000088 0000FF "" "../index.html" "" \
  75 10 AA6600 10 ffffff 50 ffffff 50 "" 000000 " 3000" " 0 " | sjis > "$work/expected4"

cp "$work/expected4" "$work/ver4"
crlf "Ver=3" "/p" "album.html" " 1 " "旅行" "small" "big" "1024" "200" \
  FFFFFF 000000 0000FF 000088 0000FF "" "../index.html" "" \
  75 10 AA6600 10 ffffff 50 ffffff 50 "" 000000 "3000" | sjis > "$work/ver3"
crlf "Ver=2" "/p" "album.html" "1" "旅行" "small" "big" "1024" "200" \
  FFFFFF 000000 0000FF 000088 0000FF "" "../index.html" "" "3000" | sjis > "$work/ver2"
crlf "/p" "album.html" "1" "旅行" "small" "big" "1024" "200" "x" "y" "3000" | sjis > "$work/ver1"

for layout in ver4 ver3 ver2 ver1; do
  "$cli" settings "$work/$layout" "$work/out-$layout" 2> "$work/err-$layout"
  check_file "$layout → Ver=4" "$work/expected4" "$work/out-$layout"
done
# Only the oldest layout is announced, on stderr.
grep -q "古いバージョンの設定ファイルを読み込みます。" "$work/err-ver1" || failed "ver1 message"
[[ ! -s "$work/err-ver3" ]] || failed "ver3 printed a message"

# Without OUT the 29 lines go to stdout as UTF-8.
"$cli" settings "$work/ver4" > "$work/stdout"
[[ $(wc -l < "$work/stdout") -eq 29 ]] || failed "stdout line count"
[[ $(sed -n 5p "$work/stdout") == "旅行" ]] || failed "stdout not UTF-8"

# Bad input: a missing file is a failure naming it; wrong arguments are usage errors.
set +e
"$cli" settings "$work/missing.ini" "$work/x" 2> "$work/err"; rc=$?
set -e
[[ $rc -eq 1 ]] && grep -q "missing.ini" "$work/err" && [[ ! -e "$work/x" ]] \
  || failed "missing input (rc=$rc)"
set +e
"$cli" settings > /dev/null 2>&1; rc1=$?
"$cli" settings a b c > /dev/null 2>&1; rc2=$?
"$cli" settings "$work/ver4" "$work/no/such/folder/out.ini" 2> "$work/err"; rc3=$?
set -e
[[ $rc1 -eq 2 && $rc2 -eq 2 ]] || failed "usage exit codes ($rc1, $rc2)"
[[ $rc3 -eq 1 ]] && grep -q "out.ini" "$work/err" || failed "unwritable output (rc=$rc3)"

# A binary file is no settings file: refused, exit 1, nothing written.
head -c 600 /dev/urandom | tr '\001' '\000' > "$work/binary.ini"
printf '\0' >> "$work/binary.ini"
set +e
"$cli" settings "$work/binary.ini" "$work/from-binary.ini" 2> "$work/err"; rc1=$?
"$cli" settings "$work/binary.ini" > "$work/stdout-binary" 2>> "$work/err"; rc2=$?
set -e
check "binary settings file refused" "1 1" "$rc1 $rc2"
[[ ! -e "$work/from-binary.ini" && ! -s "$work/stdout-binary" ]] && pass "nothing written" ||
  failed "nothing written"
grep -q "binary.ini は設定ファイルではありません" "$work/err" && pass "the message names the file" ||
  { failed "the message names the file"; cat "$work/err"; }

grep -q "settings IN \[OUT\]" <<< "$("$cli" --help)" || failed "--help"

finish

#!/usr/bin/env bash
# fotela-cli list DIR: the rows of the photo list as tab-separated lines.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

photos=$work/写真
mkdir "$photos"
jpeg "$photos/b.jpg" 64 48
jpeg "$photos/a.jpg" 30 20
jpeg "$photos/IMG.JPG" 8 16
jpeg "$photos/c.jpeg" 8 8
jpeg "$photos/x.y.jpg" 8 8
echo "not a jpeg" > "$photos/broken.jpg"
# The order file: b first, with a description in Shift_JIS; "gone" names no photo.
printf 'b,\x8A\x43\x82\xCC\x8E\xCA\x90\x5E\r\ngone,x\r\n' > "$photos/titlen.txt"
for f in a.jpg b.jpg IMG.JPG broken.jpg; do touch -d '2024-02-29 13:05:09' "$photos/$f"; done

size() { stat -c %s "$1"; }
tab=$'\t'
expected="b${tab}jpg${tab}64${tab}48${tab}$(size "$photos/b.jpg")${tab}2024/02/29 13:05:09${tab}海の写真
a${tab}jpg${tab}30${tab}20${tab}$(size "$photos/a.jpg")${tab}2024/02/29 13:05:09${tab}a
broken${tab}jpg${tab}0${tab}0${tab}11${tab}2024/02/29 13:05:09${tab}broken
IMG${tab}JPG${tab}8${tab}16${tab}$(size "$photos/IMG.JPG")${tab}2024/02/29 13:05:09${tab}IMG"
# Sizes below 1000 bytes are bare numbers; the photos here are all that small.
actual=$("$cli" list "$photos")
check "rows in order with all seven fields" "$expected" "$actual"

actual=$("$cli" list "$photos" | od -An -c | tr -s ' ' | grep -c '\\r' || true)
check "lines end in LF alone" "0" "$actual"

mkdir "$work/tabs"
jpeg "$work/tabs/t.jpg" 8 8
printf 't,one\ttwo\r\n' > "$work/tabs/titlen.txt"
check "a TAB inside a description cannot shift the columns" "one two" \
  "$("$cli" list "$work/tabs" | cut -f7-)"

{ printf 't,'; head -c 70000 /dev/zero | tr '\0' 'x'; printf '\r\n'; } > "$work/tabs/titlen.txt"
run list "$work/tabs"
check "a description over 64 KB: cut, with one warning naming the file" "65536 1" \
  "$(cut -f7 <<< "$out" | tr -d '\n' | wc -c) $(grep -c "64KB.*$work/tabs/titlen.txt" <<< "$err")"

mkdir "$work/empty"
check "an empty folder lists nothing" "" "$("$cli" list "$work/empty")"

set +e
"$cli" list "$work/none" 2> "$work/err"; rc=$?
set -e
check "a missing folder fails" "1" "$rc"
grep -q "$work/none" "$work/err" && pass "the message names the folder" ||
  failed "the message names the folder"
set +e
"$cli" list 2> /dev/null; rc=$?
set -e
check "no folder is a usage error" "2" "$rc"

finish

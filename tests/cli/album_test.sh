#!/usr/bin/env bash
# fotela-cli album DIR: reduced copies and the whole page set; --pages-only; questions,
# messages and exit codes.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
settings_file "$work/default.ini"
ini=$work/default.ini
before=$(md5sum < "$ini")

photos=$work/旅行
mkdir "$photos"
jpeg "$photos/a.jpg" 800 600 100
jpeg "$photos/b.jpg" 600 800 100
jpeg "$photos/c.jpg" 320 240 100
crlf "c,最後の一枚" "b,it's <b>縦</b>" | iconv -f UTF-8 -t CP932 > "$photos/titlen.txt"

# Full build, no answer needed (no copies yet); the main page's path goes to stdout.
set +e
out=$("$cli" album "$photos" --settings "$ini" 2> "$work/err"); rc=$?
set -e
check "full build exits 0" 0 "$rc"
check "prints the main page" "$photos/album.html" "$out"
check "every page and both copy folders" "a.jpg album.html album_1.html album_2.html album_3.html album_4.html b.jpg big c.jpg small titlen.txt" \
  "$(ls "$photos" | tr '\n' ' ' | sed 's/ $//')"
grep -q "アルバムを作成しました。" "$work/err" && pass "status text on stderr" || failed "status text on stderr"
check "title from the folder; order from titlen.txt" \
  '<H3>旅行</H3>
　　<A HREF="javaScript:disp0( 1)"><IMG SRC="small/c.jpg" Border=0 Width= 100 Height= 75 ALT="c.jpg"></A><BR>
　　<A HREF="javaScript:disp0( 2)"><IMG SRC="small/b.jpg" Border=0 Width= 75 Height= 100 ALT="b.jpg"></A><BR>
　　<A HREF="javaScript:disp0( 3)"><IMG SRC="small/a.jpg" Border=0 Width= 100 Height= 75 ALT="a.jpg"></A><BR>' \
  "$(utf8 "$photos/album_1.html" | grep -E '^<H3>|disp0\( ')"
check "view page: link only when the photo is larger; description escaped for the script" \
  "    if (parent.window.name==\"W1\") {document.write('<IMG SRC=\"big/c.jpg\" Border=0 Width= 320 Height= 240 ALT=\"c.jpg\"><BR>最後の一枚');sw=1;}
    if (parent.window.name==\"W2\") {document.write('<A HREF=\"b.jpg\" TARGET=\"_top\"><IMG SRC=\"big/b.jpg\" Border=0 Width= 450 Height= 600 ALT=\"b.jpg\"></A><BR>it\\'s <b>縦<\\/b>');sw=1;}" \
  "$(utf8 "$photos/album_2.html" | grep -E 'W2"\)|W1"\)')"
check "pages are CR LF on every line" 0 "$(grep -vc $'\r$' "$photos/album_3.html" || true)"
check "the settings file is not rewritten" "$before" "$(md5sum < "$ini")"

# Copies exist now: without a flag and without a terminal the question is answered yes.
"$cli" album "$photos" --settings "$ini" > /dev/null 2> "$work/err" < /dev/null
grep -q "縮小画像を作成しますか？ → はい" "$work/err" && pass "asks, yes off a terminal" ||
  { failed "asks, yes off a terminal"; cat "$work/err"; }

# --no keeps the copies; a new photo then has none and the pages report it.
jpeg "$photos/d.jpg" 640 480
set +e
"$cli" album "$photos" --settings "$ini" --no > /dev/null 2> "$work/err"; rc=$?
set -e
check "declined copies leave a missing copy: exit 1" 1 "$rc"
grep -q "縮小画像が正常に作成されていない可能性があります。" "$work/err" && pass "missing copy message" ||
  { failed "missing copy message"; cat "$work/err"; }
[[ ! -e "$photos/small/d.jpg" ]] && pass "--no makes no copy" || failed "--no makes no copy"

# --update makes just the missing copies, without asking.
"$cli" album "$photos" --settings "$ini" --update > /dev/null 2> "$work/err"
[[ -e "$photos/small/d.jpg" ]] && pass "--update makes the missing copy" || failed "--update makes the missing copy"
grep -q "縮小画像を作成しますか" "$work/err" && failed "--update asks" || pass "--update does not ask"

# --pages-only: pages from the existing copies; a removed copy fails the run.
rm "$photos/album_4.html"
"$cli" album "$photos" --settings "$ini" --pages-only > /dev/null 2> "$work/err"
[[ -e "$photos/album_4.html" ]] && pass "--pages-only rewrites the pages" || failed "--pages-only rewrites the pages"
rm "$photos/big/a.jpg"
set +e
"$cli" album "$photos" --settings "$ini" --pages-only > /dev/null 2> "$work/err"; rc=$?
set -e
check "--pages-only with a missing copy exits 1" 1 "$rc"
[[ -e "$photos/big/a.jpg" ]] && failed "--pages-only made a copy" || pass "--pages-only makes no copy"

# The marker file in the current directory splits the view page's script before photo 31.
many=$work/many
mkdir "$many"
for i in $(seq -w 1 31); do jpeg "$many/p$i.jpg" 64 48; done
marker=$(printf '突然画像が表示されない.txt')
(cd "$work" && touch "$marker" && "$cli" album "$many" --settings "$ini" > /dev/null 2>&1)
check "marker file splits the view script" 1 "$(utf8 "$many/album_2.html" | grep -c '^<I>　</I>$' || true)"
rm "$work/$marker"
(cd "$work" && "$cli" album "$many" --settings "$ini" --pages-only > /dev/null 2>&1)
check "no marker, no split" 0 "$(utf8 "$many/album_2.html" | grep -c '^<I>　</I>$' || true)"

# An empty folder, a read-only page and bad command lines.
mkdir "$work/empty"
set +e
"$cli" album "$work/empty" --settings "$ini" > /dev/null 2> "$work/err"; rc1=$?
"$cli" album "$work/empty" --settings "$ini" --pages-only > /dev/null 2>> "$work/err"; rc2=$?
set -e
check "empty folder exits 1 (full build and pages only)" "1 1" "$rc1 $rc2"
check "empty folder message" 2 "$(grep -c '対象画像がありません' "$work/err")"
rm -f "$photos/album_1.html" && mkdir "$photos/album_1.html"
set +e
"$cli" album "$photos" --settings "$ini" --update > /dev/null 2> "$work/err"; rc=$?
set -e
check "an unwritable page exits 1" 1 "$rc"
grep -q "$photos/album_1.html" "$work/err" && pass "the message names the page" ||
  { failed "the message names the page"; cat "$work/err"; }
# Unwritable copies: no success text, exit 1. Root ignores permissions: make the folder
# immutable then.
ro=$work/readonly
mkdir -p "$ro/big"
jpeg "$ro/a.jpg" 320 240
chmod a-w "$ro/big"
[[ $(id -u) -eq 0 ]] && chattr +i "$ro/big" 2> /dev/null || true
if ! touch "$ro/big/probe" 2> /dev/null; then
  set +e
  "$cli" album "$ro" --settings "$ini" --yes > /dev/null 2> "$work/err"; rc=$?
  set -e
  check "unwritable big/: exit 1" 1 "$rc"
  grep -q "アルバムを作成しました。" "$work/err" && failed "unwritable big/: no success text" ||
    pass "unwritable big/: no success text"
  grep -q "アルバムを作成できませんでした。" "$work/err" && pass "unwritable big/: says so" ||
    { failed "unwritable big/: says so"; cat "$work/err"; }
  [[ ! -e "$ro/album.html" ]] && pass "unwritable big/: no pages" || failed "unwritable big/: no pages"
else
  echo "skip unwritable big/: cannot make a read-only folder here"
fi
chattr -i "$ro/big" 2> /dev/null || true
chmod u+w "$ro/big"

# A damaged photo and a 251-byte name: the damaged one is left out (named), the long one
# is in the album; stale temporary files of a killed run go.
odd=$work/odd
mkdir "$odd"
long=$(printf 'n%.0s' $(seq 247))
jpeg "$odd/$long.jpg" 320 240
jpeg "$odd/good.jpg" 320 240
head -c 700 "$odd/good.jpg" > "$odd/cut.jpg"
: > "$odd/zero.jpg"
mkdir -p "$odd/small" && echo stale > "$odd/.fotela-Ab12Cd" && echo stale > "$odd/small/.fotela-Ab12Ce"
set +e
"$cli" album "$odd" --settings "$ini" --yes > /dev/null 2> "$work/err"; rc=$?
set -e
check "damaged photos: exit 1 after the warning" 1 "$rc"
grep -q "cut.jpg" "$work/err" && grep -q "zero.jpg" "$work/err" && pass "the warning names them" ||
  { failed "the warning names them"; cat "$work/err"; }
grep -q "写真の一部を除いてアルバムを作成しました。" "$work/err" && pass "the status says some are left out" ||
  failed "the status says some are left out"
check "pages show the others" "2 0" \
  "$(grep -c 'disp0( ' "$odd/album_1.html") $(grep -c 'cut.jpg\|zero.jpg' "$odd/album_1.html" || true)"
[[ -e "$odd/big/$long.jpg" && -e "$odd/small/$long.jpg" ]] && pass "251-byte name copied" ||
  failed "251-byte name copied"
check "no temporary file left" "" "$(find "$odd" -name '.fotela-*')"

# Page and folder names from the settings must be plain names: refused, nothing written.
for bad in "../x.html big small" "album.html ../../t small" "album.html big big"; do
  read -r html big small <<< "$bad"
  crlf "Ver=4" "/nowhere" "$html" " 1 " "t" "$small" "$big" " 1024" " 200" FFFFFF 000000 \
    0000FF 000088 0000FF "" "" "" 75 10 AA6600 10 ffffff 50 ffffff 50 "" 000000 " 3000" " 0 " \
    > "$work/bad.ini"
  mkdir -p "$work/p/q" && jpeg "$work/p/q/a.jpg" 64 48
  set +e
  "$cli" album "$work/p/q" --settings "$work/bad.ini" --yes > /dev/null 2> "$work/err"; rc=$?
  set -e
  check "refused settings ($bad): exit 1, nothing written" "1 a.jpg q" \
    "$rc $(ls "$work/p/q" | tr '\n' ' ')$(ls "$work/p" | tr '\n' ' ' | sed 's/ $//')"
  rm -rf "$work/p" "$work/t"
done

set +e
"$cli" album "$photos" --pages-only --copies-only 2> /dev/null; r1=$?
"$cli" album "$photos" --settings "$work/missing.ini" 2> /dev/null; r2=$?
"$cli" album "$photos" --yes --no 2> /dev/null; r3=$?
"$cli" album 2> /dev/null; r4=$?
"$cli" album "$photos" --style frames 2> /dev/null; r5=$?
set -e
check "usage errors exit 2" "2 2 2 2 2" "$r1 $r2 $r3 $r4 $r5"


finish

#!/usr/bin/env bash
# Page writing that is killed or meets a full disk: every page is always the old one or the
# complete new one, and the next run leaves no temporary file. The full disk needs a small
# tmpfs (root); without it that half is skipped (exit 77 once the rest has passed).
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
settings_file "$work/s.ini"
ini=$work/s.ini
pages="album.html album_1.html album_2.html album_3.html album_4.html"

# An album of 40 photos whose pages change with the descriptions (state A or B). Every
# copy of it is named "album": the title comes from the folder's name.
mkdir -p "$work/source/album"
for i in $(seq -w 1 40); do jpeg "$work/source/album/p$i.jpg" 48 32; done
"$cli" album "$work/source/album" --settings "$ini" --copies-only --yes > /dev/null 2>&1
make_album() {  # folder
  mkdir -p "$(dirname "$1")"
  cp -a "$work/source/album" "$1"
}
long=$(printf 'x%.0s' $(seq 60))
for state in A B; do
  for i in $(seq -w 1 40); do printf 'p%s,%s %s\r\n' "$i" "$state" "$long"; done > "$work/titlen-$state"
done
describe() { cp "$work/titlen-$2" "$1/titlen.txt"; }  # folder A|B
sums() {  # folder: one md5 per page
  (cd "$1" && for p in $pages; do md5sum < "$p"; done)
}
temporaries() { find "$1" -name '.fotela-*' | wc -l; }

# The complete pages of both states, made in a folder of their own.
ref=$work/ref/album
make_album "$ref"
describe "$ref" A && "$cli" album "$ref" --settings "$ini" --pages-only > /dev/null 2>&1
sums "$ref" > "$work/sums-A"
describe "$ref" B && "$cli" album "$ref" --settings "$ini" --pages-only > /dev/null 2>&1
sums "$ref" > "$work/sums-B"
[[ "$(cat "$work/sums-A")" != "$(cat "$work/sums-B")" ]] || failed "the two states differ"

# Killed at random moments while writing, switching state every time.
album=$work/album
make_album "$album"
describe "$album" A && "$cli" album "$album" --settings "$ini" --pages-only > /dev/null 2>&1
bad=0
caught=0  # rounds killed while pages were being written (temporary files left)
for round in $(seq 1 16); do
  describe "$album" "$([[ $((round % 2)) -eq 1 ]] && echo B || echo A)"
  "$cli" album "$album" --settings "$ini" --pages-only > /dev/null 2>&1 &
  sleep "0.$(printf '%03d' $((RANDOM % 150)))"
  kill -9 $! 2> /dev/null || true
  wait $! 2> /dev/null || true
  [[ $(temporaries "$album") -gt 0 ]] && caught=$((caught + 1))
  bad=$((bad + $(paste -d' ' <(sums "$album") "$work/sums-A" "$work/sums-B" |
    awk '$1 != $3 && $1 != $5' | wc -l)))
done
echo "     ($caught of 16 runs were killed while writing pages)"
check "killed runs: every page old or complete new" 0 "$bad"
"$cli" album "$album" --settings "$ini" --pages-only > /dev/null 2>&1
check "the next run removes the temporary files" 0 "$(temporaries "$album")"

# A run on a folder that another run holds waits and says so; then it writes its pages and
# removes what a killed run left in a copy folder (older than the file system's clock tick).
printf x > "$album/small/.fotela-Killed" && sleep 0.02
describe "$album" B
exec 9< "$album" && flock 9
"$cli" album "$album" --settings "$ini" --pages-only > /dev/null 2> "$work/err" 9<&- &
until grep -q "待っています: $album" "$work/err" || ! kill -0 $! 2> /dev/null; do sleep 0.05; done
grep -q "待っています" "$work/err" && pass "a second run says it waits" || failed "no wait: $(cat "$work/err")"
check "the waiting run has written nothing" "$(cat "$work/sums-A")" "$(sums "$album")"
exec 9<&-
wait $! && pass "the waiting run ends well" || failed "the waiting run ends well"
check "then writes its pages" "$(cat "$work/sums-B")" "$(sums "$album")"
check "and removes the temporary file in small/" 0 "$(temporaries "$album")"

# A full disk: the run fails naming the page and the reason; the old pages stay.
disk=$work/disk
mkdir "$disk"
if [[ $(id -u) -ne 0 ]] || ! mount -t tmpfs -o size=4m tmpfs "$disk" 2> /dev/null; then
  echo "skip full disk: cannot mount a small tmpfs here (needs root)"
  [[ $failures -eq 0 ]] && { echo "$failures failed"; exit 77; }
  finish
  exit
fi
on_exit() { umount "$disk" 2> /dev/null || true; }
make_album "$disk/album"
describe "$disk/album" A && "$cli" album "$disk/album" --settings "$ini" --pages-only > /dev/null 2>&1
check "state A on the small disk" "$(cat "$work/sums-A")" "$(sums "$disk/album")"
describe "$disk/album" B
# Fill the disk but for a few pages' worth, so that the set runs out part way.
head -c 12288 /dev/zero > "$disk/room"
dd if=/dev/zero of="$disk/fill" bs=4096 2> /dev/null || true
rm "$disk/room"
set +e
"$cli" album "$disk/album" --settings "$ini" --pages-only > /dev/null 2> "$work/err"; rc=$?
set -e
check "full disk: exit 1" 1 "$rc"
grep -q "書き込めません。(No space left on device)" "$work/err" && pass "full disk: the message names the reason" ||
  { failed "full disk: the message names the reason"; cat "$work/err"; }
check "full disk: the old pages stay" "$(cat "$work/sums-A")" "$(sums "$disk/album")"
check "full disk: no temporary file left" 0 "$(temporaries "$disk/album")"
rm "$disk/fill"
"$cli" album "$disk/album" --settings "$ini" --pages-only > /dev/null 2>&1
check "with room again: the new pages" "$(cat "$work/sums-B")" "$(sums "$disk/album")"

finish

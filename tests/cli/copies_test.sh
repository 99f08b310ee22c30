#!/usr/bin/env bash
# fotela-cli album DIR --copies-only: the reduced copies of every photo, without pages.
set -euo pipefail
cli=${FOTELA_CLI:?}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # name expected actual
  if [[ "$2" == "$3" ]]; then echo "ok   $1"; else
    echo "FAIL $1"; diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") || true
    failures=$((failures + 1)); fi
}
jpeg() {  # file width height
  { printf 'P6 %d %d 255\n' "$2" "$3"; head -c $(($2 * $3 * 3)) /dev/zero | tr '\0' '\200'; } |
    cjpeg -quality 90 > "$1"
}
sizes() {  # folder: "name width height" per copy, from the copies' own headers
  "$cli" list "$1" | cut -f1,3,4 | tr '\t' ' ' | sort
}
crlf() { printf '%s\r\n' "$@"; }
# A settings file with the given image folder, thumbnail folder and list page width.
settings() {  # file big small width
  crlf "Ver=4" "/nowhere" "album.html" " 0 " "title" "$3" "$2" " $4" " 200" \
    FFFFFF 000000 0000FF 000088 0000FF "" "" "" 75 10 AA6600 10 ffffff 50 ffffff 50 "" \
    000000 " 3000" " 0 " > "$1"
}
none=$work/default.ini  # the default folders and width, whatever the program's own file says
settings "$none" big small 1024

photos=$work/photos
mkdir "$photos"
jpeg "$photos/wide.jpg" 1200 800
jpeg "$photos/tall.JPG" 800 1200
jpeg "$photos/small.jpg" 320 240

"$cli" album "$photos" --copies-only --settings "$none" 2> "$work/err"
check "large copies" "small 320 240
tall 400 600
wide 600 400" "$(sizes "$photos/big")"
check "thumbnails" "small 100 75
tall 67 100
wide 100 67" "$(sizes "$photos/small")"
check "nothing but the copies in the folders" "small.jpg tall.JPG wide.jpg" \
  "$(ls -A "$photos/big" | tr '\n' ' ' | sed 's/ $//')"

# --update: nothing is remade while the copies are newer than the photos.
touch -d '2001-01-01' "$photos/big/wide.jpg" "$photos"/*.jpg "$photos"/*.JPG
touch -d '2001-01-02' "$photos/big"/* "$photos/small"/*
touch -d '2002-01-01' "$photos/tall.JPG"
"$cli" album "$photos" --copies-only --update --settings "$none" 2> "$work/err"
day() { if (($(date -r "$1" +%Y) > 2002)); then echo remade; else date -r "$1" +%F; fi; }
check "--update remakes only outdated copies" \
  "2001-01-02 remade remade 2001-01-02" \
  "$(day "$photos/big/wide.jpg") $(day "$photos/big/tall.JPG") $(day "$photos/small/tall.JPG") $(day "$photos/small/small.jpg")"

# A corrupt photo in the middle: reported by name, exit 1, the others still made.
rm -rf "$photos/big" "$photos/small"
head -c 500 "$photos/wide.jpg" > "$photos/m.jpg"
set +e
"$cli" album "$photos" --copies-only --settings "$none" 2> "$work/err"; rc=$?
set -e
check "a corrupt photo fails the run" "1" "$rc"
grep -q "$photos/m.jpg" "$work/err" && echo "ok   the message names the photo" ||
  { echo "FAIL the message names the photo"; cat "$work/err"; failures=$((failures + 1)); }
check "the other photos still get their copies" "small tall wide" \
  "$(sizes "$photos/big" | cut -d' ' -f1 | tr '\n' ' ' | sed 's/ $//')"
rm "$photos/m.jpg"

# Folder names and list page width from a settings file; DIR wins over its folder line.
settings "$work/narrow.ini" "grosse" "kleine" 699
"$cli" album "$photos" --copies-only --settings "$work/narrow.ini" 2> "$work/err"
check "settings file names the folders and the limit" "wide 350 233" \
  "$(sizes "$photos/grosse" | grep wide)"
check "thumbnails in the named folder" "wide 100 67" "$(sizes "$photos/kleine" | grep wide)"
grep -q '/nowhere' "$work/narrow.ini" && echo "ok   the settings file is not rewritten" ||
  { echo "FAIL the settings file is not rewritten"; failures=$((failures + 1)); }

set +e
"$cli" album "$work/none" --copies-only --settings "$none" 2> /dev/null; rc=$?
"$cli" album --copies-only 2> /dev/null; rc2=$?
"$cli" album "$photos" --copies-only --bogus 2> /dev/null; rc3=$?
set -e
check "a missing folder fails; bad command lines are usage errors" "1 2 2" "$rc $rc2 $rc3"

exit $((failures > 0))

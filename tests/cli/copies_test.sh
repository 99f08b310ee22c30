#!/usr/bin/env bash
# fotela-cli album DIR --copies-only: the reduced copies of every photo, without pages.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
sizes() {  # folder: "name width height" per copy, from the copies' own headers
  "$cli" list "$1" | cut -f1,3,4 | tr '\t' ' ' | sort
}
none=$work/default.ini  # the default folders and width, whatever the program's own file says
settings_file "$none"

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
grep -q "$photos/m.jpg" "$work/err" && pass "the message names the photo" ||
  { failed "the message names the photo"; cat "$work/err"; }
check "the other photos still get their copies" "small tall wide" \
  "$(sizes "$photos/big" | cut -d' ' -f1 | tr '\n' ' ' | sed 's/ $//')"
rm "$photos/m.jpg"

# Folder names and list page width from a settings file; DIR wins over its folder line.
settings_file "$work/narrow.ini" "kleine" "grosse" 699
"$cli" album "$photos" --copies-only --settings "$work/narrow.ini" 2> "$work/err"
check "settings file names the folders and the limit" "wide 350 233" \
  "$(sizes "$photos/grosse" | grep wide)"
check "thumbnails in the named folder" "wide 100 67" "$(sizes "$photos/kleine" | grep wide)"
grep -q '/nowhere' "$work/narrow.ini" && pass "the settings file is not rewritten" ||
  failed "the settings file is not rewritten"

set +e
"$cli" album "$work/none" --copies-only --settings "$none" 2> /dev/null; rc=$?
"$cli" album --copies-only 2> /dev/null; rc2=$?
"$cli" album "$photos" --copies-only --bogus 2> /dev/null; rc3=$?
set -e
check "a missing folder fails; bad command lines are usage errors" "1 2 2" "$rc $rc2 $rc3"

finish

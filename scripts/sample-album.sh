#!/usr/bin/env bash
# Makes an album of sample photographs and says where it is and how to look at it.
#
# The photos come from a small Debian wallpaper package (fetched with apt-get download and
# unpacked into samples/photos, which git ignores); where the package cannot be had, a few
# generated pictures stand in. A few photos get descriptions through titlen.txt, then
# `fotela-cli album` makes the reduced copies and every page.
#
#   scripts/sample-album.sh            uses build/bin/fotela-cli (cmake --workflow --preset dev)
#   FOTELA_CLI=path scripts/sample-album.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${FOTELA_CLI:-$root/build/bin/fotela-cli}
photos=$root/samples/photos
package=lomiri-wallpapers-20.04

if [[ ! -x "$cli" ]]; then
  echo "fotela-cli not found at $cli; build it first: cmake --workflow --preset dev" >&2
  exit 1
fi

mkdir -p "$photos"
shopt -s nullglob
existing=("$photos"/*.jpg)
if ((${#existing[@]} == 0)); then
  unpack=$(mktemp -d)
  trap 'rm -rf "$unpack"' EXIT
  if (cd "$unpack" && apt-get download -q "$package" > /dev/null 2>&1) &&
    dpkg -x "$unpack"/"$package"_*.deb "$unpack/root"; then
    for f in "$unpack"/root/usr/share/backgrounds/*.jpg; do cp "$f" "$photos/"; done
    cp "$unpack/root/usr/share/doc/$package/copyright" "$photos/COPYRIGHT.txt" 2> /dev/null || true
    echo "Sample photos: $package (Debian), see $photos/COPYRIGHT.txt"
  fi
  existing=("$photos"/*.jpg)
  if ((${#existing[@]} == 0)); then
    # No package to be had: a few generated pictures (gradients) instead.
    echo "Could not fetch $package; generating sample pictures instead." >&2
    for i in 1 2 3 4 5; do
      python3 - "$i" <<'PY' | cjpeg -quality 90 > "$photos/sample$i.jpg"
import sys
i = int(sys.argv[1])
w, h = (1600, 1200) if i % 2 else (1200, 1600)
rows = []
for y in range(h):
    row = bytearray()
    for x in range(0, w, 8):
        row += bytes(((x * 255 // w + 50 * i) % 256, (y * 255 // h) % 256, (40 * i) % 256)) * 8
    rows.append(bytes(row))
sys.stdout.buffer.write(b"P6 %d %d 255\n" % (w, h) + b"".join(rows))
PY
    done
  fi
fi

# Descriptions for a few photos (the order file is CP932 with CR LF, "name,description").
{
  for f in "$photos"/*.jpg; do
    name=$(basename "$f" .jpg)
    case $name in
      Infinite-Sea*) printf '%s,果てしない海\r\n' "$name" ;;
      Fossa*) printf '%s,<b>フォッサ</b> のイラスト\r\n' "$name" ;;
      Kleiber*) printf '%s,森の朝\r\n' "$name" ;;
      sample1) printf '%s,一枚目のサンプル\r\n' "$name" ;;
      *) printf '%s,%s\r\n' "$name" "$name" ;;
    esac
  done
} | iconv -f UTF-8 -t CP932 > "$photos/titlen.txt"

page=$("$cli" album "$photos" --yes)
echo
echo "Album: $page"
echo "Preview it (today's browsers block frames on file:// pages):"
echo "  $cli serve $photos"
echo "then open the http://127.0.0.1:... address it prints; Ctrl+C stops it."

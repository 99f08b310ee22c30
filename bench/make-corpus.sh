#!/usr/bin/env bash
# Builds the photo corpus for bench/copies-vs-peers.sh:
#   CORPUS/photos       real photographs from Debian wallpaper packages (2-20 MP), plus
#                       camera-sized photos made from them (4000x3000 and 6000x4000 at
#                       quality 92, some portrait, one with EXIF orientation 6, some
#                       progressive)
#   CORPUS/progressive  the progressive ones alone (hard links), timed separately
# The packages are fetched with apt-get download and unpacked with dpkg -x; nothing is
# installed except the tools the benchmark runs (libvips-tools, libjpeg-turbo-progs, time).
#
# usage: bench/make-corpus.sh [CORPUS]      (default /tmp/fotela-corpus)
set -euo pipefail

corpus=${1:-/tmp/fotela-corpus}
cache=$corpus/.packages
packages=(lomiri-wallpapers-16.04 lomiri-wallpapers-20.04 lxqt-themes mate-backgrounds
  plasma-workspace-wallpapers)

SUDO=""
if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
# vips makes the camera-sized photos; the timing script also needs djpeg and /usr/bin/time.
tools=()
command -v vips > /dev/null || tools+=(libvips-tools)
command -v djpeg > /dev/null || tools+=(libjpeg-turbo-progs)
[[ -x /usr/bin/time ]] || tools+=(time)
command -v python3 > /dev/null || tools+=(python3)
if ((${#tools[@]})); then
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
    "${tools[@]}" > /dev/null
fi

mkdir -p "$cache/debs" "$cache/tree" "$corpus/photos" "$corpus/progressive"
(
  cd "$cache/debs"
  for p in "${packages[@]}"; do
    ls "${p}"_*.deb > /dev/null 2>&1 || apt-get download "$p"
  done
)
for deb in "$cache"/debs/*.deb; do dpkg -x "$deb" "$cache/tree"; done

# Real photographs: every JPEG of the packages of at least 300 KB, one copy each. Photo
# names hold exactly one "." (the program lists only name.jpg).
n=0
declare -A seen=()
while IFS= read -r -d '' f; do
  sum=$(md5sum < "$f" | cut -c1-12)
  [[ -n ${seen[$sum]:-} ]] && continue
  seen[$sum]=1
  n=$((n + 1))
  base=$(basename "$f")
  base=${base%.*}
  base=${base//[^A-Za-z0-9_-]/_}
  cp "$f" "$corpus/photos/$(printf 'r%03d' "$n")_${base:0:40}.jpg"
done < <(find "$cache/tree" -type f \( -iname '*.jpg' -o -iname '*.jpeg' \) -size +300k -print0 |
  sort -z)
echo "real photographs: $n"

# Camera-sized photos made from the largest real ones, with 4:2:0 chroma like a camera's
# (vips would keep full chroma at quality 92).
mapfile -t sources < <(ls -S "$corpus"/photos/r*.jpg | head -n 12)
camera() {  # source width height name [interlace]
  local opts="Q=92,strip,subsample-mode=on"
  [[ ${5:-} == progressive ]] && opts="$opts,interlace"
  vips thumbnail "$1" "$corpus/photos/$4.jpg[$opts]" "$2" --height "$3" --size both \
    --crop centre
}
n_src=${#sources[@]}
src() { echo "${sources[$(($1 % n_src))]}"; }
for i in $(seq 1 10); do camera "$(src "$i")" 4000 3000 "$(printf 'c4k_%02d' "$i")"; done
for i in $(seq 1 6); do camera "$(src $((i + 3)))" 6000 4000 "$(printf 'c6k_%02d' "$i")"; done
camera "$(src 8)" 3000 4000 c4k_portrait_1
camera "$(src 9)" 3000 4000 c4k_portrait_2
camera "$(src 10)" 4000 6000 c6k_portrait_1
camera "$(src 11)" 4000 3000 p4k_1 progressive
camera "$(src 2)" 4000 3000 p4k_2 progressive
camera "$(src 6)" 6000 4000 p6k_1 progressive

# One photo stored sideways with EXIF orientation 6 (a phone held upright): its pixels
# are 6000 x 4000 and the tag says to turn them clockwise.
camera "$(src 1)" 6000 4000 o6_tmp
python3 - "$corpus/photos/o6_tmp.jpg" "$corpus/photos/c6k_orient6.jpg" << 'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
tiff = b"II*\x00" + struct.pack("<IH", 8, 1) + struct.pack("<HHIHH", 0x0112, 3, 1, 6, 0) \
    + struct.pack("<I", 0)
body = b"Exif\x00\x00" + tiff
open(sys.argv[2], "wb").write(data[:2] + b"\xff\xe1" + struct.pack(">H", len(body) + 2)
                              + body + data[2:])
PY
rm "$corpus/photos/o6_tmp.jpg"

# The progressive photos (real or made) also go into their own folder.
rm -f "$corpus"/progressive/*.jpg
for f in "$corpus"/photos/*.jpg; do
  if python3 - "$f" << 'PY'; then ln -f "$f" "$corpus/progressive/"; fi
import sys
b = open(sys.argv[1], "rb").read(1 << 20)
i = 2
while i + 4 <= len(b) and b[i] == 0xFF:
    m = b[i + 1]
    if 0xC0 <= m <= 0xCF and m not in (0xC4, 0xC8, 0xCC):
        sys.exit(0 if m in (0xC2, 0xC6, 0xCA, 0xCE) else 1)
    i += 2 + (b[i + 2] << 8 | b[i + 3])
sys.exit(1)
PY
done

echo "corpus: $(ls "$corpus/photos" | wc -l) photos, $(du -sh "$corpus/photos" | cut -f1)" \
  "($(ls "$corpus/progressive" | wc -l) progressive)"

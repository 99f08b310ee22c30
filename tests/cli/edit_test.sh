#!/usr/bin/env bash
# fotela-cli edit: effects on one picture (BMP in and out, exact pixels), JPEG output,
# refusals, usage errors, and --all over a folder's photo list.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
# 24-bit BMP files: written and read by a few lines of Python (bottom-up rows, BGR).
cat > "$work/bmp.py" <<'PY'
import struct, sys
def write(path, w, h, fill, pixels=()):
    px = {(x, y): c for x, y, c in pixels}
    pad = (4 - w * 3 % 4) % 4
    rows = b''
    for y in range(h - 1, -1, -1):
        for x in range(w):
            c = int(px.get((x, y), fill), 16)
            rows += bytes([c & 255, (c >> 8) & 255, c >> 16])
        rows += b'\0' * pad
    head = b'BM' + struct.pack('<IHHI', 54 + len(rows), 0, 0, 54)
    head += struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    open(path, 'wb').write(head + rows)
def read(path):
    b = open(path, 'rb').read()
    off, w, h, bits = struct.unpack_from('<I', b, 10)[0], *struct.unpack_from('<iiHH', b, 18)[:2], struct.unpack_from('<H', b, 28)[0]
    assert bits == 24, bits
    stride = (w * 3 + 3) // 4 * 4
    def pixel(x, y):
        row = y if h < 0 else h - 1 - y
        p = off + row * stride + x * 3
        return b[p + 2] << 16 | b[p + 1] << 8 | b[p]  # RRGGBB as text order
    return abs(w), abs(h), pixel
cmd = sys.argv[1]
if cmd == 'write':  # path w h fill [x,y,RRGGBB ...]
    extra = [(int(a), int(b), c) for a, b, c in (s.split(',') for s in sys.argv[6:])]
    write(sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5], extra)
elif cmd == 'size':
    w, h, _ = read(sys.argv[2]); print(f'{w}x{h}')
elif cmd == 'pixels':  # path x,y ...
    w, h, pixel = read(sys.argv[2])
    print(' '.join('%06X' % pixel(*map(int, s.split(','))) for s in sys.argv[3:]))
PY
bmp() { python3 "$work/bmp.py" "$@"; }

# ---------------------------------------------------------------- one picture, exact pixels
bmp write "$work/in.bmp" 5 3 808080 0,0,FF0000 4,2,0000FF
run edit "$work/in.bmp" "$work/turned.bmp" --rotate 90
check "rotate exits 0" 0 "$rc"
check "rotate 90: W x H becomes H x W" "3x5" "$(bmp size "$work/turned.bmp")"
check "rotate 90: top-left to top-right, bottom-right to bottom-left" "FF0000 0000FF" \
  "$(bmp pixels "$work/turned.bmp" 2,0 0,4)"
run edit "$work/in.bmp" "$work/back.bmp" --rotate 90 --rotate 90 --rotate 180
check "operations in the order given: a full turn" "$(bmp pixels "$work/in.bmp" 0,0 4,2 2,1)" \
  "$(bmp pixels "$work/back.bmp" 0,0 4,2 2,1)"

bmp write "$work/grey.bmp" 100 80 808080
run edit "$work/grey.bmp" "$work/frame.bmp" --frame 10:AA6600
check "raised frame: light, dark, dark, inside" "C4944C 774700 774700 808080" \
  "$(bmp pixels "$work/frame.bmp" 0,0 99,40 9,40 10,40)"
run edit "$work/grey.bmp" "$work/blur.bmp" --blur-frame 10:FFFFFF
check "blurred frame: white edge, a tenth of white, untouched inside" "FFFFFF 8C8C8C 808080" \
  "$(bmp pixels "$work/blur.bmp" 0,40 9,40 10,40)"
run edit "$work/grey.bmp" "$work/abc.bmp" --frame abc:FF0000 --scale 100
check "width abc is 0 and scale 100 stops: nothing changes" "0 808080 100x80" \
  "$rc $(bmp pixels "$work/abc.bmp" 0,0) $(bmp size "$work/abc.bmp")"
run edit "$work/grey.bmp" "$work/half.bmp" --scale 50
check "scale 50" "50x40" "$(bmp size "$work/half.bmp")"

bmp write "$work/wide.bmp" 200 100 808080
run edit "$work/wide.bmp" "$work/ellipse.bmp" --ellipse-blur 20:0000FF
check "colour blur: corner and edge middle take the colour, centre kept" "0000FF 0000FF 808080" \
  "$(bmp pixels "$work/ellipse.bmp" 0,0 100,0 100,50)"
run edit "$work/wide.bmp" "$work/too-wide.bmp" --ellipse-blur 51:FFFFFF
check "ellipse width above half the picture: exit 1" 1 "$rc"
check "the width message" "[エラー] 幅は写真の大きさの半分以内の長さを指定してください" "$err"
[[ ! -e "$work/too-wide.bmp" ]] && pass "nothing written" || failed "nothing written"
run edit "$work/wide.bmp" "$work/focus.bmp" --focus-blur 51
check "focus blur width check too" 1 "$rc"

bmp write "$work/over.bmp" 3 2 000000 1,0,010000 2,1,FFFFFF
run edit "$work/wide.bmp" "$work/comp.bmp" --composite "$work/over.bmp:000000"
check "composite: exact black of a BMP is transparent, 010000 is not" "808080 010000 FFFFFF 808080" \
  "$(bmp pixels "$work/comp.bmp" 0,0 1,0 2,1 3,1)"
run edit "$work/wide.bmp" "$work/comp2.bmp" --composite "$work/none.bmp:000000"
check "composite file missing: exit 1 naming it" "1 yes" \
  "$rc $([[ "$err" == *none.bmp* ]] && echo yes)"
[[ ! -e "$work/comp2.bmp" ]] && pass "nothing written for a missing overlay" || failed "overlay"
# A PNG overlay: exact black is transparent, and so are the pixels of alpha 0 (green
# underneath); cut short, it is refused by name and nothing is written.
cp "$FOTELA_SOURCE_DIR/tests/data/pictures/rgba.png" "$work/over.png"
run edit "$work/wide.bmp" "$work/comp3.bmp" --composite "$work/over.png:000000"
check "composite: a PNG's alpha and exact colours" "0 808080 FFFFFF 0000FF 808080 FF0000 808080" \
  "$rc $(bmp pixels "$work/comp3.bmp" 0,0 1,0 3,0 0,1 1,1 3,1)"
head -c 60 "$work/over.png" > "$work/cut.png"
run edit "$work/wide.bmp" "$work/comp4.bmp" --composite "$work/cut.png:000000"
check "composite with a PNG cut short: exit 1 naming it" "1 yes no" \
  "$rc $([[ "$err" == *cut.png*切れています* ]] && echo yes) $([[ -e "$work/comp4.bmp" ]] && echo yes || echo no)"

# ---------------------------------------------------------------- JPEG output and bad files
jpeg "$work/photo.jpg" 64 48
run edit "$work/photo.jpg" "$work/small.JPEG" --scale 50
check "JPEG in, JPEG out by the extension" "0 P6 32 24" \
  "$rc $(djpeg -pnm "$work/small.JPEG" | head -c 20 | tr '\n' ' ' | cut -d' ' -f1-3)"
run edit "$work/missing.jpg" "$work/x.jpg" --scale 50
check "missing input: exit 1 naming it" "1 yes" "$rc $([[ "$err" == *missing.jpg* ]] && echo yes)"
printf 'hello' > "$work/text.jpg"
run edit "$work/text.jpg" "$work/x.jpg" --scale 50
check "not an image: exit 1 naming it" "1 yes" "$rc $([[ "$err" == *text.jpg* ]] && echo yes)"
run edit "$work/photo.jpg" "$work/no/such/dir/x.jpg" --scale 50
check "unwritable output: exit 1 naming it" "1 yes" "$rc $([[ "$err" == *no/such/dir/x.jpg* ]] && echo yes)"
[[ ! -e "$work/x.jpg" ]] && pass "no output for bad input" || failed "no output for bad input"

# ---------------------------------------------------------------- usage errors
for args in "--spin 3" "--scale" "--frame 10" "--composite over.bmp" "--rotate 45"; do
  # shellcheck disable=SC2086
  run edit "$work/photo.jpg" "$work/u.jpg" $args
  check "usage error: $args" 2 "$rc"
done
run edit "$work/photo.jpg" "$work/u.png" --scale 50
check "usage error: output extension" 2 "$rc"
[[ ! -e "$work/u.jpg" && ! -e "$work/u.png" ]] && pass "nothing written on usage errors" ||
  failed "nothing written on usage errors"

# ---------------------------------------------------------------- --all
album=$work/アルバム
mkdir "$album"
jpeg "$album/a.jpg" 80 60
jpeg "$album/b.JPG" 60 80
jpeg "$album/c.jpg" 40 40
cp "$album/c.jpg" "$work/c-before.jpg"
run edit --all "$album" --blur-frame 5:FF0000
check "--all exits 0" 0 "$rc"
check "--all reports the count" "3枚の写真を保存しました" "$out"
for f in a.jpg b.JPG c.jpg; do
  [[ "$(head -c 2 "$album/$f" | od -An -tx1 | tr -d ' ')" == ffd8 ]] && pass "$f is a JPEG" ||
    failed "$f is a JPEG"
done
cmp -s "$album/c.jpg" "$work/c-before.jpg" && failed "c.jpg rewritten" || pass "c.jpg rewritten"
check "--all keeps the names" "a.jpg b.JPG c.jpg" "$(ls "$album" | tr '\n' ' ' | sed 's/ $//')"
check "b.JPG keeps its size" "P6 60 80" \
  "$(djpeg -pnm "$album/b.JPG" | head -c 20 | tr '\n' ' ' | cut -d' ' -f1-3)"

printf 'broken' > "$album/d.jpg"
run edit --all "$album" --frame 2:000000
check "--all with a broken photo: exit 1" 1 "$rc"
[[ "$err" == *d.jpg* ]] && pass "the broken photo is named" || failed "the broken photo is named"
check "the others are saved" "3枚の写真を保存しました" "$out"
check "the broken photo is left alone" "broken" "$(cat "$album/d.jpg")"

sums=$(md5sum "$album"/*)
run edit --all "$album" --ellipse-blur 50:FFFFFF
check "--all refuses an ellipse too wide for the first photo" 1 "$rc"
check "before writing anything" "$sums" "$(md5sum "$album"/*)"
run edit --all "$work/nowhere" --scale 50
check "--all on a missing folder: exit 1" 1 "$rc"
mkdir "$work/empty"
run edit --all "$work/empty" --scale 50
check "--all on a folder without photos: exit 0" 0 "$rc"
run edit --all "$album"
check "--all without an operation is a usage error" 2 "$rc"

finish

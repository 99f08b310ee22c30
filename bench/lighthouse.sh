#!/usr/bin/env bash
# Lighthouse in its mobile profile on a 100-photo album of the modern style, served by
# `fotela-cli serve`: the accessibility, best-practices and performance scores, the timing
# metrics and every audit that did not pass. Reports only; asserts nothing.
#
# usage: FOTELA_CLI=build/bin/fotela-cli [RUNS=3] bench/lighthouse.sh [PHOTOS]
#   PHOTOS: a folder of JPEGs to copy into the album (default: 100 made on the spot)
# Lighthouse (pinned in bench/lighthouse/package-lock.json) is installed with npm ci on
# first use; it drives the installed Chromium.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cli=${FOTELA_CLI:-$here/../build/bin/fotela-cli}
runs=${RUNS:-1}
lighthouse=$here/lighthouse/node_modules/.bin/lighthouse
[[ -x $lighthouse ]] || (cd "$here/lighthouse" && npm ci --no-audit --no-fund --loglevel=error)

work=$(mktemp -d)
server=
trap '[[ -n $server ]] && kill -INT "$server" 2> /dev/null; wait; rm -rf "$work"' EXIT
album=$work/album
mkdir "$album"
if [[ $# -gt 0 ]]; then
  find "$1" -maxdepth 1 -iname '*.jpg' | sort | head -100 | xargs -I{} cp {} "$album/"
else
  for i in $(seq -w 1 100); do
    hue=$((10#$i * 36 % 360))
    convert -size 1600x1200 "gradient:hsl($hue,70%,60%)-hsl($(((hue + 120) % 360)),60%,30%)" \
      -quality 90 "$album/IMG_0$i.jpg"
    printf 'IMG_0%s,旅の写真 %s 枚目\r\n' "$i" "$((10#$i))"
  done | iconv -f UTF-8 -t CP932 > "$album/titlen.txt"
fi
"$cli" album "$album" --style modern --yes > /dev/null 2> "$work/build.log" ||
  { cat "$work/build.log"; exit 1; }

"$cli" serve "$album" > "$work/url" 2> /dev/null &
server=$!
for _ in $(seq 50); do [[ -s $work/url ]] && break; sleep 0.1; done
url=$(head -1 "$work/url")
echo "album: $(ls "$album"/*.jpg | wc -l) photos, page $(wc -c < "$album/album.html") bytes," \
  "stylesheet $(wc -c < "$album/album_style.css"), script $(wc -c < "$album/album_script.js")"

for run in $(seq "$runs"); do
  CHROME_PATH=${CHROME_PATH:-/usr/bin/chromium} "$lighthouse" "$url" --quiet \
    --only-categories=accessibility,best-practices,performance \
    --chrome-flags="--headless --no-sandbox --disable-gpu --disable-background-networking \
--disable-component-update --disable-sync --no-first-run --disable-dev-shm-usage" \
    --output=json --output-path="$work/report.json"
  python3 - "$work/report.json" "$run" << 'EOF'
import json, sys
report = json.load(open(sys.argv[1]))
scores = {c["title"]: round(c["score"] * 100) for c in report["categories"].values()}
print(f"run {sys.argv[2]}: " + ", ".join(f"{k} {v}" for k, v in scores.items()))
audits = report["audits"]
metrics = ["first-contentful-paint", "largest-contentful-paint", "total-blocking-time",
           "cumulative-layout-shift", "speed-index"]
print("  " + ", ".join(f"{audits[m]['title']} {audits[m]['displayValue']}" for m in metrics))
for category in report["categories"].values():
    for ref in category["auditRefs"]:
        audit = audits[ref["id"]]
        if audit["score"] is not None and audit["score"] < 1 and ref.get("weight", 0) > 0:
            print(f"  {category['title']}: {audit['id']} ({audit['score']}) {audit['title']}")
EOF
done

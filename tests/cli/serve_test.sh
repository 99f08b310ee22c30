#!/usr/bin/env bash
# fotela-cli serve DIR: the album over HTTP on 127.0.0.1, read-only, until interrupted.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
server=
on_exit() {
  if [[ -n "$server" ]] && kill -0 "$server" 2> /dev/null; then kill "$server"; wait "$server" || true; fi
}
# status code and body length of one request (python3's standard library only)
fetch() {  # method url
  python3 - "$1" "$2" <<'PY'
import sys, urllib.request, urllib.error
req = urllib.request.Request(sys.argv[2], method=sys.argv[1], data=b"x" if sys.argv[1] in ("PUT", "POST") else None)
try:
    with urllib.request.urlopen(req, timeout=10) as r:
        print(r.status, len(r.read()))
except urllib.error.HTTPError as e:
    print(e.code, 0)
PY
}

album=$work/album
mkdir -p "$album/big" "$work/outside"
printf '<HTML>\r\n' > "$album/album.html"
python3 -c "import sys; sys.stdout.buffer.write(bytes(i * 7 % 256 for i in range(1000)))" \
  > "$album/big/a b#1.jpg"
echo secret > "$album/.hidden"
echo secret > "$album/big/.a.jpg.tmp42"
echo secret > "$work/outside/secret.txt"

"$cli" serve "$album" > "$work/url" 2> "$work/err" &
server=$!
for _ in $(seq 1 100); do [[ -s "$work/url" ]] && break; sleep 0.1; done
url=$(cat "$work/url")
base=${url%album.html}
[[ "$url" =~ ^http://127\.0\.0\.1:[0-9]+/album\.html$ ]] && pass "prints the album's URL on 127.0.0.1" ||
  { failed "prints the album's URL: '$url'"; cat "$work/err"; }
port=${base#http://127.0.0.1:}; port=${port%/}
check "listens on 127.0.0.1 only" "127.0.0.1:$port" \
  "$(python3 -c "
import socket,sys
s=socket.socket(); 
try:
    s.connect(('127.0.0.2', $port)); print('127.0.0.2:$port')
except OSError:
    print('127.0.0.1:$port')")"

check "serves the album page" "200 8" "$(fetch GET "$url")"
check "serves a copy with an escaped name" "200 1000" "$(fetch GET "${base}big/a%20b%231.jpg")"
check "the folder itself shows the album" "200 8" "$(fetch GET "$base")"
check "nothing outside the folder" "404 0" "$(fetch GET "${base}..%2Foutside%2Fsecret.txt")"
check "no hidden file" "404 0" "$(fetch GET "${base}.hidden")"
check "no temporary file of a writer" "404 0" "$(fetch GET "${base}big/.a.jpg.tmp42")"
check "bytes 100-199 of a file" "206 100 bytes 100-199/1000 ok" "$(python3 - "${base}big/a%20b%231.jpg" "$album/big/a b#1.jpg" <<'PY'
import sys, urllib.request
req = urllib.request.Request(sys.argv[1], headers={"Range": "bytes=100-199"})
with urllib.request.urlopen(req, timeout=10) as r:
    data = r.read()
    same = data == open(sys.argv[2], "rb").read()[100:200]
    print(r.status, len(data), r.headers["Content-Range"], "ok" if same else "differs")
PY
)"
# A page of another site whose name resolves to 127.0.0.1 sends its own Host.
check "another site's Host is refused" "403 200" "$(python3 - "$port" <<'PY'
import http.client, sys
codes = []
for host in ("evil.example", "localhost:" + sys.argv[1]):
    c = http.client.HTTPConnection("127.0.0.1", int(sys.argv[1]), timeout=10)
    c.request("GET", "/album.html", headers={"Host": host})
    codes.append(str(c.getresponse().status))
    c.close()
print(" ".join(codes))
PY
)"

# Chromium plays a clip from the album folder and seeks in it (seeking asks for ranges).
chromium=${CHROMIUM:-/usr/bin/chromium}
chromedriver=${CHROMEDRIVER:-/usr/bin/chromedriver}
if [[ -x "$chromium" && -x "$chromedriver" ]] && command -v ffmpeg > /dev/null; then
  ffmpeg -hide_banner -loglevel error -f lavfi -i testsrc=size=64x48:rate=10 -t 3 \
    -c:v libx264 -pix_fmt yuv420p -movflags +faststart "$album/clip.mov"
  printf '<!DOCTYPE html><video src="clip.mov" muted></video>\r\n' > "$album/play.html"
  check "Chromium plays and seeks a clip" "playing seeked" "$(timeout 120 python3 - "${base}play.html" \
    "$chromium" "$chromedriver" "$work" <<'PY'
import json, socket, subprocess, sys, time, urllib.request
page, chromium, chromedriver, work = sys.argv[1:]
s = socket.socket(); s.bind(("127.0.0.1", 0)); port = s.getsockname()[1]; s.close()
driver = subprocess.Popen([chromedriver, f"--port={port}"], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
session = None
def call(method, path, body=None):
    url = f"http://127.0.0.1:{port}" + (path if session is None else f"/session/{session}{path}")
    req = urllib.request.Request(url, method=method, headers={"Content-Type": "application/json"},
                                 data=None if body is None else json.dumps(body).encode())
    with urllib.request.urlopen(req, timeout=60) as r:
        return json.loads(r.read() or b"{}").get("value")
def script(source):
    return call("POST", "/execute/sync", {"script": source, "args": []})
def until(source, seconds=20):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if script(source): return True
        time.sleep(0.1)
    return False
try:
    for _ in range(100):
        try: call("GET", "/status"); break
        except OSError: time.sleep(0.1)
    args = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
            "--disable-component-update", "--disable-sync", "--no-first-run",
            f"--user-data-dir={work}/chromium"]
    session = call("POST", "/session", {"capabilities": {"alwaysMatch": {
        "browserName": "chrome", "goog:chromeOptions": {"binary": chromium, "args": args}}}})["sessionId"]
    call("POST", "/url", {"url": page})
    script("document.querySelector('video').play()")
    out = ["playing" if until("return document.querySelector('video').currentTime > 0.5") else
           "not playing: " + str(script("const v = document.querySelector('video');"
                                        "return [v.readyState, v.error && v.error.message]"))]
    script("const v = document.querySelector('video'); v.pause(); v.currentTime = 2.5;")
    out.append("seeked" if until("const v = document.querySelector('video');"
                                 "return !v.seeking && v.currentTime >= 2.4") else "not seeked")
    print(" ".join(out))
finally:
    if session:
        try: call("DELETE", "")
        except OSError: pass
    driver.terminate()
    driver.wait()
PY
)"
else
  echo "skip Chromium plays a clip (needs chromium, chromedriver and ffmpeg)"
fi
check "no writes" "404 0" "$(fetch PUT "${base}new.html")"
[[ ! -e "$album/new.html" ]] && pass "no file made" || failed "a file was made"

kill -INT "$server"
set +e
wait "$server"; rc=$?
set -e
server=
check "Ctrl+C ends it cleanly" 0 "$rc"

set +e
"$cli" serve "$album" --port abc > /dev/null 2>&1; r1=$?
"$cli" serve > /dev/null 2>&1; r2=$?
"$cli" serve "$work/none" > /dev/null 2>&1; r3=$?
set -e
check "bad command lines exit 2, a missing folder 1" "2 2 1" "$r1 $r2 $r3"

finish

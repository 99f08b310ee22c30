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
printf 'x%.0s' {1..1000} > "$album/big/a b#1.jpg"
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

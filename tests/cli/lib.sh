# Shared by the command-line tests (sourced): a temporary folder removed on exit, checks
# that count failures, small JPEGs, CP932 text and settings files.
set -euo pipefail
cli=${FOTELA_CLI:?}
work=$(mktemp -d)
on_exit() { :; }  # a test may redefine it (to stop a server, say)
trap 'on_exit; rm -rf "$work"' EXIT
failures=0

pass() { echo "ok   $1"; }
failed() { echo "FAIL $1"; failures=$((failures + 1)); }
check() {  # name expected actual
  if [[ "$2" == "$3" ]]; then pass "$1"; else
    failed "$1"; diff <(printf '%s\n' "$2") <(printf '%s\n' "$3") || true; fi
}
check_file() {  # name expected-file actual-file, byte for byte
  if cmp -s "$2" "$3"; then pass "$1"; else
    failed "$1"; diff <(od -c "$2") <(od -c "$3") | head -20 || true; fi
}
run() {  # runs fotela-cli; sets rc, out and err
  set +e
  out=$("$cli" "$@" 2> "$work/err"); rc=$?
  set -e
  err=$(cat "$work/err")
}
finish() {
  echo "$failures failed"
  [[ $failures -eq 0 ]]
}

jpeg() {  # file width height [fill byte, octal]
  { printf 'P6 %d %d 255\n' "$2" "$3"; head -c $(($2 * $3 * 3)) /dev/zero | tr '\0' "\\${4:-200}"; } |
    cjpeg -quality 90 > "$1"
}
crlf() { printf '%s\r\n' "$@"; }
utf8() { iconv -f CP932 -t UTF-8 "$1" | tr -d '\r'; }
# A "Ver=4" settings file: default values, the title taken from the folder, interval 3000
# (so the program's own settings file plays no part).
settings_file() {  # file [thumbnail-folder image-folder list-page-width]
  crlf "Ver=4" "/nowhere" "album.html" " 1 " "unused" "${2:-small}" "${3:-big}" " ${4:-1024}" \
    " 200" FFFFFF 000000 0000FF 000088 0000FF "" "../index.html" "" 75 10 AA6600 10 ffffff 50 \
    ffffff 50 "" 000000 " 3000" " 0 " > "$1"
}

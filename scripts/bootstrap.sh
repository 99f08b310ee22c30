#!/usr/bin/env bash
# Installs every Debian package fotela needs to build, test and run.
# Idempotent: packages already present are left alone.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config git
  qt6-base-dev libgl-dev qt6-translations-l10n
  libturbojpeg0-dev libjpeg-turbo-progs libgdk-pixbuf-2.0-dev libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libmicrohttpd-dev
  fonts-noto-cjk xvfb xauth
  at-spi2-core python3-pyatspi gir1.2-atspi-2.0 python3-gi xdotool imagemagick
  python3 chromium chromium-driver
  dpkg-dev file desktop-file-utils appstream lintian help2man
  clang-16 libclang-rt-16-dev
  ffmpeg
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

# npm for the browser tests' axe-core; Debian's own unless a Node.js with npm is there already.
if ! command -v npm > /dev/null; then
  missing+=(nodejs npm)
fi

if ((${#missing[@]})); then
  SUDO=""
  if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# axe-core for the browser tests, at the version of tests/browser/package-lock.json.
(cd "$(dirname "$0")/../tests/browser" && npm ci --no-audit --no-fund --loglevel=error)

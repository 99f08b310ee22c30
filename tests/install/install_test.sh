#!/usr/bin/env bash
# Installing and packaging: `cmake --install` into a temporary prefix (the installed
# programs, the desktop entry and the software-centre description checked by their
# validators), then `cpack -G DEB`, checked by lintian, the package unpacked, its man pages
# and --help/--version read and its fotela-cli run on two photos. Skipped (77) only when a
# tool is missing.
for tool in desktop-file-validate appstreamcli dpkg-deb dpkg-shlibdeps file cjpeg lintian; do
  if ! command -v "$tool" > /dev/null; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done
FOTELA_CLI=unused source "$(dirname "${BASH_SOURCE[0]}")/../cli/lib.sh"
build=${FOTELA_BUILD_DIR:?}
cmake=${FOTELA_CMAKE:?}
cpack=${FOTELA_CPACK:?}
app=${FOTELA_BUILD_APP:-1}
id=io.github.fotela.Fotela
# The programs' per-user files stay in the test's folder.
export HOME=$work/home XDG_CONFIG_HOME=$work/config
mkdir -p "$HOME" "$XDG_CONFIG_HOME/fotela"

exists() {  # name file
  if [[ -f "$2" ]]; then pass "$1"; else failed "$1: no $2"; fi
}
succeeds() {  # name command...
  local name=$1 log=$work/log
  shift
  if "$@" > "$log" 2>&1; then pass "$name"; else failed "$name"; cat "$log"; fi
}

# Installed into a prefix.
prefix=$work/prefix
succeeds "cmake --install" "$cmake" --install "$build" --prefix "$prefix"
exists "fotela-cli in bin" "$prefix/bin/fotela-cli"
exists "help page in share/fotela" "$prefix/share/fotela/help.htm"
set +e
out=$("$prefix/bin/fotela-cli" --help 2>&1); rc=$?
set -e
check "installed fotela-cli --help exits 0" 0 "$rc"
grep -q "^usage: fotela-cli COMMAND" <<< "$out" && pass "--help prints the usage" ||
  failed "--help prints the usage: $out"

desktop=$prefix/share/applications/$id.desktop
metainfo=$prefix/share/metainfo/$id.metainfo.xml
if [[ $app == 1 ]]; then
  exists "fotela in bin" "$prefix/bin/fotela"
  exists "desktop entry" "$desktop"
  exists "icon" "$prefix/share/icons/hicolor/scalable/apps/$id.svg"
  exists "metainfo" "$metainfo"
  succeeds "desktop-file-validate" desktop-file-validate "$desktop"
  succeeds "appstreamcli validate" appstreamcli validate --no-net "$metainfo"
  check "the entry starts fotela and names the icon by the application id" \
    "Exec=fotela %f Icon=$id" "$(grep -E '^(Exec|Icon)=' "$desktop" | tr '\n' ' ' | sed 's/ $//')"
  check "the metainfo names the entry" \
    "<launchable type=\"desktop-id\">$id.desktop</launchable>" \
    "$(grep -o '<launchable.*</launchable>' "$metainfo")"
fi

# The package: built, unpacked, and its fotela-cli builds an album. An installed program
# reads the settings file of the user's configuration folder even where it could write
# its own folder (as root): the thumbnail folder named there proves it.
succeeds "cpack -G DEB" "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/package"
deb=$(find "$work/package" -maxdepth 1 -name 'fotela_*.deb' | head -1)
if [[ -z $deb ]]; then
  failed "no fotela_*.deb in $work/package"
  finish
  exit 1
fi
echo "$(basename "$deb"): Depends: $(dpkg-deb -f "$deb" Depends)"
depends=$(dpkg-deb -f "$deb" Depends)
wanted=(libc6 libturbojpeg0 libgdk-pixbuf-2.0-0 libpng16-16)
[[ $app == 1 ]] && wanted+=(libqt6widgets6)
for p in "${wanted[@]}"; do
  grep -qE "(^|, )$p( |,|$)" <<< "$depends" && pass "depends on $p" || failed "depends on $p"
done
[[ $app == 1 ]] && wanted=(qt6-translations-l10n) || wanted=()
for p in "${wanted[@]}"; do  # not a library: named by the build
  grep -qE "(^|, )$p(,|$)" <<< "$depends" && pass "depends on $p" || failed "depends on $p"
done
check "maintainer" "fotela developers <" "$(dpkg-deb -f "$deb" Maintainer | cut -c1-19)"
# Both languages in the one description.
# (Read whole first: grep -q stops reading at its match, and a writer cut short by that fails.)
description=$(dpkg-deb -f "$deb" Description)
grep -q "HTMLアルバムを作成します" <<< "$description" && pass "Japanese description" ||
  failed "Japanese description"
if lintian --fail-on error,warning "$deb" > "$work/lintian" 2>&1; then pass "lintian"; else
  failed "lintian"; cat "$work/lintian"; fi

root=$work/root
succeeds "dpkg-deb -x" dpkg-deb -x "$deb" "$root"
exists "packaged help page" "$root/usr/share/fotela/help.htm"
exists "copyright" "$root/usr/share/doc/fotela/copyright"
exists "changelog" "$root/usr/share/doc/fotela/changelog.gz"
version=$(dpkg-deb -f "$deb" Version)
programs=(fotela-cli)
[[ $app == 1 ]] && programs+=(fotela)
for p in "${programs[@]}"; do
  check "man page of $p" "$p \\- " \
    "$(zcat "$root/usr/share/man/man1/$p.1.gz" | sed -n '/^\.SH NAME/{n;p}' | cut -d' ' -f1-2) "
  # No display: the desktop program answers before it opens any window.
  for option in --version --help; do
    set +e
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$root/usr/bin/$p" $option); rc=$?
    set -e
    [[ $option == --version ]] && expected="$p $version\$" || expected="usage: $p "
    check "$p $option exits 0" 0 "$rc"
    grep -q "^$expected" <<< "$out" && pass "$p $option" || failed "$p $option: $out"
  done
done
out=$("$root/usr/bin/fotela-cli" album --help)
grep -q "^usage: fotela-cli album DIR" <<< "$out" && pass "fotela-cli album --help" ||
  failed "fotela-cli album --help: $out"
[[ $app == 1 ]] && exists "packaged desktop entry" "$root/usr/share/applications/$id.desktop"
photos=$work/photos
mkdir "$photos"
jpeg "$photos/a.jpg" 64 48 100
jpeg "$photos/b.jpg" 48 64 150
settings_file "$XDG_CONFIG_HOME/fotela/fotela.ini" mini
set +e
out=$("$root/usr/bin/fotela-cli" album "$photos" < /dev/null 2> "$work/err"); rc=$?
set -e
check "packaged fotela-cli album exits 0" 0 "$rc"
check "prints the album page" "$photos/album.html" "$out"
exists "album page" "$photos/album.html"
exists "thumbnail in the folder the user's settings name" "$photos/mini/a.jpg"
[[ $rc -eq 0 ]] || cat "$work/err"
finish

#!/usr/bin/env bash
# What `cmake --install` lays down: exactly the files a desktop needs; a menu entry and metadata
# that the desktop's own validators accept and that agree with each other and with the program;
# manual pages that render without a warning and carry this version; a changelog whose newest
# entry is this version; and tavrelo-sheets' manual pages that describe exactly the options its
# --help lists.
#   check-install-tree.sh BUILD_DIR SOURCE_DIR APP_ID VERSION
set -uo pipefail
build=$1 src=$2 id=$3 version=$4

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

if ! DESTDIR="$tmp/root" cmake --install "$build" --prefix /usr >"$tmp/install.log" 2>&1; then
  cat "$tmp/install.log" >&2
  echo "FAIL: cmake --install" >&2
  exit 1
fi
root=$tmp/root/usr

# --- the file list
sizes=(16 24 32 48 64 128 256)
pages=(tavrelo tavrelo-sheets)
expected=(
  bin/tavrelo
  bin/tavrelo-sheets
  "share/applications/$id.desktop"
  "share/metainfo/$id.metainfo.xml"
  "share/icons/hicolor/scalable/apps/$id.svg"
  share/doc/tavrelo/copyright
  share/doc/tavrelo/changelog.gz
)
for s in "${sizes[@]}"; do expected+=("share/icons/hicolor/${s}x${s}/apps/$id.png"); done
for p in "${pages[@]}"; do expected+=("share/man/man1/$p.1.gz" "share/man/ja/man1/$p.1.gz"); done
# The browser edition's page is installed when the build found it made (make web; the package
# build requires it).
[ -f "$root/share/tavrelo/tavrelo.html" ] && expected+=(share/tavrelo/tavrelo.html)
if ! diff <(printf '%s\n' "${expected[@]}" | sort) \
          <(cd "$root" && find . ! -type d | sed 's|^\./||' | sort) >"$tmp/files.diff"; then
  cat "$tmp/files.diff" >&2
  fail "installed files differ from the expected list (< expected, > installed)"
fi

for s in "${sizes[@]}"; do
  png="$root/share/icons/hicolor/${s}x${s}/apps/$id.png"
  [ -f "$png" ] || continue
  got=$(identify -format '%wx%h' "$png")
  [ "$got" = "${s}x${s}" ] || fail "$png is $got"
done

# --- menu entry and metadata
desktop="$root/share/applications/$id.desktop"
metainfo="$root/share/metainfo/$id.metainfo.xml"
desktop-file-validate "$desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$metainfo" >"$tmp/appstream.log" 2>&1 || {
  cat "$tmp/appstream.log" >&2
  fail "appstreamcli validate"
}
field() { sed -n "s/^$1=//p" "$desktop"; }
[ "$(field Exec)" = tavrelo ] || fail "Exec is '$(field Exec)'"
[ "$(field Icon)" = "$id" ] || fail "Icon is '$(field Icon)', not the application id"
# Qt names the window's X class after the executable; the desktop matches windows to entries by it.
[ "$(field StartupWMClass)" = "$(field Exec)" ] || fail "StartupWMClass is '$(field StartupWMClass)'"
for key in 'Name' 'Name\[ja\]' 'Comment' 'Comment\[ja\]' 'Keywords\[ja\]'; do
  grep -q "^$key=." "$desktop" || fail "desktop entry has no $key"
done
grep -qx 'Categories=Education;Math;' "$desktop" || fail "Categories"
grep -q "<id>$id</id>" "$metainfo" || fail "metainfo id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo launchable"
grep -q "<release version=\"$version\"" "$metainfo" || fail "metainfo has no release $version"
for b in "${pages[@]}"; do
  grep -q "<binary>$b</binary>" "$metainfo" || fail "metainfo does not provide $b"
done

# --- manual pages: no warning from groff at the width lintian checks, the version in the footer
for p in "${pages[@]}"; do
  for page in "$root/share/man/man1/$p.1.gz" "$root/share/man/ja/man1/$p.1.gz"; do
    [ -f "$page" ] || continue
    if ! LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$page" >"$tmp/page.txt" 2>"$tmp/page.err"; then
      fail "man cannot render $page"
    fi
    [ -s "$tmp/page.err" ] && { cat "$tmp/page.err" >&2; fail "groff warns on $page"; }
    grep -q "tavrelo $version" "$tmp/page.txt" || fail "$page does not show version $version"
    [ "$(LC_ALL=C.UTF-8 wc -L <"$tmp/page.txt")" -le 80 ] || fail "$page has lines wider than 80 columns"
  done
done
zcat "$root/share/doc/tavrelo/changelog.gz" >"$tmp/changelog"
got=$(dpkg-parsechangelog -l "$tmp/changelog" -S Version)
[ "$got" = "$version" ] || fail "the newest changelog entry is $got, the project is $version"

# --- tavrelo-sheets: its --help and its manual pages name the same options
options() { grep -oE -- '--[a-z][a-z-]*[a-z]' | sort -u; }
QT_QPA_PLATFORM=offscreen "$root/bin/tavrelo-sheets" --help 2>&1 | options >"$tmp/help.opts"
[ -s "$tmp/help.opts" ] || fail "tavrelo-sheets --help lists no options"
for page in "$root/share/man/man1/tavrelo-sheets.1.gz" "$root/share/man/ja/man1/tavrelo-sheets.1.gz"; do
  LC_ALL=C.UTF-8 MANWIDTH=200 man -l "$page" 2>/dev/null | options >"$tmp/man.opts"
  diff "$tmp/help.opts" "$tmp/man.opts" >&2 || fail "$page and --help differ in options (< help, > page)"
done

exit $status

#!/usr/bin/env bash
# The Debian package from end to end, on this machine: builds it (make package); checks its
# control fields and its file list; validates the menu entry and the metadata; runs lintian
# (no error allowed; warnings are listed); installs it with apt-get; runs the programs from PATH
# (the window on a virtual X screen with a window manager, shown and then closed as a user
# closes it; the window again under a headless Wayland compositor; tavrelo-sheets writing a
# sheet); reads the manual pages through man; removes the package and checks that none of its
# files is left. Pictures of the window go to build/package/check/.
# Needs root or sudo: it installs and removes the package. CI runs it as root on a fresh machine.
set -euo pipefail
cd "$(dirname "$0")/.."

# What only this check needs, on top of what the build needs.
bash scripts/install-deps.sh lintian weston qt6-wayland xdotool

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

version=$(sed -n 's/^project(tavrelo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
# CPack names the file after this machine's architecture, as dpkg does.
deb="build/package/tavrelo_${version}_$(dpkg --print-architecture).deb"
id=org.tavrelo.Tavrelo
out=build/package/check
caption='Tavrelo For かけ算（小数編）'

status=0
fail() { echo "FAIL: $*" >&2; status=1; }
step() { printf '\n== %s\n' "$*"; }

tmp=$(mktemp -d)
pids=()
installed=0
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; wait "${pids[i]}" 2>/dev/null || true; done
  # Never leave the package behind, whatever failed.
  if [ "$installed" = 1 ]; then $SUDO apt-get purge -y -qq tavrelo >/dev/null 2>&1 || true; fi
  rm -rf "$tmp"
}
trap cleanup EXIT

step "build"
rm -f build/package/tavrelo_*.deb
make package
[ -f "$deb" ] || { echo "FAIL: $deb was not made" >&2; exit 1; }
mkdir -p "$out"

step "control fields"
dpkg-deb -f "$deb" Package Version Architecture Section Depends Recommends
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "Version is not $version"
[ "$(dpkg-deb -f "$deb" Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is not this machine's"
[ "$(dpkg-deb -f "$deb" Section)" = education ] || fail "Section is not education"
depends=$(dpkg-deb -f "$deb" Depends)
# The libraries' packages are there only if dpkg-shlibdeps read the programs; they go by the
# names of the release the package was built on (Debian 13 has libcups2t64 for libcups2), so
# they are asked of this machine.
libraries=()
for lib in libQt6Widgets.so.6 libcups.so.2; do
  owner=$(dpkg -S "*/$lib" 2>/dev/null | head -n 1 | cut -d: -f1)
  [ -n "$owner" ] && libraries+=("$owner") || fail "no installed package has $lib"
done
for p in fonts-ipafont-gothic fonts-ipafont-mincho qt6-translations-l10n qt6-qpa-plugins "${libraries[@]}"; do
  grep -qE "(^|, )$p( |,|$)" <<<"$depends" || fail "Depends lacks $p"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
for p in cups printer-driver-cups-pdf; do
  grep -qE "(^|, )$p( |,|$)" <<<"$recommends" || fail "Recommends lacks $p"
done

step "file list"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./||' | sort >"$tmp/files"
cat "$tmp/files"
required=(
  usr/bin/tavrelo
  "usr/share/applications/$id.desktop"
  "usr/share/metainfo/$id.metainfo.xml"
  "usr/share/icons/hicolor/scalable/apps/$id.svg"
  usr/share/man/man1/tavrelo.1.gz
  usr/share/man/ja/man1/tavrelo.1.gz
  usr/bin/tavrelo-sheets
  usr/share/man/man1/tavrelo-sheets.1.gz
  usr/share/man/ja/man1/tavrelo-sheets.1.gz
  usr/share/doc/tavrelo/copyright
  usr/share/doc/tavrelo/changelog.gz
  usr/share/tavrelo/tavrelo.html
)
for s in 16 24 32 48 64 128 256; do required+=("usr/share/icons/hicolor/${s}x${s}/apps/$id.png"); done
for f in "${required[@]}"; do grep -qx "$f" "$tmp/files" || fail "the package lacks $f"; done

step "menu entry and metadata"
dpkg-deb -x "$deb" "$tmp/extracted"
desktop-file-validate "$tmp/extracted/usr/share/applications/$id.desktop" && echo "desktop-file-validate: ok" \
  || fail "desktop-file-validate"
appstreamcli validate --no-net "$tmp/extracted/usr/share/metainfo/$id.metainfo.xml" \
  || fail "appstreamcli validate"

step "lintian"
lintian --fail-on error --display-level '>=warning' "$deb" 2>&1 | tee "$tmp/lintian.txt" \
  || fail "lintian reports errors"
grep -q '^W: ' "$tmp/lintian.txt" || echo "(no warnings)"

step "install"
if dpkg-query -W -f='${Status}' tavrelo 2>/dev/null | grep -q 'install ok installed'; then
  $SUDO apt-get purge -y -qq tavrelo
fi
installed=1
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "./$deb"
dpkg-query -L tavrelo | while read -r f; do [ -d "$f" ] || echo "$f"; done >"$tmp/installed"
[ "$(command -v tavrelo)" = /usr/bin/tavrelo ] || fail "tavrelo is not on PATH as /usr/bin/tavrelo"
wmclass=$(sed -n 's/^StartupWMClass=//p' "/usr/share/applications/$id.desktop")

step "the window on X11"
. tools/window/xserver.sh
StartX
pids+=("$XSERVER_PID")
(
  unset QT_QPA_PLATFORM WAYLAND_DISPLAY
  export XDG_RUNTIME_DIR="$tmp/xdg"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  # A plain window manager that closes a window with Alt+F4, as desktops do: it asks the
  # program to close the window (WM_DELETE_WINDOW), it does not kill it.
  cat >"$tmp/twmrc" <<'EOF'
TitleFont "fixed"
ResizeFont "fixed"
MenuFont "fixed"
IconFont "fixed"
IconManagerFont "fixed"
RandomPlacement
"F4" = m : window|frame|title : f.delete
EOF
  twm -f "$tmp/twmrc" >/dev/null 2>&1 &
  twm=$!
  sleep 0.5
  tavrelo 2>"$tmp/x11.err" &
  app=$!
  for _ in $(seq 200); do
    xwininfo -name "$caption" 2>/dev/null | grep -q IsViewable && break
    kill -0 "$app" 2>/dev/null || { cat "$tmp/x11.err" >&2; echo "FAIL: tavrelo ended before its window showed" >&2; kill "$twm"; exit 1; }
    sleep 0.05
  done
  xwininfo -name "$caption" 2>/dev/null | grep -q IsViewable || { echo "FAIL: no window within 10 s" >&2; kill "$app" "$twm"; exit 1; }
  sleep 1
  win=$(xwininfo -name "$caption" | awk '/Window id/ {print $4}')
  import -window root "$out/x11.png"
  echo "window shown; picture: $out/x11.png"
  rc=0
  class=$(xprop -id "$win" WM_CLASS | sed -n 's/.*= "\(.*\)", "\(.*\)"/\2/p')
  echo "WM_CLASS class: $class, StartupWMClass: $wmclass"
  [ "$class" = "$wmclass" ] || { echo "FAIL: the window's class is not the entry's StartupWMClass" >&2; rc=1; }
  # The installed icon carries every theme size; the compiled-in one only 32 x 32.
  # Without -len, xprop reads only the start of a property this large.
  icons=$(xprop -len 100000000 -id "$win" _NET_WM_ICON | grep -o 'Icon ([0-9]* x [0-9]*)' | tr '\n' ' ')
  echo "window icons: $icons"
  missing=""
  for s in 16 24 32 48 64 128 256; do grep -q "Icon ($s x $s)" <<<"$icons" || missing+=" $s"; done
  [ -z "$missing" ] || { echo "FAIL: the window lacks the installed icon at$missing px" >&2; rc=1; }
  xdotool mousemove --window "$win" 300 200
  xdotool key alt+F4
  for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.05; done
  if kill -0 "$app" 2>/dev/null; then
    echo "FAIL: tavrelo still runs 5 s after its window was closed" >&2
    kill "$app"; rc=1
  else
    wait "$app" && echo "closed with Alt+F4; tavrelo ended with status 0" \
      || { echo "FAIL: tavrelo ended with status $?" >&2; rc=1; }
  fi
  kill "$twm" 2>/dev/null || true
  exit $rc
) || fail "the window on X11"

step "the window on Wayland (headless Weston)"
if tools/window/wayland-start.sh /usr/bin/tavrelo "$out/wayland.png" | tee "$tmp/wayland.txt"; then
  grep -qx "app_id: $id" "$tmp/wayland.txt" || fail "the Wayland app_id is not $id"
else
  fail "the window on Wayland"
fi

step "manual pages"
for page in tavrelo tavrelo-sheets; do
  MANWIDTH=80 man -P cat "$page" 2>/dev/null >"$tmp/man.txt" || fail "man $page"
  head -n 4 "$tmp/man.txt"
  # groff 1.23 (Debian 13) stretches the spaces of a NAME line that fills the width.
  grep -q "^NAME" "$tmp/man.txt" && grep -qE "$page +- " "$tmp/man.txt" || fail "man $page does not show the page"
  MANWIDTH=80 man -L ja -P cat "$page" 2>/dev/null >"$tmp/man-ja.txt" || fail "man -L ja $page"
  grep -q "^名前" "$tmp/man-ja.txt" || fail "man -L ja $page does not show the Japanese page"
done

step "tavrelo-sheets"
[ "$(command -v tavrelo-sheets)" = /usr/bin/tavrelo-sheets ] || fail "tavrelo-sheets is not on PATH"
tavrelo-sheets --version | grep -qF "$version" || fail "tavrelo-sheets --version does not say $version"
# From a terminal without any display, as over ssh.
if (cd "$tmp" && env -u DISPLAY -u WAYLAND_DISPLAY tavrelo-sheets -q --seed 11 -o sheet.pdf); then
  pdfinfo "$tmp/sheet.pdf" | grep -E '^(Title|Pages):'
  # One sheet and its answer sheet.
  pdfinfo "$tmp/sheet.pdf" | grep -qE '^Pages: +2$' || fail "the sheet PDF does not have 2 pages"
  # Its text is there as text, in the fonts the package brought: the sentence and the number.
  pdftotext -enc UTF-8 -f 1 -l 1 "$tmp/sheet.pdf" - >"$tmp/sheet.txt"
  grep -q 'つぎの計算をしましょう。' "$tmp/sheet.txt" && grep -q '問題No.1' "$tmp/sheet.txt" \
    || fail "the sheet's text lacks its sentence or its number"
  pdftoppm -r 50 -png -f 1 -l 1 "$tmp/sheet.pdf" "$out/sheet"
else
  fail "tavrelo-sheets did not write a sheet"
fi

step "the browser edition"
page=/usr/share/tavrelo/tavrelo.html
# Opened from where the package put it, offline, and printed as a teacher's browser would.
if command -v chromium >/dev/null 2>&1; then
  # The command line's print does not wait for the page's module, only for a time budget: a
  # print that came too early (no sheets yet) is made again.
  for attempt in 1 2 3; do
    rm -f "$tmp/web.pdf"
    timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-background-networking --no-first-run \
      --proxy-server=127.0.0.1:9 --user-data-dir="$tmp/chromium" --virtual-time-budget=20000 \
      --run-all-compositor-stages-before-draw --no-pdf-header-footer --print-to-pdf="$tmp/web.pdf" \
      "file://$page#seed=11&sheets=1&answers=after" >/dev/null 2>&1 || true
    [ -s "$tmp/web.pdf" ] && pdfinfo "$tmp/web.pdf" | grep -qE '^Pages: +2$' && break
  done
  [ -s "$tmp/web.pdf" ] || fail "chromium printed nothing from $page"
  pdfinfo "$tmp/web.pdf" | grep -qE '^Pages: +2$' || fail "the browser edition's print does not have 2 pages"
  pdftotext -enc UTF-8 "$tmp/web.pdf" - | grep -q 'つぎの計算をしましょう。' || fail "the browser edition's print lacks the sentence"
  echo "$page printed 2 pages in chromium"
else
  grep -q 'WebAssembly' "$page" || fail "$page holds no module"
  echo "no chromium here: $page checked as a file only"
fi

step "remove"
$SUDO apt-get purge -y -qq tavrelo
installed=0
left=0
while read -r f; do
  if [ -e "$f" ]; then echo "left behind: $f" >&2; left=1; fi
done <"$tmp/installed"
[ -e /usr/share/doc/tavrelo ] && { echo "left behind: /usr/share/doc/tavrelo" >&2; left=1; }
[ "$left" = 0 ] && echo "no file of the package is left ($(wc -l <"$tmp/installed") files removed)" \
  || fail "files left after removal"

echo
if [ "$status" = 0 ]; then echo "package check: all passed"; else echo "package check: FAILED" >&2; fi
exit "$status"

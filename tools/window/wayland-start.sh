#!/usr/bin/env bash
# The program in a Wayland session: a headless Weston of its own (CPU renderer, so that it can
# take a screenshot), the program on Qt's Wayland platform, then a picture of the whole output.
#   tools/window/wayland-start.sh [path/to/tavrelo] [out.png]
# Prints the app_id and the title the window gave the compositor, and whatever the program wrote
# on standard error. Fails when the program ends early or never shows a drawn window.
# Needs weston and qt6-wayland.
set -euo pipefail

BIN=${1:-build/dev/app/tavrelo}
OUT=${2:-tavrelo-wayland.png}
OUT=$(realpath -m "$OUT")

. "$(dirname "$0")/scratch.sh"

export XDG_RUNTIME_DIR="$tmp/xdg"
mkdir -m 700 "$XDG_RUNTIME_DIR"
socket=wayland-tavrelo
# --debug lets weston-screenshooter ask for the output's pixels.
weston --backend=headless-backend.so --use-pixman --width=1280 --height=800 --idle-time=0 \
  --socket="$socket" --debug >"$tmp/weston.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -S "$XDG_RUNTIME_DIR/$socket" ] && break; sleep 0.05; done
[ -S "$XDG_RUNTIME_DIR/$socket" ] || { cat "$tmp/weston.log" >&2; echo "weston did not start" >&2; exit 1; }

# The protocol log tells what the window asked of the compositor. It names an object
# "interface@id" up to libwayland 1.22 (Debian 12) and "interface#id" from 1.23 (Debian 13).
env -u DISPLAY WAYLAND_DISPLAY="$socket" QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=1 \
  "$BIN" 2>"$tmp/program.log" &
pid=$!
pids+=("$pid")
shown=0
for _ in $(seq 200); do
  if ! kill -0 "$pid" 2>/dev/null; then
    grep -v '^\[' "$tmp/program.log" >&2 || true
    echo "the program ended before its window showed" >&2
    exit 1
  fi
  # A buffer attached to a surface and committed after the toplevel's first configure.
  if grep -q 'xdg_toplevel[@#][0-9]*\.configure' "$tmp/program.log" &&
     grep -q 'wl_surface[@#][0-9]*\.attach(wl_buffer' "$tmp/program.log"; then
    shown=1
    break
  fi
  sleep 0.05
done
[ "$shown" = 1 ] || { echo "no drawn window within 10 s" >&2; exit 1; }
sleep 1   # the first full paint

sed -n 's/.*xdg_toplevel[@#][0-9]*\.set_app_id("\(.*\)")/app_id: \1/p; s/.*xdg_toplevel[@#][0-9]*\.set_title("\(.*\)")/title: \1/p' \
  "$tmp/program.log" | sort -u
(cd "$tmp" && WAYLAND_DISPLAY="$socket" weston-screenshooter >/dev/null 2>&1) || true
shot=$(ls "$tmp"/wayland-screenshot-*.png 2>/dev/null | head -n 1 || true)
if [ -n "$shot" ]; then
  mv "$shot" "$OUT"
  echo "screenshot: $OUT"
else
  echo "no screenshot (weston-screenshooter failed)" >&2
fi
kill -0 "$pid" 2>/dev/null || { echo "the program ended on its own" >&2; exit 1; }
echo "program's own messages:"
grep -v '^\[' "$tmp/program.log" | sed 's/^/  /' || echo "  (none)"

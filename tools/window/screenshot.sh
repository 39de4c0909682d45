#!/usr/bin/env bash
# A picture of the main window as it first opens, on a virtual X screen of its own.
#   tools/window/screenshot.sh [path/to/tavrelo] [out.png] [--wm]
# With --wm a plain window manager (twm) frames the window, to check that the outer size
# 792 x 522 includes the frame and that the window is centred with it.
# Needs Xvfb, x11-utils, imagemagick (import) and, for --wm, twm.
set -euo pipefail

BIN=${1:-build/dev/app/tavrelo}
OUT=${2:-tavrelo-window.png}
WM=${3:-}
CAPTION='Tavrelo For かけ算（小数編）'

. "$(dirname "$0")/scratch.sh"

. "$(dirname "$0")/xserver.sh"
StartX
pids+=("$XSERVER_PID")
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR="$tmp/xdg"
mkdir -m 700 "$XDG_RUNTIME_DIR"

if [ "$WM" = "--wm" ]; then
  twm >/dev/null 2>&1 &
  pids+=($!)
  sleep 0.5
fi

"$BIN" &
pids+=($!)
until xwininfo -name "$CAPTION" 2>/dev/null | grep -q IsViewable; do sleep 0.05; done
sleep 1   # the first paint
id=$(xwininfo -name "$CAPTION" | awk '/Window id/ {print $4}')
xwininfo -id "$id" | awk '/Absolute upper-left|Width|Height/'
import -window root "$OUT"
echo "screenshot: $OUT"

#!/usr/bin/env bash
# The window at a scale factor (default 2) on a virtual X screen, with a preview drawn: fills the
# digit fields and the answer range by keyboard and mouse, presses Preview and takes a picture
# of the window alone.
#   tools/window/scaled-preview.sh [path/to/tavrelo] [out.png] [scale]
# Needs Xvfb, x11-utils, xdotool and imagemagick (import).
set -euo pipefail

BIN=${1:-build/dev/app/tavrelo}
OUT=${2:-tavrelo-scaled.png}
SCALE=${3:-2}
CAPTION='Tavrelo For かけ算（小数編）'

. "$(dirname "$0")/scratch.sh"

. "$(dirname "$0")/xserver.sh"
StartX "$((1280 * SCALE))x$((1024 * SCALE))x24"
pids+=("$XSERVER_PID")
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR="$tmp/xdg"
mkdir -m 700 "$XDG_RUNTIME_DIR"

QT_SCALE_FACTOR=$SCALE "$BIN" &
pids+=($!)
until xwininfo -name "$CAPTION" 2>/dev/null | grep -q IsViewable; do sleep 0.05; done
sleep 1
id=$(xwininfo -name "$CAPTION" | awk '/Window id/ {print $4}')
xwininfo -id "$id" | awk '/Width|Height/'

# Window coordinates are in the window's own units; the pointer moves in screen pixels.
fill() {
  xdotool mousemove --window "$id" $(($1 * SCALE + 4)) $(($2 * SCALE + 4)) click 1
  xdotool key ctrl+a type "$3"
}
fill 168 176 9    # multiplicand: ones up to 9
fill 248 176 9    # multiplicand: tenths up to 9
fill 168 224 9    # multiplier: ones up to 9
fill 304 280 100  # answers up to 100
xdotool mousemove --window "$id" $((104 * SCALE)) $((388 * SCALE)) click 1   # プレビュー
sleep 1
import -window "$id" "$OUT"
echo "screenshot: $OUT"

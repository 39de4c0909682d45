#!/usr/bin/env bash
# Start-up time (launch until the main window is mapped and viewable) and resident memory
# of the program, median of several runs under a virtual X screen.
#   tools/window/measure-start.sh [path/to/tavrelo] [runs]
# Needs Xvfb and xwininfo (x11-utils). Without a DISPLAY it starts a virtual screen of its own.
set -euo pipefail

BIN=${1:-build/dev/app/tavrelo}
RUNS=${2:-9}
CAPTION='Tavrelo For かけ算（小数編）'

. "$(dirname "$0")/xserver.sh"
if [ -z "${DISPLAY:-}" ]; then
  StartX
  trap 'kill $XSERVER_PID 2>/dev/null' EXIT
fi
unset QT_QPA_PLATFORM
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
chmod 700 "$XDG_RUNTIME_DIR"

median() { sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

times=() rss=()
for i in $(seq "$RUNS"); do
  start=$(date +%s%N)
  "$BIN" 2>>"${STDERR_LOG:-/dev/null}" &
  pid=$!
  until xwininfo -name "$CAPTION" 2>/dev/null | grep -q IsViewable; do
    if ! kill -0 "$pid" 2>/dev/null; then
      if ! XAlive; then echo "the X server went away (stopped by someone else?)" >&2; fi
      echo "the program ended before its window showed" >&2; exit 1
    fi
    # Each poll starts a process: polling much faster takes the CPU from the program measured.
    sleep 0.01
  done
  shown=$(date +%s%N)
  sleep 0.5   # let the first paint and the font cache settle before reading the memory
  kb=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
  kill "$pid"; wait "$pid" 2>/dev/null || true
  ms=$(( (shown - start) / 1000000 ))
  times+=("$ms"); rss+=("$kb")
  printf 'run %2d: shown after %4d ms, VmRSS %6d kB\n' "$i" "$ms" "$kb"
done
printf 'median: %s ms to the window shown, %s MB resident\n' \
  "$(printf '%s\n' "${times[@]}" | median)" \
  "$(printf '%s\n' "${rss[@]}" | median | awk '{printf "%.1f", $1/1024}')"

# Sourced by the scripts here: a virtual X screen of our own.
# StartX [WIDTHxHEIGHTxDEPTH] sets DISPLAY and XSERVER_PID; XAlive tells whether it still answers.
# Numbers from 300 keep clear of xvfb-run's 99 and of the usual :0, which others on a shared
# machine may be starting and stopping.

StartX() {
  local n screen=${1:-1280x1024x24}
  for n in $(seq 300 399); do
    [ -e "/tmp/.X$n-lock" ] && continue
    # -noreset: otherwise the server resets whenever its last client leaves, and refuses the
    # next program that connects during the reset.
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp -noreset >/dev/null 2>&1 &
    XSERVER_PID=$!
    local tries=0
    while [ ! -S "/tmp/.X11-unix/X$n" ] && kill -0 "$XSERVER_PID" 2>/dev/null && [ $tries -lt 100 ]; do
      sleep 0.05; tries=$((tries + 1))
    done
    if [ -S "/tmp/.X11-unix/X$n" ] && kill -0 "$XSERVER_PID" 2>/dev/null; then
      export DISPLAY=":$n"
      return 0
    fi
    kill "$XSERVER_PID" 2>/dev/null || true
  done
  echo "no free X display number between 300 and 399" >&2
  return 1
}

XAlive() { xwininfo -root >/dev/null 2>&1; }

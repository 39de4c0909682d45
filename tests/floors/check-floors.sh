#!/usr/bin/env bash
# The floors depend one way: app -> output -> drawing -> core. Every include names its floor
# ("core/numtext.h"), so the direction can be read off the sources with grep.
# Usage: check-floors.sh SOURCE_ROOT   (exit 1 and one line per offending include)
set -u
root=${1:?source root}
status=0

# forbid FLOOR PATTERN WHY: no file under FLOOR may have an include line matching PATTERN.
forbid() {
  local floor=$1 pattern=$2 why=$3 hits
  [ -d "$root/$floor" ] || return 0
  hits=$(grep -rnE --include='*.h' --include='*.cpp' "^[[:space:]]*#[[:space:]]*include[[:space:]]*[<\"]($pattern)" "$root/$floor")
  if [ -n "$hits" ]; then
    printf '%s\n' "$hits" | sed "s|^$root/||; s|\$|    <- $why|"
    status=1
  fi
}

forbid core 'drawing/|output/|app/|tools/' 'core is the lowest floor'
forbid core 'Q[A-Za-z]*[>"]|Qt[A-Za-z]*/' 'core builds without Qt'
forbid drawing 'output/|app/|tools/' 'drawing sits below output and app'
forbid output 'app/|tools/' 'output sits below app'
forbid output 'QLineEdit|QAbstractButton|QPushButton' "output works on values, not on the window's widgets"
# The figure and the page draw on the abstract surface; only the QPainter adapter and the
# font setup know Qt.
for f in canvas.h worksheet.h forwarding_canvas.h recording_canvas.h hissan.cpp makeprint.cpp recording_canvas.cpp; do
  if [ -f "$root/drawing/$f" ] && grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$root/drawing/$f" >/dev/null; then
    echo "drawing/$f includes Qt    <- the page layout draws on TCanvas only"
    status=1
  fi
done
exit $status

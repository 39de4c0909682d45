#!/usr/bin/env bash
# The floors depend one way: app -> output -> run -> drawing -> core, and the other programs
# (sheets, web) stand on run, drawing and core beside them. Every include names its floor
# ("core/numtext.h"), so the direction can be read off the sources with grep.
# Usage: check-floors.sh SOURCE_ROOT   (exit 1 and one line per offending include)
set -u
root=${1:?source root}
status=0
sources=(--include='*.h' --include='*.cpp')
include='^[[:space:]]*#[[:space:]]*include[[:space:]]*'

report() {  # report WHY < grep lines
  sed "s|^$root/||; s|\$|    <- $1|"
  status=1
}

# floor FOLDER MAY_INCLUDE...: of the project's folders, a file under FOLDER includes only these.
# A folder not listed (tests/, tools/ for a program floor) is refused like a higher floor; a path
# that climbs with ".." hides its floor and is refused everywhere.
floor() {
  local folder=$1 hit path top
  shift
  [ -d "$root/$folder" ] || return 0
  while IFS= read -r hit; do
    path=$(sed -E 's/^[^"]*"([^"]*)".*/\1/' <<<"$hit")
    top=${path%%/*}
    if [[ $path == *..* ]]; then
      report 'an include names its floor from the root, without ..' <<<"$hit"
    elif [[ " $* " != *" $top "* ]]; then
      report "$folder may include only $*" <<<"$hit"
    fi
  done < <(grep -rnE "${sources[@]}" "$include\"[^\"]*/" "$root/$folder")
}

# forbid FOLDER PATTERN WHY [GREP OPTION...]: no file under FOLDER may have an include line
# matching PATTERN.
forbid() {
  local folder=$1 pattern=$2 why=$3 hits
  shift 3
  [ -d "$root/$folder" ] || return 0
  hits=$(grep -rnE "${sources[@]}" "$@" "$include[<\"]($pattern)" "$root/$folder")
  if [ -n "$hits" ]; then report "$why" <<<"$hits"; fi
}

floor core    core
floor drawing core drawing
floor run     core drawing run
floor output  core drawing run output
floor app     core drawing run output app
floor sheets  core drawing run sheets
floor web     core drawing run web
floor tools   core drawing run output app sheets tools

qt='Q[A-Za-z]*[>"]|Qt[A-Za-z]*/'
forbid core "$qt|fontconfig/" 'core builds without Qt'
# The figure and the page draw on the abstract surface; only the QPainter adapter and the
# font setup know Qt and fontconfig.
forbid drawing "$qt|fontconfig/" 'the page layout draws on TCanvas only' \
  --exclude='qt_canvas.h' --exclude='qt_canvas.cpp' --exclude='fonts.h' --exclude='fonts.cpp'
forbid run "$qt|fontconfig/" 'a run is read and laid out without Qt, for the browser edition too'
forbid web "$qt|fontconfig/" 'the browser edition stands on the Qt-free libraries'
for folder in core drawing run sheets web; do
  forbid "$folder" 'cups/' 'only output talks to the print scheduler'
done
forbid output 'QLineEdit|QAbstractButton|QPushButton' "output works on values, not on the window's widgets"
exit $status

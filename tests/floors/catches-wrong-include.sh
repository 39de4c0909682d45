#!/usr/bin/env bash
# Each wrong include, alone in a tree of its own, must make the floor check fail; a right one must pass.
set -u
check=${1:?check script}
tmp=$(mktemp -d); trap 'rm -rf "$tmp"' EXIT
try() {  # try EXPECTED FILE LINE
  rm -rf "$tmp/tree"; mkdir -p "$tmp/tree/$(dirname "$2")"
  printf '%s\n' "$3" > "$tmp/tree/$2"
  bash "$check" "$tmp/tree" >/dev/null; local got=$?
  if [ "$got" -ne "$1" ]; then echo "FAIL: $2: '$3' gave $got, expected $1"; failed=1; fi
}
failed=0
try 1 core/a.cpp '#include "app/Fmain.h"'
try 1 core/a.h '#include "drawing/canvas.h"'
try 1 core/a.cpp '#include <QString>'
try 1 drawing/a.cpp '#include "output/printer.h"'
try 1 drawing/makeprint.cpp '#include <QFont>'
try 1 output/a.cpp '  #  include "app/application.h"'
try 1 output/a.cpp '#include <QLineEdit>'
try 0 drawing/a.cpp '#include "core/numtext.h"'
try 0 drawing/qt_canvas.cpp '#include <QFont>'
try 0 output/a.cpp '#include "drawing/worksheet.h"'
try 0 app/a.cpp '#include "output/printer.h"'
[ "$failed" -eq 0 ] && echo "the floor check caught every wrong include"
exit "$failed"

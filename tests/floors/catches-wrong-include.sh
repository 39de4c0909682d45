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
# A floor includes only the floors below it.
try 1 core/a.cpp '#include "app/Fmain.h"'
try 1 core/a.h '#include "drawing/canvas.h"'
try 1 core/a.cpp '#include "sheets/options.h"'
try 1 drawing/a.cpp '#include "output/printer.h"'
try 1 drawing/a.h '#include "sheets/sheet_pdf.h"'
try 1 core/a.cpp '#include "run/run_options.h"'
try 1 drawing/a.cpp '#include "run/paper.h"'
try 1 run/a.cpp '#include "output/printing.h"'
try 1 run/a.h '#include "sheets/options.h"'
try 1 run/a.cpp '#include "web/entry.h"'
try 1 output/a.cpp '  #  include "app/application.h"'
try 1 output/a.cpp '#include "sheets/options.h"'
try 1 app/a.cpp '#include "sheets/options.h"'
try 1 app/a.cpp '#include "tools/x.h"'
try 1 sheets/a.cpp '#include "output/printing.h"'
try 1 sheets/a.h '#include "app/Fmain.h"'
try 1 web/a.cpp '#include "output/printing.h"'
try 1 web/a.cpp '#include "sheets/options.h"'
try 1 tools/a.cpp '#include "tests/common/shell_words.h"'
try 1 core/a.cpp '#include "../app/Fmain.h"'
try 1 sheets/a.cpp '#include "drawing/../output/printing.h"'
# Qt, fontconfig and CUPS only where they belong.
try 1 core/a.cpp '#include <QString>'
try 1 core/a.cpp '#include <QtCore/QString>'
try 1 core/a.cpp '#include <fontconfig/fontconfig.h>'
try 1 drawing/makeprint.cpp '#include <QFont>'
try 1 drawing/sample_page.cpp '#include <QImage>'
try 1 drawing/recording_canvas.h '#include <fontconfig/fontconfig.h>'
try 1 drawing/qt_canvas.cpp '#include <cups/cups.h>'
try 1 sheets/a.cpp '#include <cups/cups.h>'
try 1 run/a.cpp '#include <QString>'
try 1 run/a.cpp '#include <fontconfig/fontconfig.h>'
try 1 run/a.cpp '#include <cups/cups.h>'
try 1 output/a.cpp '#include <QLineEdit>'
# What the floors do use.
try 0 drawing/a.cpp '#include "core/numtext.h"'
try 0 drawing/qt_canvas.cpp '#include <QFont>'
try 0 drawing/fonts.cpp '#include <fontconfig/fontconfig.h>'
try 0 output/a.cpp '#include "drawing/worksheet.h"'
try 0 run/a.cpp '#include "drawing/worksheet.h"'
try 0 run/a.h '#include "core/sheet_run.h"'
try 0 output/a.cpp '#include "run/sheet_page.h"'
try 0 sheets/a.cpp '#include "run/run_options.h"'
try 0 web/a.cpp '#include "run/paper.h"'
try 0 app/a.cpp '#include "run/run_options.h"'
try 0 output/printer.cpp '#include <cups/cups.h>'
try 0 app/a.cpp '#include "output/printer.h"'
try 0 sheets/a.cpp '#include "drawing/qt_canvas.h"'
try 0 sheets/a.cpp '#include <QPdfWriter>'
try 0 web/a.cpp '#include "drawing/worksheet.h"'
try 0 tools/a.cpp '#include "sheets/options.h"'
[ "$failed" -eq 0 ] && echo "the floor check caught every wrong include"
exit "$failed"

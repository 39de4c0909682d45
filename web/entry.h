#pragma once
// What the browser page asks of the module, answered apart from the browser: the address read
// into the form's fields, a run made into sheets, the words, exercises and choices the form
// shows. Each answer is JSON (see web/page/api.js for how the page reads it). The browser's
// only part is measuring texts, which the caller's measurer does; web/tavrelo_web.cpp hands
// these to the page.
//
// An address is the command line's long option names and values, URL-encoded and "&"-separated,
// plus the window's field names (u1l..d5h, AnsLow, AnsHigh) for what a teacher typed. Errors are
// {"field", "value", "message", "short"}: the option's or the window field's name the error
// belongs to (empty if none), the value refused, the message as the command line says it, and
// the same without the option's name (which the field shows already).
#include <string>
#include <string_view>

#include "drawing/svg_canvas.h"

// [{"name", "title", "multiplicand", "multiplier", "answer"}]: the textbook exercises.
std::string PresetsAnswer();
// The window's words the page shows.
std::string TextsAnswer();
// {option: {"choices": [{"value", "label"}], "min", "max", "default"}}: what each option takes on
// the page (its own limits where they are narrower) and the words it shows for each choice.
std::string ChoicesAnswer();
// {"errors": [...], "fields": {...}}: the fields by the address's names.
std::string ReadAnswer(std::string_view query);
// {"errors": [...]} when a value is refused, else {"errors": [], "warning", "seed", "address",
// "paper", "width", "height", "pages": [{"sheet", "answers", "number", "svg"}]}.
std::string MakeAnswer(std::string_view query, TTextMeasurer& measurer);

// Practice: a sheet's problems as figures a pupil works cell by cell, and the judging of what
// the pupil enters (core/practice.h says what each part means). The query is a run's address
// (as MakeAnswer answers it: with its seed, or every call draws other problems) and:
//   practice=N   the run's sheet N (1-based, default 1; at most the run's sheets)
//   problem=K    the sheet's problem K (1-based): PracticeAnswer gives all when absent
// {"errors": [...]} when refused, else {"errors": [], "seed", "sheet", "number", "count",
// "mistakes": {mistake: what a pupil's result calls it} (the names as in a verdict, below),
// "figures": [figure]}, a figure being
//   {"problem", "multiplicand": line, "multiplier": line, "product": the value as text,
//    "rows": [{"place", "digit"}], "ruleColumns",
//    "cells": [{"line", "column", "digit", "strike", "source", "step"}],   fill order
//    "memos": [{"line", "column", "value", "step"}],
//    "point": {"column" (null: none), "struck", "multiplicandDigits", "multiplierDigits"},
//    "steps": [{"kind", "line", "column", "cells": [cell index], "memo": memo index or null,
//               digitProduct: "multiplicandDigit", "multiplicandColumn", "multiplierDigit",
//               "multiplierColumn"; columnSum: "addends"; both: "carryIn", "carryOut", "value";
//               point: "column"}]}
// with line = {"text", "cells": [{"column", "digit"}], "point": column or null}; a cell's line
// is a row's index or -1 for the product; source is "digitProduct", "columnSum",
// "shiftedZero" or "pointZero"; kind is "digitProduct", "zeroRow", "shiftedZeros", "rule",
// "columnSum", "pointZeros", "point" or "strike".
std::string PracticeAnswer(std::string_view query);
// The query as PracticeAnswer's, with problem=K and one of
//   judge=cell&cell=I&digit=D       a digit in cell I (an index into "cells")
//   judge=stray&line=L&column=C&digit=D   a digit in line L where the figure has no cell
//   judge=point&point=C             the point after the product's column C; point= for none
//   judge=strike&column=C           a strike on the product's column C
//   judge=all&digits=L:C:D,...&point=C&struck=C,...   the whole figure at the end
// A verdict is {"right", "mistake", "hint"}, mistake one of "none", "blank",
// "partialCarryForgotten", "partialDigit", "additionCarryForgotten", "additionDigit",
// "zeroMissing", "rowShifted", "extraDigit", "pointMisplaced", "zeroLeftUnstruck",
// "valuedDigitStruck". The answer is {"errors": []} with the verdict's members for one entry;
// for all: {"errors": [], "right", "cells": [{"cell", "entered" (null: blank), verdict}],
// "stray": [{"line", "column", "digit", verdict}], "point": verdict,
// "strikes": [{"column", verdict}] (the wrong ones)}.
std::string JudgeAnswer(std::string_view query);

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

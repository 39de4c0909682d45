#pragma once
// The command line of tavrelo-sheets, read into the settings of one run.
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>

#include "run/run_options.h"

// The run's settings, read as every edition reads them, and what only the command line has.
struct SheetOptions : RunOptions {
    QString Output;  // "-" is standard output
    bool Quiet = false;
};

enum class OptionsOutcome { Run, Help, Version, ListPresets, Error };

struct ParsedOptions {
    OptionsOutcome Outcome = OptionsOutcome::Error;
    SheetOptions Options;
    QString Text;  // Help, Version, ListPresets: for standard output; Error: the message
};

// A value of the user's as a message shows it: between single quotes, cut to about 80
// characters (a whole file pasted into an option would otherwise fill the screen) and with
// control characters written as \x.. escapes, so that none reaches the terminal.
QString Quoted(const QString& value);

// Gives Qt's command-line parser its messages and headings in Japanese. Needs the application
// object; call once before ParseSheetOptions.
void InstallParserTranslations();

// arguments[0] is the program. Options are applied in the order given, so that an option after
// --preset overrides what the preset set, and the last of a repeated option wins.
ParsedOptions ParseSheetOptions(const QStringList& arguments);

// The options that make the same run again, as one line a shell takes (no -o, no -q).
QString RemakeCommand(const SheetOptions& options, std::uint32_t seed);

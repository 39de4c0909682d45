#pragma once
// The words of a line as a POSIX shell splits them, for reading back the command line that
// tavrelo-sheets stores in a PDF.
#include <QString>
#include <QStringList>

// The words of a line as a POSIX shell splits them (single quotes and backslashes only).
inline QStringList ShellWords(const QString& line) {
    QStringList words;
    QString word;
    bool inWord = false, quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == '\'')
                quoted = false;
            else
                word += c;
        } else if (c == '\'') {
            quoted = inWord = true;
        } else if (c == '\\' && i + 1 < line.size()) {
            word += line[++i];
            inWord = true;
        } else if (c.isSpace()) {
            if (inWord) words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (inWord) words << word;
    return words;
}

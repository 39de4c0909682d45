#pragma once
// The face a QFont resolves to, named the same way whatever the user's language: the
// PostScript name in the font file ("IPAMincho"), where QFontInfo::family() gives the family
// name fontconfig puts first for the locale ("IPA明朝" under ja_JP).
#include <QByteArray>
#include <QFont>
#include <QRawFont>
#include <QString>

inline QString FaceName(const QFont& font) {
    const QByteArray table = QRawFont::fromFont(font).fontTable("name");
    const auto u16 = [&](qsizetype at) {
        return at + 2 <= table.size() ? (static_cast<uchar>(table[at]) << 8) | static_cast<uchar>(table[at + 1]) : -1;
    };
    const int count = u16(2), strings = u16(4);
    for (int i = 0; i < count; ++i) {
        const qsizetype record = 6 + 12 * qsizetype(i);
        const int platform = u16(record), nameId = u16(record + 6);
        const int length = u16(record + 8), offset = u16(record + 10);
        if (nameId != 6 || (platform != 1 && platform != 3) || strings + offset + length > table.size()) continue;
        const QByteArray bytes = table.mid(strings + offset, length);
        if (platform == 1) return QString::fromLatin1(bytes);
        QString name;
        for (qsizetype k = 0; k + 1 < bytes.size(); k += 2)
            name += QChar(char16_t((static_cast<uchar>(bytes[k]) << 8) | static_cast<uchar>(bytes[k + 1])));
        return name;
    }
    return QString();
}

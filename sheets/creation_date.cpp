#include "sheets/creation_date.h"

#include <QTimeZone>
#include <algorithm>
#include <cstring>

namespace {

// The information dictionary and the document's XMP metadata are the writer's first objects,
// the catalog comes right after them; a head this long without the catalog means there is no
// more to replace.
constexpr qsizetype HeadLimit = 64 * 1024;

constexpr char CatalogKey[] = "/Type /Catalog";

// Where the writer stamps its clock. Qt 6.4 writes the creation date alone; Qt 6.8 also a
// modification date, and the same instant three times in the XMP metadata, as ISO 8601.
struct DateStamp {
    const char* key;  // what stands just before the date
    char end;         // what ends it
    bool iso;
};
constexpr DateStamp Stamps[] = {
    {"/CreationDate (D:", ')', false}, {"/ModDate (D:", ')', false},       {"xmp:CreateDate=\"", '"', true},
    {"xmp:ModifyDate=\"", '"', true},  {"xmp:MetadataDate=\"", '"', true},
};

}  // namespace

std::optional<QDateTime> SourceDate(const QByteArray& value, bool& malformed) {
    malformed = false;
    if (value.isEmpty()) return std::nullopt;
    bool ok = false;
    const qlonglong seconds = value.toLongLong(&ok, 10);
    // toLongLong accepts a sign and surrounding blanks; the convention allows digits alone. A
    // year past 9999 has no place in a PDF date.
    const bool digits = std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!ok || !digits || seconds > 253402300799LL) {
        malformed = true;
        return std::nullopt;
    }
    return QDateTime::fromSecsSinceEpoch(seconds, QTimeZone::utc());
}

TCreationDateDevice::TCreationDateDevice(QIODevice& target, QDateTime date) : target_(target), date_(date.toUTC()) {
    open(QIODevice::WriteOnly);
}

qint64 TCreationDateDevice::writeData(const char* data, qint64 size) {
    if (passing_) return Pass(data, size) ? size : -1;
    head_.append(data, static_cast<qsizetype>(size));
    if (!Stamp() && head_.size() < HeadLimit) return size;
    passing_ = true;
    const bool written = Pass(head_.constData(), head_.size());
    head_.clear();
    return written ? size : -1;
}

// True once the head holds everything stamped (the catalog has begun); false before.
bool TCreationDateDevice::Stamp() {
    if (!head_.contains(CatalogKey) && head_.size() < HeadLimit) return false;
    // The writer gives local time with its offset ("Z" in UTC, "+09'00'" or "+09:00"
    // elsewhere): the same instant in UTC is written in the same shape, so that no length, and
    // so no offset the writer has noted, changes.
    const QByteArray pdfStamp = date_.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
    const QByteArray isoStamp = date_.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1();
    for (const DateStamp& s : Stamps) {
        const qsizetype key = head_.indexOf(s.key);
        if (key < 0) continue;
        const qsizetype from = key + qsizetype(std::strlen(s.key));
        const qsizetype end = head_.indexOf(s.end, from);
        if (end < 0) continue;
        const QByteArray& stamp = s.iso ? isoStamp : pdfStamp;
        const QByteArray zero = s.iso ? QByteArray("+00:00") : QByteArray("+00'00'");
        QByteArray replacement;
        if (end - from == stamp.size() + 1)
            replacement = stamp + "Z";
        else if (end - from == stamp.size() + zero.size())
            replacement = stamp + zero;
        if (!replacement.isEmpty()) head_.replace(from, end - from, replacement);
    }
    return true;
}

bool TCreationDateDevice::Pass(const char* data, qint64 size) {
    while (size > 0) {
        const qint64 n = target_.write(data, size);
        if (n <= 0) return false;
        data += n;
        size -= n;
    }
    return true;
}

void TCreationDateDevice::Finish() {
    if (passing_) return;
    passing_ = true;
    Pass(head_.constData(), head_.size());
    head_.clear();
}

#include "sheets/creation_date.h"

#include <QTimeZone>
#include <algorithm>

namespace {

// The information dictionary is the writer's first object; a head this long without the stamp
// means there is none to replace.
constexpr qsizetype HeadLimit = 64 * 1024;

constexpr char Key[] = "/CreationDate (D:";

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

// True once the stamp is replaced; false while its end has not arrived yet.
bool TCreationDateDevice::Stamp() {
    const qsizetype key = head_.indexOf(Key);
    if (key < 0) return false;
    const qsizetype from = key + qsizetype(sizeof Key) - 1;
    const qsizetype end = head_.indexOf(')', from);
    if (end < 0) return false;
    // The writer gives local time with its offset, "Z" in UTC or "+09'00'" elsewhere: the same
    // instant in UTC is written in the same shape, so the length does not change.
    const QByteArray stamp = date_.toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
    QByteArray replacement;
    if (end - from == stamp.size() + 1)
        replacement = stamp + "Z";
    else if (end - from == stamp.size() + 7)
        replacement = stamp + "+00'00'";
    if (!replacement.isEmpty()) head_.replace(from, end - from, replacement);
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

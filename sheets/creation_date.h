#pragma once
// The creation date a PDF of sheets carries. Qt's PDF writer stamps the clock's time into the
// document's information (and, from Qt 6.8, into its XMP metadata) and offers no way to choose
// it, so a run that must give the same bytes twice passes its output through a device that
// writes the chosen time over every stamp.
#include <QByteArray>
#include <QDateTime>
#include <QIODevice>
#include <optional>

// SOURCE_DATE_EPOCH as the reproducible-builds convention reads it: whole seconds since
// 1970-01-01 UTC, decimal digits only. Empty when the variable is unset or empty; `malformed`
// says whether a value was given that is not such a number.
std::optional<QDateTime> SourceDate(const QByteArray& value, bool& malformed);

// Passes everything on to `target` and replaces the dates of the first "/CreationDate (D:...)",
// "/ModDate (D:...)" and XMP xmp:CreateDate, xmp:ModifyDate and xmp:MetadataDate with `date` in
// UTC, keeping their lengths so that the writer's offsets stay true. Only the head of the file is
// held back (up to the catalog, which follows those); Finish() hands on what is left.
class TCreationDateDevice : public QIODevice {
public:
    TCreationDateDevice(QIODevice& target, QDateTime date);

    bool isSequential() const override { return true; }
    // Hands on what is still held back. A write the target refused leaves its error there, where
    // the caller looks for it as for any other write.
    void Finish();

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool Stamp();
    bool Pass(const char* data, qint64 size);

    QIODevice& target_;
    QDateTime date_;
    QByteArray head_;
    bool passing_ = false;
};

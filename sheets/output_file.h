#pragma once
// The file a run writes. A named file is written under a temporary name in the same folder and
// put in place by one rename once it is complete, so that neither a failure nor an interruption
// leaves a half-written PDF under that name or harms a file that already has it.
#include <QFile>
#include <QString>

class TOutputFile {
public:
    // "-" is standard output. A target that exists but is not a regular file (a device, a pipe)
    // is written in place: it cannot be replaced by renaming.
    explicit TOutputFile(QString target);
    ~TOutputFile();
    TOutputFile(const TOutputFile&) = delete;
    TOutputFile& operator=(const TOutputFile&) = delete;

    // On failure `error` is the system's reason.
    bool Open(QString& error);
    QIODevice& Device() { return file_; }
    // Everything written reaches the disk and the file takes its name, or `error` says why not.
    bool Commit(QString& error);

private:
    void Discard();

    QString target_;
    QFile file_;
    QByteArray final_;      // the file a rename puts in place, at the end of any links
    QByteArray temporary_;  // empty when writing in place
};

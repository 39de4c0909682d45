#include "sheets/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

// The temporary file of the run, for the signal handler: a signal that ends the process must
// not leave it behind. Only async-signal-safe calls touch it there.
char gTemporary[4096] = {};

extern "C" void RemoveTemporaryAndDie(int signal) {
    if (gTemporary[0] != '\0') unlink(gTemporary);
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    sigaction(signal, &standard, nullptr);
    raise(signal);
}

// SIGABRT too: an abort (an exception nobody caught, a failed check in a library) would
// otherwise leave the temporary behind.
const int Signals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGABRT};
// The signals whose handler is ours; one that was ignored when the program started (nohup
// ignores SIGHUP, a shell's background job SIGINT) stays ignored, as it was meant to.
bool gWatched[sizeof Signals / sizeof Signals[0]] = {};

void WatchSignals(const QByteArray& path) {
    if (static_cast<std::size_t>(path.size()) >= sizeof gTemporary) return;
    std::memcpy(gTemporary, path.constData(), static_cast<std::size_t>(path.size()) + 1);
    for (std::size_t i = 0; i < std::size(Signals); ++i) {
        struct sigaction before {};
        if (sigaction(Signals[i], nullptr, &before) != 0 || before.sa_handler == SIG_IGN) continue;
        struct sigaction watch {};
        watch.sa_handler = RemoveTemporaryAndDie;
        sigemptyset(&watch.sa_mask);
        gWatched[i] = sigaction(Signals[i], &watch, nullptr) == 0;
    }
}

void StopWatching() {
    for (std::size_t i = 0; i < std::size(Signals); ++i) {
        if (!gWatched[i]) continue;
        struct sigaction standard {};
        standard.sa_handler = SIG_DFL;
        sigemptyset(&standard.sa_mask);
        sigaction(Signals[i], &standard, nullptr);
        gWatched[i] = false;
    }
    gTemporary[0] = '\0';
}

// The folder part of a path as written, with its slash: empty for a bare name.
QByteArray Folder(const QByteArray& path) { return path.left(path.lastIndexOf('/') + 1); }

// Where a chain of links ends, read as the system reads it: a relative link from the folder the
// link is in, and the text kept as it is. Tidying "x/../y" into "y" is only right when x is no
// link to another folder, and a link is often exactly that. A last link that names nothing yet
// is followed too (the file is made where it points); a loop ends with ELOOP, after as many
// links as the system itself follows.
bool FollowLinks(QByteArray& path, int& error) {
    constexpr int MostLinks = 40;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        if (lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode)) return true;
        if (hops == MostLinks) break;
        QByteArray link(std::max<qsizetype>(st.st_size, PATH_MAX) + 1, '\0');
        const ssize_t length = readlink(path.constData(), link.data(), static_cast<std::size_t>(link.size()));
        if (length < 0) {
            error = errno;
            return false;
        }
        link.truncate(length);
        path = link.startsWith('/') ? link : Folder(path) + link;
    }
    error = ELOOP;
    return false;
}

QString Reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// What a new file in that folder would get, or what the file being replaced has.
mode_t ModeFor(const QByteArray& target) {
    struct stat st {};
    if (stat(target.constData(), &st) == 0) return st.st_mode & 07777;
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

TOutputFile::TOutputFile(QString target) : target_(std::move(target)) {}

TOutputFile::~TOutputFile() { Discard(); }

bool TOutputFile::Open(QString& error) {
    if (target_ == u"-") {
        if (file_.open(STDOUT_FILENO, QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) return true;
        error = file_.errorString();
        return false;
    }
    const QByteArray target = QFile::encodeName(target_);
    struct stat st {};
    if (stat(target.constData(), &st) == 0 && !S_ISREG(st.st_mode)) {
        if (S_ISDIR(st.st_mode)) {
            error = Reason(EISDIR);
            return false;
        }
        const int fd = ::open(target.constData(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) {
            error = Reason(errno);
            return false;
        }
        if (!file_.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
            ::close(fd);
            error = file_.errorString();
            return false;
        }
        return true;
    }

    // A link keeps pointing where it did: the file it names is the one replaced.
    final_ = target;
    if (int why = 0; !FollowLinks(final_, why)) {
        error = Reason(why);
        return false;
    }
    // Beside the file, in the folder as written, so that the rename stays inside one file system.
    // Short, whatever the file's name: a name of 255 bytes is legal, and one 8 bytes longer is not.
    QByteArray pattern = Folder(final_) + ".tavrelo-XXXXXX";
    // The signals wait while the file is made and the handlers learn its name: one that came in
    // between would end the run the default way and leave the file behind. (The program has one
    // thread, so the calling thread's mask is the process's.)
    sigset_t watched, before;
    sigemptyset(&watched);
    for (const int signal : Signals) sigaddset(&watched, signal);
    sigprocmask(SIG_BLOCK, &watched, &before);
    const int fd = mkostemp(pattern.data(), O_CLOEXEC);
    const int made = errno;
    if (fd >= 0) {
        temporary_ = pattern;
        WatchSignals(temporary_);
    }
    sigprocmask(SIG_SETMASK, &before, nullptr);
    if (fd < 0) {
        error = Reason(made);
        return false;
    }
    fchmod(fd, ModeFor(final_));
    if (!file_.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        error = file_.errorString();
        Discard();
        return false;
    }
    return true;
}

bool TOutputFile::Commit(QString& error) {
    const bool flushed = file_.flush();
    if (!flushed || file_.error() != QFileDevice::NoError) {
        error = file_.errorString();
        Discard();
        return false;
    }
    if (temporary_.isEmpty()) {
        file_.close();
        return true;
    }
    // On the disk before the name moves over, so that a crash cannot leave the name on an
    // empty file.
    if (fsync(file_.handle()) != 0) {
        error = Reason(errno);
        Discard();
        return false;
    }
    file_.close();
    if (std::rename(temporary_.constData(), final_.constData()) != 0) {
        error = Reason(errno);
        Discard();
        return false;
    }
    StopWatching();
    temporary_.clear();
    return true;
}

void TOutputFile::Discard() {
    if (file_.isOpen()) file_.close();
    if (!temporary_.isEmpty()) {
        unlink(temporary_.constData());
        StopWatching();
        temporary_.clear();
    }
}

#include "output/printer.h"

#include <cups/cups.h>

#include <QBuffer>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>
#include <QScreen>
#include <QTimer>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "drawing/qt_canvas.h"
#include "output/dialog_place.h"

// libcups looks its messages up in its own catalogues, but only for the process's language;
// CUPS 2.4 has no public name for the lookup in another one. Weak, so that a libcups without
// it leaves the texts as they are.
extern "C" const char* _cupsLangString(cups_lang_t* language, const char* message) __attribute__((weak));

namespace {

using Clock = std::chrono::steady_clock;

const char* const NoDefaultPrinter = "デフォルト プリンタが存在しません";
const char* const NotSupported = "選択されたプリンタではサポートされていない機能です";
const char* const InvalidPrinter = "選択したプリンタは有効ではありません";
const char* const PrintingMessage = "現在印刷中です";
const char* const NotPrinting = "プリンタに印刷できる状態ではありません";

// Qt's CUPS engine keeps the options chosen in the dialog's Properties (paper source, colour
// model, pages per sheet, job options and the like) as name/value pairs in a private engine
// property (PPK_CupsOptions in Qt's private headers). It is what the spooler must be given
// besides the paper, and what the dialog must find again when it runs once more.
const auto CupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// How often libcups asks whether to go on waiting for a silent scheduler, and how long a
// given-up hand-over may take to notice.
constexpr double PollSeconds = 0.2;
constexpr auto GiveUpGrace = std::chrono::seconds(2);

std::unique_ptr<TPrinter>& Instance() {
    static std::unique_ptr<TPrinter> instance;
    return instance;
}

// CUPS's text in Japanese where its catalogue has it, whatever language the process runs in.
std::string InJapanese(const char* text) {
    if (!text) return {};
    std::string result = text;
    if (_cupsLangString) {
        if (cups_lang_t* japanese = cupsLangGet("ja")) {
            if (const char* translated = _cupsLangString(japanese, text)) result = translated;
            cupsLangFree(japanese);
        }
    }
    return result;
}

// Qt's printer list hides why it is empty; CUPS itself tells an unreachable scheduler apart
// from a scheduler without printers.
void CheckEnumeration(int count, ipp_status_t status, const std::string& text) {
    // A scheduler without printers answers "not found"; that is no failure of the enumeration.
    if (count > 0 || status <= IPP_STATUS_OK_EVENTS_COMPLETE || status == IPP_STATUS_ERROR_NOT_FOUND) return;
    // CUPS gives every failure a status code, so the message without a code never arises.
    throw EPrinter("Win32 エラー。コード : " + std::to_string(static_cast<int>(status)) + ".\n" + text);
}

std::unique_ptr<QPrinter> OpenDefaultPrinter() {
    // A bare QPrinter would quietly take the first printer when none is the default.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull() || !QPrinterInfo::availablePrinterNames().contains(info.printerName()))
        throw EPrinter(NoDefaultPrinter);
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

bool WritesFile(const QPrinter& printer) {
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
}

// What the dialog handed back can be printed on: a file name that is not a folder, or a printer
// the scheduler knows now. With the scheduler down the dialog lists no printer and hands back
// an empty name, and a file name of a folder is what it proposes before one is typed.
bool Usable(const QPrinter& chosen) {
    if (WritesFile(chosen)) return !QFileInfo(chosen.outputFileName()).isDir();
    const QString name = chosen.printerName();
    return !name.isEmpty() && QPrinterInfo::availablePrinterNames().contains(name);
}

// A fresh printer for the same queue or file with the same settings, for the dialog to work on.
std::unique_ptr<QPrinter> CopyOf(const QPrinter& from) {
    std::unique_ptr<QPrinter> copy;
    if (WritesFile(from)) {
        copy = std::make_unique<QPrinter>(QPrinter::HighResolution);
        copy->setOutputFormat(QPrinter::PdfFormat);
        copy->setOutputFileName(from.outputFileName());
    } else {
        copy = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(from.printerName()), QPrinter::HighResolution);
    }
    copy->setDocName(from.docName());
    copy->setPageLayout(from.pageLayout());
    copy->setColorMode(from.colorMode());
    copy->setDuplex(from.duplex());
    copy->printEngine()->setProperty(CupsOptions, from.printEngine()->property(CupsOptions));
    return copy;
}

// Qt's dialog puts the default printer in front whenever it is made, also over settings that
// write a file, and adds its file entry (the last of its printer list) only as it shows: put
// that entry in front again then, where a file was chosen.
class FileEntryInFront : public QObject {
public:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show) {
            if (auto* printers = watched->findChild<QComboBox*>(QStringLiteral("printers")))
                printers->setCurrentIndex(printers->count() - 1);
            watched->removeEventFilter(this);
        }
        return false;
    }
};

// The options Qt's CUPS engine gives a job of this printer: the paper, the sides, the
// orientation and whatever the dialog's Properties chose.
std::vector<std::pair<std::string, std::string>> JobOptions(QPrinter& printer) {
    std::vector<std::pair<std::string, std::string>> options;
    const QPageLayout layout = printer.pageLayout();
    const bool portrait = layout.orientation() == QPageLayout::Portrait;
    options.emplace_back("media", layout.pageSize().key().toStdString());
    switch (printer.duplex()) {
        case QPrinter::DuplexNone:
            options.emplace_back("sides", "one-sided");
            break;
        case QPrinter::DuplexAuto:
            options.emplace_back("sides", portrait ? "two-sided-long-edge" : "two-sided-short-edge");
            break;
        case QPrinter::DuplexLongSide:
            options.emplace_back("sides", "two-sided-long-edge");
            break;
        case QPrinter::DuplexShortSide:
            options.emplace_back("sides", "two-sided-short-edge");
            break;
    }
    if (!portrait) options.emplace_back("landscape", "");
    const QStringList chosen = printer.printEngine()->property(CupsOptions).toStringList();
    for (qsizetype k = 0; k + 1 < chosen.size(); k += 2)
        options.emplace_back(chosen[k].toStdString(), chosen[k + 1].toStdString());
    return options;
}

// One conversation with the scheduler, shared by the thread that holds it and the one that
// waits for it. A thread given up on keeps its share until it returns.
struct SchedulerCall {
    // Fixed before the thread starts.
    std::string server;
    int port = 0;
    http_encryption_t encryption = HTTP_ENCRYPTION_IF_REQUESTED;
    Clock::time_point deadline;

    std::atomic<bool> givenUp{false};

    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;         // guarded by mutex
    bool accepted = false;         // guarded by mutex
    QEventLoop* waiter = nullptr;  // guarded by mutex
    // A question that nobody needs once the program is quitting; a document still gets its time.
    bool abandonOnQuit = false;

    explicit SchedulerCall(std::chrono::milliseconds limit)
        : server(cupsServer()), port(ippPort()), encryption(cupsEncryption()), deadline(Clock::now() + limit) {}
    virtual ~SchedulerCall() = default;
};

// One document on its way to the spooler.
struct Submission : SchedulerCall {
    using SchedulerCall::SchedulerCall;
    std::string queue;
    std::string title;
    std::vector<std::pair<std::string, std::string>> options;
    std::string document;
};

// The scheduler's printers as the first print and the print settings need them: whether it
// answers at all, and with what.
struct Enumeration : SchedulerCall {
    using SchedulerCall::SchedulerCall;
    int count = 0;
    ipp_status_t status = IPP_STATUS_OK;
    std::string text;
};

// libcups asks this after every quiet interval on the connection: 0 ends the wait.
int KeepWaiting(http_t*, void* data) {
    const auto& call = *static_cast<const SchedulerCall*>(data);
    return !call.givenUp.load() && Clock::now() < call.deadline ? 1 : 0;
}

// Nobody can be asked for a password here; libcups's default would read a terminal.
const char* NoPassword(const char*, http_t*, const char*, const char*, void*) { return nullptr; }

// Create-Job as libcups's cupsCreateJob makes it, but on `http` alone: cupsCreateJob looks the
// queue up first and, when that lookup goes unanswered, looks again on the thread's default
// connection, whose waits no callback bounds.
int CreateJob(http_t* http, Submission& job, std::vector<cups_option_t>& options) {
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(), "/printers/%s",
                     job.queue.c_str());
    ipp_t* request = ippNewRequest(IPP_OP_CREATE_JOB);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, job.title.c_str());
    const int count = static_cast<int>(options.size());
    cupsEncodeOptions2(request, count, options.data(), IPP_TAG_OPERATION);
    cupsEncodeOptions2(request, count, options.data(), IPP_TAG_JOB);
    const std::string resource = "/printers/" + job.queue;
    ipp_t* response = cupsDoRequest(http, request, resource.c_str());
    ipp_attribute_t* id = response ? ippFindAttribute(response, "job-id", IPP_TAG_INTEGER) : nullptr;
    const int jobId = id && cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE ? ippGetInteger(id, 0) : 0;
    ippDelete(response);
    return jobId;
}

// A connection of this thread's own to the scheduler, whose every wait is bounded by the call's
// deadline; null where none could be made in time (cupsLastError says why).
http_t* ConnectBounded(SchedulerCall& call) {
    cupsSetPasswordCB2(NoPassword, nullptr);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(call.deadline - Clock::now()).count();
    if (left <= 0) return nullptr;
    http_t* http = httpConnect2(call.server.c_str(), call.port, nullptr, AF_UNSPEC, call.encryption, 1,
                                static_cast<int>(left), nullptr);
    if (http) httpSetTimeout(http, PollSeconds, KeepWaiting, &call);
    return http;
}

// Create-Job, Send-Document, on a connection of this thread's own whose every wait is bounded.
bool Submit(Submission& job) {
    http_t* http = ConnectBounded(job);
    if (!http) return false;

    std::vector<cups_option_t> options;
    for (auto& [name, value] : job.options) options.push_back(cups_option_t{name.data(), value.data()});
    const char* queue = job.queue.c_str();
    const int id = CreateJob(http, job, options);
    bool accepted =
        id > 0 && cupsStartDocument(http, queue, id, job.title.c_str(), CUPS_FORMAT_PDF, 1) == HTTP_STATUS_CONTINUE;
    accepted = accepted && cupsWriteRequestData(http, job.document.data(), job.document.size()) == HTTP_STATUS_CONTINUE;
    accepted = accepted && cupsFinishDocument(http, queue) <= IPP_STATUS_OK_EVENTS_COMPLETE;
    // A job the scheduler opened but did not get whole would wait there for its document.
    if (!accepted && id > 0 && KeepWaiting(http, &job)) cupsCancelJob2(http, queue, id, 0);
    httpClose(http);
    return accepted;
}

// The printers, on a connection of this thread's own whose every wait is bounded. libcups may
// still make a request of its own on the thread's default connection; a thread stuck there is
// left behind by the waiting side when the time is up.
bool Enumerate(Enumeration& call) {
    http_t* http = ConnectBounded(call);
    if (!http) {
        // Refused at once (no scheduler there) is an answer; out of time is none.
        call.status = cupsLastError();
        call.text = InJapanese(cupsLastErrorString());
        return KeepWaiting(nullptr, &call) != 0;
    }
    cups_dest_t* dests = nullptr;
    call.count = cupsGetDests2(http, &dests);
    call.status = cupsLastError();
    call.text = InJapanese(cupsLastErrorString());
    cupsFreeDests(call.count, dests);
    httpClose(http);
    // An answer cut short by the limit is no answer.
    return KeepWaiting(nullptr, &call) != 0;
}

template <class Call, class Work>
void Run(const std::shared_ptr<Call>& job, Work work) {
    const bool accepted = work(*job);
    const std::lock_guard lock(job->mutex);
    job->finished = true;
    job->accepted = accepted;
    if (job->waiter) QMetaObject::invokeMethod(job->waiter, "quit", Qt::QueuedConnection);
    job->done.notify_all();
}

// Waits until the call finishes or its deadline passes; with `withEvents` the window's events
// run meanwhile. True when the call got its answer (for a document: the spooler took it).
bool Await(const std::shared_ptr<SchedulerCall>& job, std::thread& worker, bool withEvents) {
    Clock::time_point until = job->deadline;
    if (withEvents && QCoreApplication::instance()) {
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        limit.setTimerType(Qt::PreciseTimer);
        QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
        {
            const std::lock_guard lock(job->mutex);
            job->waiter = &loop;
        }
        // The loop also ends when the application quits; a hand-over still gets its time.
        for (;;) {
            {
                const std::lock_guard lock(job->mutex);
                if (job->finished) break;
            }
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
            if (left <= std::chrono::milliseconds(0)) break;
            limit.start(left);
            // Once the application has quit, exec() returns at once: wait without events then.
            if (loop.exec() < 0) {
                if (job->abandonOnQuit) {
                    job->givenUp = true;
                    until = Clock::now();
                }
                break;
            }
        }
        const std::lock_guard lock(job->mutex);
        job->waiter = nullptr;
    }

    std::unique_lock lock(job->mutex);
    job->done.wait_until(lock, until, [&] { return job->finished; });
    if (!job->finished) {
        job->givenUp = true;
        // libcups asks KeepWaiting several times a second, so the thread returns at once unless
        // it is stuck where libcups asks nothing (a name lookup): then it is left to finish alone.
        job->done.wait_for(lock, GiveUpGrace, [&] { return job->finished; });
    }
    const bool finished = job->finished;
    const bool accepted = finished && job->accepted;
    lock.unlock();
    if (finished)
        worker.join();
    else
        worker.detach();
    return accepted;
}

bool WriteWhole(const std::string& path, const std::string& bytes) {
    QSaveFile file(QString::fromStdString(path));
    return file.open(QIODevice::WriteOnly) &&
           file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size()) &&
           file.commit();
}

}  // namespace

TPrinter::TPrinter() = default;

TPrinter::~TPrinter() {
    // A document left open at the end of the run still goes out, without the window's events
    // (there may be no application left to run them).
    if (!painter_) return;
    try {
        Finish(false);
    } catch (const EPrinter&) {
    }
}

QPrinter& TPrinter::Current() {
    if (!device_) {
        AskScheduler(true);
        device_ = OpenDefaultPrinter();
    }
    return *device_;
}

void TPrinter::AskScheduler(bool needPrinters) {
    // Qt's own look-ups wait on a silent scheduler for a minute at a time, on the window's thread.
    // The question is asked first where the wait is bounded and the window's events go on; a
    // scheduler that answers it answers Qt's look-ups just after.
    auto call = std::make_shared<Enumeration>(handOverLimit_);
    call->abandonOnQuit = true;
    lookingUp_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{lookingUp_};
    std::thread worker([call] { Run(call, Enumerate); });
    if (!Await(call, worker, true)) throw EPrinter(InvalidPrinter);
    if (needPrinters) CheckEnumeration(call->count, call->status, call->text);
}

void TPrinter::SetOrientation(TPrinterOrientation orientation) {
    if (Printing()) throw EPrinter(PrintingMessage);
    QPrinter& device = Current();
    if (!device.isValid()) throw EPrinter(NotSupported);
    device.setPageOrientation(orientation == TPrinterOrientation::poPortrait ? QPageLayout::Portrait
                                                                             : QPageLayout::Landscape);
}

std::int32_t TPrinter::PageWidth() { return Extent(&QPaintDevice::width); }

std::int32_t TPrinter::PageHeight() { return Extent(&QPaintDevice::height); }

std::int32_t TPrinter::Extent(int (QPaintDevice::*measure)() const) {
    // A printer that reports no printable area cannot be drawn on.
    QPrinter& device = Current();
    const int extent = device.isValid() ? (device.*measure)() : 0;
    if (extent <= 0) throw EPrinter(InvalidPrinter);
    return extent;
}

void TPrinter::BeginDoc() {
    if (Printing()) throw EPrinter(PrintingMessage);
    QPrinter& device = Current();
    const QString title = QString::fromStdString(Title);
    device.setDocName(title);
    // The page is drawn into a PDF of the printer's page layout and resolution, so that it
    // measures what the printer measures; it reaches the spooler through CUPS, with a time
    // limit that Qt's own hand-over does not have.
    auto bytes = std::make_unique<QBuffer>();
    if (!device.isValid() || !bytes->open(QIODevice::WriteOnly)) throw EPrinter(InvalidPrinter);
    auto writer = std::make_unique<QPdfWriter>(bytes.get());
    writer->setResolution(device.resolution());
    writer->setTitle(title);
    writer->setCreator(QCoreApplication::applicationName());
    auto painter = std::make_unique<QPainter>();
    if (!writer->setPageLayout(device.pageLayout()) || !painter->begin(writer.get())) throw EPrinter(InvalidPrinter);
    documentFile_ = WritesFile(device) ? NumberedFileName(FileName(), FileNameTag) : std::string();
    pageBytes_ = std::move(bytes);
    pageWriter_ = std::move(writer);
    painter_ = std::move(painter);
    canvas_ = std::make_unique<TQtCanvas>(*painter_);
}

TCanvas& TPrinter::Canvas() {
    if (!painter_) throw EPrinter(NotPrinting);
    return *canvas_;
}

std::string TPrinter::EndPage() {
    canvas_.reset();
    const bool written = painter_->end();
    painter_.reset();
    pageWriter_.reset();
    std::string document = pageBytes_->data().toStdString();
    pageBytes_.reset();
    if (!written || document.empty()) throw EPrinter(InvalidPrinter);
    return document;
}

void TPrinter::EndDoc() {
    if (!painter_) throw EPrinter(NotPrinting);
    Finish(true);
}

void TPrinter::Abort() {
    if (!painter_) return;
    canvas_.reset();
    painter_->end();
    painter_.reset();
    pageWriter_.reset();
    pageBytes_.reset();
    documentFile_.clear();
}

void TPrinter::Finish(bool withEvents) {
    const std::string document = EndPage();
    if (WritesFile(*device_)) {
        if (!WriteWhole(documentFile_, document)) throw EPrinter(InvalidPrinter);
        return;
    }
    handingOver_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{handingOver_};
    HandOver(document, withEvents);
}

void TPrinter::HandOver(const std::string& document, bool withEvents) {
    auto job = std::make_shared<Submission>(handOverLimit_);
    // A printer instance ("queue/instance") is the queue's own settings; the scheduler knows
    // only the queue.
    job->queue = device_->printerName().section(QLatin1Char('/'), 0, 0).toStdString();
    job->title = device_->docName().toStdString();
    job->options = JobOptions(*device_);
    job->document = document;
    std::thread worker([job] { Run(job, Submit); });
    if (!Await(job, worker, withEvents)) throw EPrinter(InvalidPrinter);
}

bool TPrinter::ExecuteSetupDialog(QWidget* parent, const std::function<bool(QPrintDialog&)>& run) {
    if (Printing()) throw EPrinter(PrintingMessage);
    // The dialog lists the scheduler's printers as it is made, where a silent scheduler would
    // hold it without limit. A scheduler that is down answers at once: the dialog then offers
    // no printer, but still a file.
    const bool chosen = device_ != nullptr;
    QPrinter& current = Current();
    if (chosen) AskScheduler(false);
    // The dialog writes into its printer as the user picks; give it a copy so that Cancel
    // leaves the current printer as it was.
    std::unique_ptr<QPrinter> candidate = CopyOf(current);
    FileEntryInFront fileEntry;
    QPrintDialog dialog(candidate.get(), parent);
    // The printer and its properties (paper included), or a PDF file; no page ranges or copies.
    dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize | QAbstractPrintDialog::PrintToFile);
    KeepPlaced(dialog, ThirdFromTop);
    if (WritesFile(current)) dialog.installEventFilter(&fileEntry);
    if (!run(dialog) || !Usable(*candidate)) return false;
    device_ = std::move(candidate);
    return true;
}

std::string TPrinter::PrinterName() const {
    return device_ && !WritesFile(*device_) ? device_->printerName().toStdString() : std::string();
}

std::string TPrinter::FileName() const {
    return device_ && WritesFile(*device_) ? device_->outputFileName().toStdString() : std::string();
}

TPrinter& Printer() {
    std::unique_ptr<TPrinter>& instance = Instance();
    if (!instance) {
        instance = std::make_unique<TPrinter>();
        // Qt's printing support must still be there when the printer goes: let it go with the
        // application object rather than with the program's static objects.
        if (QCoreApplication::instance()) {
            qRemovePostRoutine(ReleasePrinter);
            qAddPostRoutine(ReleasePrinter);
        }
    }
    return *instance;
}

void ReleasePrinter() { Instance().reset(); }

std::string NumberedFileName(const std::string& chosen, const std::string& tag) {
    const std::size_t nameStart = chosen.rfind('/') == std::string::npos ? 0 : chosen.rfind('/') + 1;
    const std::size_t dot = chosen.rfind('.');
    // A dot that starts the name (".pdf") or stands in a folder's name is no extension.
    if (dot == std::string::npos || dot <= nameStart) return chosen + tag;
    return chosen.substr(0, dot) + tag + chosen.substr(dot);
}

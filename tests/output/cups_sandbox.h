#pragma once
// A private CUPS scheduler for tests: its own configuration, spool, logs and socket under a
// temporary directory, with cups-pdf queues whose PDFs land in that directory too. The machine's
// own CUPS set-up is not touched: the scheduler runs in a private mount namespace in which
// cups-pdf's fixed configuration file is replaced by the sandbox's copy. Where no mount
// namespace may be made (a container without CAP_SYS_ADMIN), each queue gets a cups-pdf
// instance file /etc/cups/cups-pdf-<instance>.conf of its own instead, removed again when the
// sandbox goes. Needs root.
//
// While a sandbox is started, this process talks to it (CUPS_SERVER points at its socket;
// PRINTER and LPDEST are unset so that only the scheduler's default counts).
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

// What a printing test's main returns for qExec's result `failures`: CTest is told of a run
// skipped for want of a scheduler (exit 77, the tests' SKIP_RETURN_CODE) rather than shown a
// pass; and where TAVRELO_REQUIRE_PRINTING is set (CI), such a run fails instead.
int PrintingTestExit(int failures);

class CupsSandbox {
public:
    struct Job {
        int Id = 0;
        std::string State;  // "completed", "aborted", ...
        std::string Name;   // the document name as the spooler recorded it
    };

    CupsSandbox();
    ~CupsSandbox();
    CupsSandbox(const CupsSandbox&) = delete;
    CupsSandbox& operator=(const CupsSandbox&) = delete;

    // Why a sandbox cannot run on this machine, or empty when it can.
    static std::string Unavailable();

    // Starts the scheduler (no printers yet) and points this process at it.
    void Start();
    // Stops the scheduler; this process keeps pointing at its socket, now dead.
    void Stop();
    // Points this process at a socket nobody listens on, as if the scheduler were gone.
    void PointAtDeadScheduler();
    // Freezes the scheduler (SIGSTOP): its socket still takes connections, nothing answers.
    void Pause();
    // Lets a frozen scheduler go on (SIGCONT).
    void Resume();
    // Points this process at a socket where every request gets the HTTP answer `status`
    // ("503 Service Unavailable"), as from a scheduler that is there but turns everyone away.
    void PointAtRefusingServer(const std::string& status);

    // A cups-pdf queue printing A4; `makeDefault` makes it the scheduler's default.
    void AddPdfQueue(const std::string& name, bool makeDefault);
    void SetDefault(const std::string& name);
    void DeleteQueue(const std::string& name);
    // The queue refuses new jobs (cupsreject) or takes them again.
    void RejectJobs(const std::string& name);
    void AcceptJobs(const std::string& name);

    // Completed (and otherwise finished) jobs of a queue, oldest first, as the spooler reports them.
    std::vector<Job> FinishedJobs(const std::string& queue) const;
    // Waits until `count` jobs of the queue have finished; false on timeout.
    bool WaitForFinishedJobs(const std::string& queue, std::size_t count,
                             std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    // The PDF that cups-pdf wrote for a job, or empty when there is none (yet).
    std::string PdfOfJob(int jobId) const;
    // Waits for the PDF of a job to be complete on disk; empty on timeout.
    std::string WaitForPdf(int jobId, std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
    // The document as the program handed it to the spooler (Qt's PDF), kept after the job: the
    // PDF that cups-pdf makes from it must hold the same text.
    std::string SpooledDocument(int jobId) const;
    // The scheduler's page log: one line per printed page, with the job's name.
    std::string PageLog() const;
    // The priority the spooler gave a job of the queue (1-100), or 0 for no such job.
    int JobPriority(const std::string& queue, int jobId) const;

    const std::string& Dir() const { return dir_; }
    const std::string& Socket() const { return socket_; }
    std::string OutputDir() const { return dir_ + "/out"; }

    // Text and facts of a PDF, through poppler's tools.
    static std::string PdfText(const std::string& pdf);
    struct PdfFacts {
        int Pages = 0;
        double WidthPt = 0;  // page size in points
        double HeightPt = 0;
    };
    static PdfFacts PdfInfo(const std::string& pdf);

    // Runs a shell command in this process's environment; its output (with the error output
    // when `withErrors`), or an exception carrying it when the command fails.
    static std::string Run(const std::string& command, bool withErrors = true);

private:
    void PointAt(const std::string& socket);
    void Admin(const std::string& args) const;
    void StopRefusing();

    std::string dir_;
    std::string socket_;
    int pid_ = -1;
    bool privateMount_ = true;
    std::vector<std::string> instanceFiles_;  // only without a private mount
    int refusingSocket_ = -1;
    std::atomic<bool> refusing_{false};
    std::thread refuser_;
};

#include "cups_sandbox.h"

#include <cups/cups.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace {

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream out(path);
    out << text;
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Accepts(const std::string& socketPath) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) return false;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof address.sun_path - 1);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

// ipptool wants the socket path inside the URI's host part, percent-encoded.
std::string UriHost(const std::string& socketPath) {
    std::string host;
    for (const unsigned char c : socketPath) {
        if (std::isalnum(c) || c == '.' || c == '-' || c == '_') {
            host += static_cast<char>(c);
        } else {
            char buffer[4];
            std::snprintf(buffer, sizeof buffer, "%%%02X", c);
            host += buffer;
        }
    }
    return host;
}

std::vector<std::string> SplitCsv(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (const char c : line) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted) {
            fields.push_back(field);
            field.clear();
        } else
            field += c;
    }
    fields.push_back(field);
    return fields;
}

// cups-pdf's own Ghostscript call, with one prologue. The queue's PostScript comes from cairo,
// which splits each font into two Type 42 subsets, its Latin glyphs in one and the rest in the
// other, and gives both the font's own name. Ghostscript's PDF writer takes two fonts of one
// name for one font: glyphs that do not fit the font it already holds come out as an unnamed
// bitmap Type 3 font without text ("No.7" or "3.3" next to Japanese text in the same face
// read back as "N" or nothing). The prologue names each Type 42 font after its family and the
// resource name that cairo made unique ("IPAMincho-f-1-0"), so both subsets keep their text.
// Nothing in it may contain a percent sign: cups-pdf fills the line in with printf.
const char* const GhostscriptCall =
    "%s -q -dCompatibilityLevel=%s -dNOPAUSE -dBATCH -dSAFER -sDEVICE=pdfwrite -sOutputFile=\"%s\" "
    "-dAutoRotatePages=/PageByPage -dAutoFilterColorImages=false -dColorImageFilter=/FlateEncode "
    "-dPDFSETTINGS=/prepress -c \""
    "/definefont{dup type/dicttype eq{dup wcheck{dup/FontType get 42 eq{"
    "dup/FontName get 128 string cvs 2 index 128 string cvs "
    "2 copy length exch length add 1 add string "
    "dup 0 4 index putinterval dup 3 index length(-)putinterval "
    "dup 3 index length 1 add 3 index putinterval cvn 3 1 roll pop pop "
    "1 index exch/FontName exch put}if}if}if systemdict/definefont get exec}bind def"
    "\" -f %s";

}  // namespace

CupsSandbox::CupsSandbox() {
    char pattern[] = "/tmp/cups-sandbox.XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("cannot create a temporary directory");
    dir_ = pattern;
    socket_ = dir_ + "/cups.sock";
    // The filters run as lp: everything they read or write must be reachable for it.
    fs::permissions(dir_, fs::perms(0755));
    for (const char* sub : {"root", "spool", "cache", "state", "log", "tmp", "out", "client"})
        fs::create_directories(dir_ + "/" + sub);
    fs::permissions(dir_ + "/tmp", fs::perms(01777));
    fs::permissions(dir_ + "/out", fs::perms(01777));
}

CupsSandbox::~CupsSandbox() {
    StopRefusing();
    Stop();
    for (const std::string& file : instanceFiles_) {
        std::error_code ignored;
        fs::remove(file, ignored);
    }
    if (!std::getenv("TAVRELO_KEEP_CUPS_SANDBOX")) {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
}

int PrintingTestExit(int failures) {
    if (failures != 0 || CupsSandbox::Unavailable().empty()) return failures;
    if (std::getenv("TAVRELO_REQUIRE_PRINTING")) {
        std::fprintf(stderr, "printing was required but could not be tested: %s\n", CupsSandbox::Unavailable().c_str());
        return 1;
    }
    return 77;
}

std::string CupsSandbox::Unavailable() {
    if (::geteuid() != 0)
        return "the private scheduler needs root (cups-pdf runs only as root, and the mount namespace too)";
    for (const char* tool :
         {"/usr/sbin/cupsd", "/usr/bin/unshare", "/usr/sbin/lpadmin", "/usr/bin/ipptool", "/usr/bin/pdftotext",
          "/usr/bin/pdfinfo", "/usr/lib/cups/backend/cups-pdf", "/etc/cups/cups-pdf.conf"}) {
        if (!fs::exists(tool)) return std::string(tool) + " is missing (run scripts/install-deps.sh)";
    }
    return {};
}

void CupsSandbox::Start() {
    WriteFile(dir_ + "/cupsd.conf",
              "LogLevel warn\n"
              "Listen " +
                  socket_ +
                  "\n"
                  "Browsing Off\n"
                  "WebInterface No\n"
                  "PreserveJobFiles Yes\n"
                  "DefaultAuthType None\n"
                  "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                  "<Location /admin>\n  Order allow,deny\n  Allow all\n</Location>\n"
                  // Job names must be readable by anyone who asks: the tests check them.
                  "<Policy default>\n"
                  "  JobPrivateAccess all\n  JobPrivateValues none\n"
                  "  SubscriptionPrivateAccess all\n  SubscriptionPrivateValues none\n"
                  "  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                  "</Policy>\n");
    WriteFile(dir_ + "/cups-files.conf", "ServerRoot " + dir_ +
                                             "/root\n"
                                             "RequestRoot " +
                                             dir_ +
                                             "/spool\n"
                                             "CacheDir " +
                                             dir_ +
                                             "/cache\n"
                                             "StateDir " +
                                             dir_ +
                                             "/state\n"
                                             "TempDir " +
                                             dir_ +
                                             "/tmp\n"
                                             "AccessLog " +
                                             dir_ +
                                             "/log/access_log\n"
                                             "ErrorLog " +
                                             dir_ +
                                             "/log/error_log\n"
                                             "PageLog " +
                                             dir_ +
                                             "/log/page_log\n"
                                             "Printcap " +
                                             dir_ +
                                             "/printcap\n"
                                             "FileDevice No\n"
                                             "Sandboxing relaxed\n"
                                             "SystemGroup root\n");
    WriteFile(dir_ + "/cups-pdf.conf", "Out " + OutputDir() +
                                           "\n"
                                           "AnonDirName " +
                                           OutputDir() +
                                           "\n"
                                           "Spool " +
                                           dir_ +
                                           "/cups-pdf-spool\n"
                                           "Log " +
                                           dir_ +
                                           "/log\n"
                                           "Label 1\n"
                                           "DecodeHexStrings 1\n"
                                           "Grp root\n"
                                           "GSCall " +
                                           std::string(GhostscriptCall) + "\n");

    // cups-pdf reads only its compiled-in configuration path: replace that file inside a
    // private mount namespace, visible to this scheduler and its backends alone.
    // TAVRELO_CUPS_SANDBOX_NO_MOUNT tries the other way on a machine where both work.
    privateMount_ = !std::getenv("TAVRELO_CUPS_SANDBOX_NO_MOUNT") &&
                    std::system("unshare --mount --propagation private true >/dev/null 2>&1") == 0;
    const std::string cupsd = "exec cupsd -f -c '" + dir_ + "/cupsd.conf' -s '" + dir_ + "/cups-files.conf'";
    const std::string script =
        privateMount_ ? "mount --bind '" + dir_ + "/cups-pdf.conf' /etc/cups/cups-pdf.conf && " + cupsd : cupsd;
    std::vector<std::string> args = {"unshare", "--mount", "--propagation", "private", "sh", "-c", script};
    if (!privateMount_) args = {"sh", "-c", script};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string log = dir_ + "/log/cupsd.out";
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot start the scheduler: " + std::string(std::strerror(spawned)));
    pid_ = pid;

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!Accepts(socket_)) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            throw std::runtime_error("the scheduler stopped at once: " + ReadFile(log) +
                                     ReadFile(dir_ + "/log/error_log"));
        }
        if (std::chrono::steady_clock::now() > deadline)
            throw std::runtime_error("the scheduler did not open its socket: " + ReadFile(log));
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    PointAt(socket_);
}

void CupsSandbox::Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::kill(pid_, SIGCONT);  // a frozen scheduler takes its SIGTERM only once it runs again
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
}

void CupsSandbox::PointAtDeadScheduler() { PointAt(dir_ + "/nobody-listens.sock"); }

void CupsSandbox::Pause() {
    if (pid_ > 0) ::kill(pid_, SIGSTOP);
}

void CupsSandbox::Resume() {
    if (pid_ > 0) ::kill(pid_, SIGCONT);
}

void CupsSandbox::PointAtRefusingServer(const std::string& status) {
    StopRefusing();
    const std::string path = dir_ + "/refusing.sock";
    ::unlink(path.c_str());
    refusingSocket_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (refusingSocket_ < 0 || ::bind(refusingSocket_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(refusingSocket_, 16) != 0)
        throw std::runtime_error("cannot listen on " + path + ": " + std::strerror(errno));
    refusing_ = true;
    refuser_ =
        std::thread([this, answer = "HTTP/1.1 " + status + "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"] {
            while (refusing_) {
                pollfd listening{refusingSocket_, POLLIN, 0};
                if (::poll(&listening, 1, 50) <= 0) continue;
                const int client = ::accept(refusingSocket_, nullptr, nullptr);
                if (client < 0) continue;
                // The request's header and body, as far as they come within a moment, then the answer.
                std::string request;
                char buffer[4096];
                pollfd reading{client, POLLIN, 0};
                while (::poll(&reading, 1, 200) > 0) {
                    const ssize_t got = ::read(client, buffer, sizeof buffer);
                    if (got <= 0) break;
                    request.append(buffer, static_cast<std::size_t>(got));
                }
                if (::write(client, answer.data(), answer.size()) < 0) {
                    // the client went away: nothing to answer
                }
                ::close(client);
            }
        });
    PointAt(path);
}

void CupsSandbox::StopRefusing() {
    refusing_ = false;
    if (refuser_.joinable()) refuser_.join();
    if (refusingSocket_ >= 0) ::close(refusingSocket_);
    refusingSocket_ = -1;
}

void CupsSandbox::PointAt(const std::string& socket) {
    ::setenv("CUPS_SERVER", socket.c_str(), 1);
    // Neither the machine's client.conf and lpoptions nor the user's choice of printer counts.
    ::setenv("CUPS_SERVERROOT", (dir_ + "/client").c_str(), 1);
    ::unsetenv("PRINTER");
    ::unsetenv("LPDEST");
    // libcups keeps the server it found first and its connection: make it look again.
    cupsSetServer(nullptr);
}

void CupsSandbox::Admin(const std::string& args) const { Run("lpadmin " + args); }

void CupsSandbox::AddPdfQueue(const std::string& name, bool makeDefault) {
    std::string uri = "cups-pdf:/";
    if (!privateMount_) {
        // An instance name of this sandbox's own, so that no other sandbox shares its file.
        const std::string instance =
            "tavrelo" + std::to_string(::getpid()) + "x" + std::to_string(instanceFiles_.size());
        const std::string file = "/etc/cups/cups-pdf-" + instance + ".conf";
        WriteFile(file, ReadFile(dir_ + "/cups-pdf.conf"));
        instanceFiles_.push_back(file);
        uri += instance;
    }
    // The PDF goes to cups-pdf as PostScript. Only cairo's conversion keeps the text: poppler's
    // own leaves the fonts without their Unicode mapping, Ghostscript's turns every glyph into
    // a bitmap. (cairo's output still needs the Ghostscript prologue above.)
    Admin("-p '" + name + "' -E -v " + uri +
          " -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -o PageSize=A4 "
          "-o pdftops-renderer-default=pdftocairo");
    if (makeDefault) SetDefault(name);
}

void CupsSandbox::SetDefault(const std::string& name) { Admin("-d '" + name + "'"); }

void CupsSandbox::DeleteQueue(const std::string& name) { Admin("-x '" + name + "'"); }

void CupsSandbox::RejectJobs(const std::string& name) { Run("cupsreject '" + name + "'"); }

void CupsSandbox::AcceptJobs(const std::string& name) { Run("cupsaccept '" + name + "'"); }

std::vector<CupsSandbox::Job> CupsSandbox::FinishedJobs(const std::string& queue) const {
    const std::string out = Run("ipptool -c 'ipp://" + UriHost(socket_) + "/printers/" + queue +
                                "' /usr/share/cups/ipptool/get-completed-jobs.test");
    std::vector<Job> jobs;
    std::istringstream lines(out);
    std::string line;
    std::getline(lines, line);  // header: job-id,job-state,job-name,...
    while (std::getline(lines, line)) {
        const std::vector<std::string> fields = SplitCsv(line);
        if (fields.size() < 3 || fields[0].empty()) continue;
        jobs.push_back(Job{std::stoi(fields[0]), fields[1], fields[2]});
    }
    std::sort(jobs.begin(), jobs.end(), [](const Job& a, const Job& b) { return a.Id < b.Id; });
    return jobs;
}

bool CupsSandbox::WaitForFinishedJobs(const std::string& queue, std::size_t count,
                                      std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (FinishedJobs(queue).size() < count) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

std::string CupsSandbox::PdfOfJob(int jobId) const {
    // cups-pdf mangles the title into the file name; the job number at its end is reliable.
    const std::string suffix = "-job_" + std::to_string(jobId) + ".pdf";
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(OutputDir(), error)) {
        const std::string name = entry.path().filename().string();
        if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
            return entry.path().string();
    }
    return {};
}

std::string CupsSandbox::WaitForPdf(int jobId, std::chrono::milliseconds timeout) const {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        const std::string pdf = PdfOfJob(jobId);
        if (!pdf.empty() && ReadFile(pdf).find("%%EOF") != std::string::npos) return pdf;
        if (std::chrono::steady_clock::now() > deadline) return {};
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

std::string CupsSandbox::SpooledDocument(int jobId) const {
    char name[32];
    std::snprintf(name, sizeof name, "/spool/d%05d-001", jobId);
    const std::string path = dir_ + name;
    return fs::exists(path) ? path : std::string();
}

std::string CupsSandbox::PageLog() const { return ReadFile(dir_ + "/log/page_log"); }

int CupsSandbox::JobPriority(const std::string& queue, int jobId) const {
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ALL);
    int priority = 0;
    for (int k = 0; k < count; ++k) {
        if (jobs[k].id == jobId) priority = jobs[k].priority;
    }
    cupsFreeJobs(count, jobs);
    return priority;
}

std::string CupsSandbox::PdfText(const std::string& pdf) { return Run("pdftotext -enc UTF-8 '" + pdf + "' -", false); }

CupsSandbox::PdfFacts CupsSandbox::PdfInfo(const std::string& pdf) {
    const std::string info = Run("pdfinfo '" + pdf + "'", false);
    PdfFacts facts;
    std::smatch match;
    if (std::regex_search(info, match, std::regex(R"(Pages:\s+(\d+))"))) facts.Pages = std::stoi(match[1]);
    if (std::regex_search(info, match, std::regex(R"(Page size:\s+([\d.]+) x ([\d.]+) pts)"))) {
        facts.WidthPt = std::stod(match[1]);
        facts.HeightPt = std::stod(match[2]);
    }
    return facts;
}

std::string CupsSandbox::Run(const std::string& command, bool withErrors) {
    FILE* pipe = ::popen((command + (withErrors ? " 2>&1" : " 2>/dev/null")).c_str(), "r");
    if (!pipe) throw std::runtime_error("cannot run " + command);
    std::string out;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, got);
    const int status = ::pclose(pipe);
    if (status != 0) throw std::runtime_error(command + " failed: " + out);
    return out;
}

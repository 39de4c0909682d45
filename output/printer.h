#pragma once
// The printer object: the one printer the program prints on, chosen at its first use (the
// system's default) or through the print settings dialog, with one open document at most.
// The dialog may also choose a PDF file instead of a printer; each document then becomes a
// file of its own beside the chosen name.
// It stands over Qt's printing support for the printer's settings and the page, and over CUPS
// for handing the finished page to the spooler.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/errors.h"
#include "drawing/canvas.h"

class QBuffer;
class QPaintDevice;
class QPainter;
class QPdfWriter;
class QPrinter;
class QPrintDialog;
class QWidget;

// A printer that cannot be used, or a document that cannot be started or finished.
class EPrinter : public Exception {
public:
    using Exception::Exception;
};

enum class TPrinterOrientation { poPortrait, poLandscape };

// The longest the spooler may take to accept one finished document. A scheduler that stops
// answering would otherwise hold the print, and the window with it, for good.
inline constexpr std::chrono::seconds HandOverLimit{30};

class TPrinter {
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // Writes the orientation into the current printer's settings. At the first use the
    // system's default printer becomes the current one.
    void SetOrientation(TPrinterOrientation orientation);

    // The printable area of the current printer's page, in its device pixels.
    std::int32_t PageWidth();
    std::int32_t PageHeight();

    // The name the next BeginDoc gives its document.
    std::string Title;
    // What the next document's file name carries after the chosen name, when the print
    // settings chose a file (see NumberedFileName); ignored for a printer.
    std::string FileNameTag;

    // Opens a document and its only page.
    void BeginDoc();
    // The surface of the open page.
    TCanvas& Canvas();
    // Ends the page and the document and hands it to the spooler (or writes the file); raises
    // when the spooler did not take it within the hand-over limit or the file cannot be
    // written. While the spooler takes it the window keeps handling its events; the document
    // counts as open until then.
    void EndDoc();
    // Drops the open document: nothing of it reaches the spooler or a file. For a page whose
    // drawing failed; without it the printer would stay busy for the rest of the run.
    void Abort();
    // A document is open or being handed over, or the scheduler is being asked for printers.
    bool Printing() const { return painter_ != nullptr || handingOver_ || lookingUp_; }

    // The print settings dialog over a copy of the current printer's settings, run modally by
    // `run`; accepted with a usable printer or file, the choice becomes current. True when it
    // did.
    bool ExecuteSetupDialog(QWidget* parent, const std::function<bool(QPrintDialog&)>& run);

    // The current printer's queue name; empty before the first use and for a file.
    std::string PrinterName() const;
    // The PDF file name chosen in the print settings, or empty when printing on a printer.
    std::string FileName() const;
    // The current printer, for what the program does not wrap (nullptr before the first use).
    QPrinter* Device() const { return device_.get(); }

    // Shortens the hand-over limit, for tests that stop the scheduler.
    void SetHandOverLimit(std::chrono::milliseconds limit) { handOverLimit_ = limit; }

private:
    QPrinter& Current();
    // Whether the scheduler answers, within the hand-over limit and with the window's events
    // going on; raises where it does not, and with `needPrinters` where it cannot list them.
    void AskScheduler(bool needPrinters);
    std::int32_t Extent(int (QPaintDevice::*measure)() const);
    std::string EndPage();
    void Finish(bool withEvents);
    void HandOver(const std::string& document, bool withEvents);

    std::unique_ptr<QPrinter> device_;
    // The open document: drawn into a PDF in memory, which EndDoc sends on.
    std::unique_ptr<QBuffer> pageBytes_;
    std::unique_ptr<QPdfWriter> pageWriter_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<TCanvas> canvas_;
    std::string documentFile_;
    bool handingOver_ = false;
    bool lookingUp_ = false;
    std::chrono::milliseconds handOverLimit_ = HandOverLimit;
};

// The one printer object of the run, created at its first use.
TPrinter& Printer();
// Drops the printer object so that the next Printer() starts afresh, as a new run would.
// Only for tests and tools that simulate several runs in one process.
void ReleasePrinter();

// The file one document goes to when the print settings chose `chosen`: `tag` goes in before
// the extension ("かけ算.pdf" and "_No7" give "かけ算_No7.pdf"), or at the end of a name
// without one.
std::string NumberedFileName(const std::string& chosen, const std::string& tag);

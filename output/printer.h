#pragma once
// The printer object: the one printer the program prints on, chosen at its first use (the
// system's default) or through the print settings dialog, with one open document at most.
// It stands over Qt's printing support, which reaches the spooler through CUPS.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "drawing/canvas.h"
#include "core/errors.h"

class QPaintDevice;
class QPainter;
class QPrinter;
class QPrintDialog;
class QWidget;

// A printer that cannot be used, or a document that cannot be started or finished.
class EPrinter : public Exception {
public:
    using Exception::Exception;
};

enum class TPrinterOrientation { poPortrait, poLandscape };

class TPrinter {
public:
    TPrinter();
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // Writes the orientation into the current printer's settings. At the first use the
    // system's default printer becomes the current one.
    void SetOrientation(TPrinterOrientation orientation);
    TPrinterOrientation Orientation();

    // The printable area of the current printer's page, in its device pixels.
    std::int32_t PageWidth();
    std::int32_t PageHeight();

    // The name the next BeginDoc gives its document.
    std::string Title;

    // Opens a document and its only page.
    void BeginDoc();
    // The surface of the open page.
    TCanvas& Canvas();
    // Ends the page and the document and hands it to the spooler; raises when the spooler
    // did not take it.
    void EndDoc();
    bool Printing() const { return painter_ != nullptr; }

    // The print settings dialog over a copy of the current printer's settings, run modally by
    // `run`; accepted, the chosen printer and settings become current. True when accepted.
    bool ExecuteSetupDialog(QWidget* parent, const std::function<bool(QPrintDialog&)>& run);

    // The current printer's queue name; empty before the first use.
    std::string PrinterName() const;
    // The current printer, for what the program does not wrap (nullptr before the first use).
    QPrinter* Device() const { return device_.get(); }

private:
    QPrinter& Current();
    std::int32_t Extent(int (QPaintDevice::*measure)() const);

    std::unique_ptr<QPrinter> device_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<TCanvas> canvas_;
};

// The one printer object of the run, created at its first use.
TPrinter& Printer();
// Drops the printer object so that the next Printer() starts afresh, as a new run would.
// Only for tests and tools that simulate several runs in one process.
void ReleasePrinter();

// Where the print settings dialog opens: horizontally centred on the screen of `window`, with
// a third of the remaining screen height above it.
void PlaceSetupDialog(QWidget& dialog, const QWidget* window);

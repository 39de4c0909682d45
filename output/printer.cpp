#include "output/printer.h"

#include <cups/cups.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>

#include "drawing/qt_canvas.h"

namespace {

const char* const kNoDefaultPrinter = "デフォルト プリンタが存在しません";
const char* const kNotSupported = "選択されたプリンタではサポートされていない機能です";
const char* const kInvalidPrinter = "選択したプリンタは有効ではありません";
const char* const kPrinting = "現在印刷中です";
const char* const kNotPrinting = "プリンタに印刷できる状態ではありません";

// Qt keeps the options chosen under the dialog's Properties (paper source, resolution and the
// like) in a private engine property; carrying it over keeps them when the dialog runs again.
const auto kCupsOptions = QPrintEngine::PrintEnginePropertyKey(QPrintEngine::PPK_CustomBase);

std::unique_ptr<TPrinter>& Instance()
{
    static std::unique_ptr<TPrinter> instance;
    return instance;
}

// Qt's printer list hides why it is empty; ask CUPS itself so that an unreachable scheduler is
// told apart from a scheduler without printers.
void CheckEnumeration()
{
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    const ipp_status_t status = cupsLastError();
    const char* text = cupsLastErrorString();
    cupsFreeDests(count, dests);
    // A scheduler without printers answers "not found"; that is no failure of the enumeration.
    if (count > 0 || status <= IPP_STATUS_OK_EVENTS_COMPLETE || status == IPP_STATUS_ERROR_NOT_FOUND)
        return;
    // CUPS gives every failure a status code, so the message without a code never arises.
    throw EPrinter("Win32 エラー。コード : " + std::to_string(static_cast<int>(status)) + ".\n" +
                   (text ? text : ""));
}

std::unique_ptr<QPrinter> OpenDefaultPrinter()
{
    CheckEnumeration();
    // A bare QPrinter would quietly take the first printer when none is the default.
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull() || !QPrinterInfo::availablePrinterNames().contains(info.printerName()))
        throw EPrinter(kNoDefaultPrinter);
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

// A fresh printer for the same queue with the same settings, for the dialog to work on.
std::unique_ptr<QPrinter> CopyOf(QPrinter& from)
{
    auto copy = std::make_unique<QPrinter>(QPrinterInfo::printerInfo(from.printerName()),
                                           QPrinter::HighResolution);
    copy->setPageLayout(from.pageLayout());
    copy->setColorMode(from.colorMode());
    copy->setDuplex(from.duplex());
    copy->printEngine()->setProperty(kCupsOptions, from.printEngine()->property(kCupsOptions));
    return copy;
}

}  // namespace

TPrinter::TPrinter() = default;

TPrinter::~TPrinter()
{
    // A document left open at the end of the run still goes to the spooler.
    canvas_.reset();
    if (painter_)
        painter_->end();
}

QPrinter& TPrinter::Current()
{
    if (!device_)
        device_ = OpenDefaultPrinter();
    return *device_;
}

void TPrinter::SetOrientation(TPrinterOrientation orientation)
{
    if (Printing())
        throw EPrinter(kPrinting);
    QPrinter& device = Current();
    if (!device.isValid())
        throw EPrinter(kNotSupported);
    device.setPageOrientation(orientation == TPrinterOrientation::poPortrait ? QPageLayout::Portrait
                                                                             : QPageLayout::Landscape);
}

TPrinterOrientation TPrinter::Orientation()
{
    return Current().pageLayout().orientation() == QPageLayout::Landscape
               ? TPrinterOrientation::poLandscape
               : TPrinterOrientation::poPortrait;
}

std::int32_t TPrinter::PageWidth() { return Extent(&QPaintDevice::width); }

std::int32_t TPrinter::PageHeight() { return Extent(&QPaintDevice::height); }

std::int32_t TPrinter::Extent(int (QPaintDevice::*measure)() const)
{
    // A printer that reports no printable area cannot be drawn on.
    QPrinter& device = Current();
    const int extent = device.isValid() ? (device.*measure)() : 0;
    if (extent <= 0)
        throw EPrinter(kInvalidPrinter);
    return extent;
}

void TPrinter::BeginDoc()
{
    if (Printing())
        throw EPrinter(kPrinting);
    QPrinter& device = Current();
    device.setDocName(QString::fromStdString(Title));
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(&device))
        throw EPrinter(kInvalidPrinter);
    painter_ = std::move(painter);
    canvas_ = std::make_unique<TQtCanvas>(*painter_);
}

TCanvas& TPrinter::Canvas()
{
    if (!Printing())
        throw EPrinter(kNotPrinting);
    return *canvas_;
}

void TPrinter::EndDoc()
{
    if (!Printing())
        throw EPrinter(kNotPrinting);
    canvas_.reset();
    std::unique_ptr<QPainter> painter = std::move(painter_);
    // Qt hands the finished file to CUPS inside end() and drops CUPS's answer; the answer is
    // still CUPS's last status on this thread, since submitting the job is its last request.
    const bool spooling = device_->outputFileName().isEmpty();
    const bool written = painter->end();
    const bool accepted = !spooling || cupsLastError() <= IPP_STATUS_OK_EVENTS_COMPLETE;
    if (!written || !accepted)
        throw EPrinter(kInvalidPrinter);
}

bool TPrinter::ExecuteSetupDialog(QWidget* parent, const std::function<bool(QPrintDialog&)>& run)
{
    if (Printing())
        throw EPrinter(kPrinting);
    // The dialog writes into its printer as the user picks; give it a copy so that Cancel
    // leaves the current printer as it was.
    std::unique_ptr<QPrinter> candidate = CopyOf(Current());
    QPrintDialog dialog(candidate.get(), parent);
    // The printer and its properties (paper included); no page ranges, copies or file output.
    dialog.setOptions(QAbstractPrintDialog::PrintShowPageSize);
    PlaceSetupDialog(dialog, parent);
    if (!run(dialog))
        return false;
    device_ = std::move(candidate);
    return true;
}

std::string TPrinter::PrinterName() const
{
    return device_ ? device_->printerName().toStdString() : std::string();
}

TPrinter& Printer()
{
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

void PlaceSetupDialog(QWidget& dialog, const QWidget* window)
{
    QScreen* screen = window ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    dialog.adjustSize();
    const QRect area = screen->geometry();
    const QSize size = dialog.size();
    dialog.move(area.x() + (area.width() - size.width()) / 2,
                area.y() + (area.height() - size.height()) / 3);
}

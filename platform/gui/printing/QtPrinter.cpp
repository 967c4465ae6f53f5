#include "printing/QtPrinter.h"

#include <algorithm>
#include <cstdlib>

#include <QFontMetrics>
#include <QPrinterInfo>

#include "screen/Colors.h"

std::unique_ptr<QPrinter> NewPrinterDevice()
{
    const QString pdfFile = qEnvironmentVariable("PICTORIA_PRINT_PDF");
    if (!pdfFile.isEmpty()) {
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdfFile);
        return printer;
    }
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        throw EPrinter("There is no default printer currently selected");
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

TQtPrinterCanvas::TQtPrinterCanvas(std::function<std::unique_ptr<QPrinter>()> device) : device_(std::move(device)) {}

QPainter& TQtPrinterCanvas::Painter()
{
    if (!painter_)
        throw EPrinter("Printer is not currently printing");
    return *painter_;
}

QFont TQtPrinterCanvas::PrinterFont()
{
    QFont font = Font().ToQFont();
    font.setPointSize(std::max(1, std::abs(Font().Size())));
    return font;
}

QFontMetrics TQtPrinterCanvas::Metrics()
{
    if (painter_)
        return QFontMetrics(PrinterFont(), painter_->device());
    const std::unique_ptr<QPrinter> device = device_();
    return QFontMetrics(PrinterFont(), device.get());
}

void TQtPrinterCanvas::TextOut(int x, int y, const std::string& text)
{
    QPainter& painter = Painter();
    painter.setFont(PrinterFont());
    painter.setPen(ColorToQColor(Font().Color()));
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), QString::fromStdString(text));
}

int TQtPrinterCanvas::TextWidth(const std::string& text)
{
    return Metrics().horizontalAdvance(QString::fromStdString(text));
}

int TQtPrinterCanvas::TextHeight(const std::string&)
{
    return Metrics().height();
}

void TQtPrinterCanvas::StretchDraw(const QRect& target, const TGraphic& graphic)
{
    graphic.Draw(Painter(), target);
}

TQtPrinter::TQtPrinter() : canvas_(NewPrinterDevice) {}

TQtPrinter::~TQtPrinter() = default;

// A printer's paint device is its printable area.
QSize TQtPrinter::PageSize() const
{
    if (printer_)
        return {printer_->width(), printer_->height()};
    const std::unique_ptr<QPrinter> device = NewPrinterDevice();
    return {device->width(), device->height()};
}

int TQtPrinter::PageWidth() const { return PageSize().width(); }

int TQtPrinter::PageHeight() const { return PageSize().height(); }

void TQtPrinter::StartJob()
{
    std::unique_ptr<QPrinter> printer = NewPrinterDevice();
    printer->setDocName(QString::fromStdString(Title()));
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(printer.get()))
        throw EPrinter("The print job could not be started");
    printer_ = std::move(printer);
    painter_ = std::move(painter);
    canvas_.SetPainter(painter_.get());
}

void TQtPrinter::FinishJob()
{
    canvas_.SetPainter(nullptr);
    painter_->end();
    painter_.reset();
    printer_.reset();
}

// The printer over Qt: the desktop's default printer (CUPS), or a PDF file
// when the environment variable PICTORIA_PRINT_PDF names one, so machines
// without a printer, and tests, can print. The choice is made again for
// every job. The device exists only while a job runs; questions outside one
// (page size, text extents) are asked of a fresh device.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QPainter>
#include <QPrinter>

#include "printing/Printers.h"

class TQtPrinterCanvas : public TPrinterCanvas {
public:
    // device answers the text metrics outside a job.
    explicit TQtPrinterCanvas(std::function<std::unique_ptr<QPrinter>()> device);

    void TextOut(int x, int y, const std::string& text) override;
    int TextWidth(const std::string& text) override;
    int TextHeight(const std::string& text) override;
    void StretchDraw(const QRect& target, const TGraphic& graphic) override;

    // The job's painter, or nullptr between jobs.
    void SetPainter(QPainter* painter) { painter_ = painter; }

private:
    QPainter& Painter();
    QFont PrinterFont();
    QFontMetrics Metrics();

    std::function<std::unique_ptr<QPrinter>()> device_;
    QPainter* painter_ = nullptr;
};

class TQtPrinter : public TPrinter {
public:
    TQtPrinter();
    ~TQtPrinter() override;

    int PageWidth() const override;
    int PageHeight() const override;
    TPrinterCanvas& Canvas() override { return canvas_; }

protected:
    void StartJob() override;
    void FinishJob() override;

private:
    QSize PageSize() const;

    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    TQtPrinterCanvas canvas_;
};

// A printer set up for the default printer or the PDF file, at its full
// resolution; raises EPrinter when there is neither.
std::unique_ptr<QPrinter> NewPrinterDevice();

// The printer: one print job at a time, drawn page by page on the printer's
// canvas in its own device pixels. Printer() is the printer in use: the Qt
// one (QtPrinter.h) unless a TPrinterScope installs another, as tests do
// with a recording double.
#pragma once

#include <string>

#include <QRect>

#include "Exceptions.h"
#include "pictures/Graphics.h"
#include "screen/Fonts.h"

class EPrinter : public Exception {
    using Exception::Exception;
};

// The drawing a print job offers, in the printer's pixels.
class TPrinterCanvas {
public:
    virtual ~TPrinterCanvas() = default;

    // Sizes are in points at the printer's resolution: an 8 point font
    // prints 8 points high, however many pixels that takes.
    TFont& Font() { return font_; }

    // y is the top of the text.
    virtual void TextOut(int x, int y, const std::string& text) = 0;
    virtual int TextWidth(const std::string& text) = 0;
    virtual int TextHeight(const std::string& text) = 0;
    // Draws graphic stretched into target.
    virtual void StretchDraw(const QRect& target, const TGraphic& graphic) = 0;

private:
    TFont font_;
};

class TPrinter {
public:
    virtual ~TPrinter() = default;

    // The print job's name, taken when the document begins.
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }

    // Raises EPrinter "There is no default printer currently selected" when
    // there is no printer, "Printing in progress" during another job.
    void BeginDoc();
    // Sends the job; raises EPrinter "Printer is not currently printing"
    // outside one.
    void EndDoc();
    bool Printing() const { return printing_; }

    // The printable page in device pixels.
    virtual int PageWidth() const = 0;
    virtual int PageHeight() const = 0;
    virtual TPrinterCanvas& Canvas() = 0;

protected:
    virtual void StartJob() = 0;
    virtual void FinishJob() = 0;

private:
    std::string title_;
    bool printing_ = false;
};

// The printer in use.
TPrinter& Printer();

// Installs a printer for its own lifetime and restores the previous one after.
class TPrinterScope {
public:
    explicit TPrinterScope(TPrinter& printer);
    ~TPrinterScope();
    TPrinterScope(const TPrinterScope&) = delete;
    TPrinterScope& operator=(const TPrinterScope&) = delete;

private:
    TPrinter* previous_;
};

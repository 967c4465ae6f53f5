#include "printing/Printers.h"

#include "printing/QtPrinter.h"

namespace {

TPrinter* current = nullptr;

} // namespace

void TPrinter::BeginDoc()
{
    if (printing_)
        throw EPrinter("Printing in progress");
    StartJob();
    printing_ = true;
}

void TPrinter::EndDoc()
{
    if (!printing_)
        throw EPrinter("Printer is not currently printing");
    printing_ = false;
    FinishJob();
}

// The Qt printer is made on first use, once the application exists.
TPrinter& Printer()
{
    static TQtPrinter qtPrinter;
    return current ? *current : qtPrinter;
}

TPrinterScope::TPrinterScope(TPrinter& printer) : previous_(current) { current = &printer; }

TPrinterScope::~TPrinterScope() { current = previous_; }

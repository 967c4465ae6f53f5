#include "PicturePrint.h"

#include "PrintLayout.h"
#include "dialogs/Dialogs.h"
#include "pictures/Graphics.h"
#include "printing/Printers.h"

namespace pictoalbum {

namespace {

void DrawPage(TPrinter& printer, const TGraphic& picture, const std::string& caption)
{
    TPrinterCanvas& canvas = printer.Canvas();
    const std::optional<TPrintLayout> layout =
        LayOutPrint(picture.Width(), picture.Height(), printer.PageWidth(), printer.PageHeight(),
                    canvas.TextWidth(caption), canvas.TextHeight(caption));
    canvas.StretchDraw(QRect(0, 0, layout->PictureWidth, layout->PictureHeight), picture);
    canvas.TextOut(layout->CaptionX, layout->CaptionY, caption);
}

} // namespace

void PrintPicture(const TGraphic* picture, const std::string& caption)
{
    if (!picture || picture->Empty() || picture->Width() <= 0 || picture->Height() <= 0) {
        ShowMessage("The picture is empty: there is nothing to print.");
        return;
    }
    TPrinter& printer = Printer();
    printer.SetTitle(caption);
    printer.BeginDoc();
    // Ending the document may fail itself, so it is not left to a
    // destructor while a drawing failure unwinds.
    try {
        DrawPage(printer, *picture, caption);
    } catch (...) {
        printer.EndDoc();
        throw;
    }
    printer.EndDoc();
}

} // namespace pictoalbum

// A printer double that records the job: its title, BeginDoc and EndDoc
// and every drawing call, one line each, in order:
//   BeginDoc "title"
//   TextOut x,y "text"
//   StretchDraw left,top,right,bottom 800x600   (the target; the graphic's size)
//   EndDoc
// The page size and the text extents are fixed numbers the test chooses,
// so layouts come out exact. It can act as a machine without a printer, or
// fail every drawing call. It is Printer() while it lives.
#pragma once

#include <string>
#include <vector>

#include "printing/Printers.h"

class RecordingPrinterCanvas : public TPrinterCanvas {
public:
    explicit RecordingPrinterCanvas(std::vector<std::string>& log) : log_(log) {}

    int FixedTextWidth = 100;
    int FixedTextHeight = 20;
    bool DrawingFails = false;

    void TextOut(int x, int y, const std::string& text) override
    {
        Drawing();
        log_.push_back("TextOut " + std::to_string(x) + "," + std::to_string(y) + " \"" + text + "\"");
    }
    int TextWidth(const std::string&) override { return FixedTextWidth; }
    int TextHeight(const std::string&) override { return FixedTextHeight; }
    void StretchDraw(const QRect& target, const TGraphic& graphic) override
    {
        Drawing();
        log_.push_back("StretchDraw " + std::to_string(target.left()) + "," + std::to_string(target.top()) + "," +
                       std::to_string(target.left() + target.width()) + "," +
                       std::to_string(target.top() + target.height()) + " " + std::to_string(graphic.Width()) + "x" +
                       std::to_string(graphic.Height()));
    }

private:
    void Drawing()
    {
        if (DrawingFails)
            throw EPrinter("The printer failed");
    }

    std::vector<std::string>& log_;
};

class RecordingPrinter : public TPrinter {
public:
    RecordingPrinter(int pageWidth = 4800, int pageHeight = 6600) : pageWidth_(pageWidth), pageHeight_(pageHeight) {}

    std::vector<std::string> Log;
    // BeginDoc raises as on a machine without a printer.
    bool NoPrinter = false;

    int PageWidth() const override { return pageWidth_; }
    int PageHeight() const override { return pageHeight_; }
    RecordingPrinterCanvas& Canvas() override { return canvas_; }

protected:
    void StartJob() override
    {
        if (NoPrinter)
            throw EPrinter("There is no default printer currently selected");
        Log.push_back("BeginDoc \"" + Title() + "\"");
    }
    void FinishJob() override { Log.push_back("EndDoc"); }

private:
    int pageWidth_;
    int pageHeight_;
    RecordingPrinterCanvas canvas_{Log};
    TPrinterScope scope_{*this}; // Printer() while the double lives
};

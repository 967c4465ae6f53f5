// A form built as designed, at 96 pixels per inch, and scaled to the
// screen's pixels per inch once it is built: lengths, alignments, fonts,
// labels that size themselves; and the layer's own message and input boxes
// drawn at the screen's pixels per inch.
#include "controls/Forms.h"

#include <functional>

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <gtest/gtest.h>

#include "GuiTestApp.h"
#include "ScreenResolution.h"
#include "controls/Buttons.h"
#include "controls/ExtCtrls.h"
#include "controls/StdCtrls.h"
#include "dialogs/QtDialogs.h"

namespace {

// A window like the viewer's: a top bar with a button and a label, a
// bottom bar with a panel on its right, a scroll box over the rest, an
// edit at its new size and a label of its own larger font.
class DesignedForm : public TForm {
public:
    DesignedForm()
    {
        SetClientWidth(633);
        SetClientHeight(257);
        Font().SetHeight(-11);
        top = NewPanel(alTop);
        top->SetHeight(41);
        button = NewBitBtn(*this, top, "Button", "&Open Album", Bounds(16, 8, 105, 25));
        bottom = NewPanel(alBottom);
        bottom->SetHeight(21);
        right = NewComponent<TPanel>(*this);
        right->SetParent(bottom);
        right->SetAlign(alRight);
        right->SetBevelOuter(bvNone);
        right->SetWidth(87);
        rest = NewPanel(alClient);
        edit = NewComponent<TEdit>(*this);
        edit->SetParent(rest);
        edit->SetLeft(176);
        edit->SetTop(20);
        title = NewComponent<TLabel>(*this);
        title->SetParent(rest);
        title->SetLeft(72);
        title->SetTop(24);
        title->SetCaption("Filename of Album:");
        banner = NewCentredLabel(*this, rest, "Banner", "Loading Album...", Bounds(8, 16, 193, 25));
        banner->Font().SetHeight(-16);
        ScaleDesign();
    }

    TPanel* NewPanel(TAlign align)
    {
        TPanel* panel = NewComponent<TPanel>(*this);
        panel->SetParent(this);
        panel->SetAlign(align);
        panel->SetBevelOuter(bvNone);
        return panel;
    }

    TPanel* top;
    TBitBtn* button;
    TPanel* bottom;
    TPanel* right;
    TPanel* rest;
    TEdit* edit;
    TLabel* title;
    TLabel* banner;
};

struct ScaleCase {
    int ppi;
    int clientWidth, clientHeight;
    int topHeight, bottomHeight, rightWidth;
    TRect button, edit, banner;
    TPoint title;
    int fontHeight, bannerFontHeight;
    int fontPixels; // the stand-in font as drawn
};

const ScaleCase ScaleCases[] = {
    {96, 633, 257, 41, 21, 87, Bounds(16, 8, 105, 25), Bounds(176, 20, 121, 21), Bounds(8, 16, 193, 25), {72, 24}, -11,
     -16, 10},
    {120, 791, 321, 51, 26, 109, Bounds(20, 10, 131, 31), Bounds(220, 25, 151, 26), Bounds(10, 20, 241, 31), {90, 30},
     -14, -20, 13},
    {144, 950, 386, 62, 32, 130, Bounds(24, 12, 158, 38), Bounds(264, 30, 182, 32), Bounds(12, 24, 290, 38), {108, 36},
     -16, -24, 15},
    {192, 1266, 514, 82, 42, 174, Bounds(32, 16, 210, 50), Bounds(352, 40, 242, 42), Bounds(16, 32, 386, 50), {144, 48},
     -22, -32, 20},
};

} // namespace

TEST(DesignScaleTest, ABuiltFormTakesTheScreensPixelsPerInch)
{
    TestApplication();
    for (const ScaleCase& row : ScaleCases) {
        SCOPED_TRACE(row.ppi);
        ScreenResolution resolution(row.ppi);
        DesignedForm form;
        EXPECT_EQ(form.PixelsPerInch(), row.ppi);
        EXPECT_EQ(form.ClientWidth(), row.clientWidth);
        EXPECT_EQ(form.ClientHeight(), row.clientHeight);
        EXPECT_EQ(form.top->BoundsRect(), Bounds(0, 0, row.clientWidth, row.topHeight));
        EXPECT_EQ(form.bottom->BoundsRect(),
                  Bounds(0, row.clientHeight - row.bottomHeight, row.clientWidth, row.bottomHeight));
        EXPECT_EQ(form.right->BoundsRect(),
                  Bounds(form.bottom->ClientWidth() - row.rightWidth, 0, row.rightWidth, form.bottom->ClientHeight()));
        EXPECT_EQ(form.rest->BoundsRect(),
                  Bounds(0, row.topHeight, row.clientWidth, row.clientHeight - row.topHeight - row.bottomHeight));
        EXPECT_EQ(form.button->BoundsRect(), row.button);
        EXPECT_EQ(form.edit->BoundsRect(), row.edit);
        EXPECT_EQ(form.banner->BoundsRect(), row.banner);
        EXPECT_EQ((TPoint{form.title->Left(), form.title->Top()}), row.title);

        EXPECT_EQ(form.Font().Height(), row.fontHeight);
        EXPECT_EQ(form.button->Font().Height(), row.fontHeight);
        EXPECT_EQ(form.banner->Font().Height(), row.bannerFontHeight);
        EXPECT_EQ(form.edit->Widget()->font().pixelSize(), row.fontPixels);
        // A label that sizes itself does so in its scaled font.
        EXPECT_EQ(form.title->Width(), form.title->Widget()->sizeHint().width());
        EXPECT_EQ(form.title->Height(), form.title->Widget()->sizeHint().height());
    }
}

TEST(DesignScaleTest, WhatIsPlacedAfterwardsIsPlacedInScreenPixels)
{
    TestApplication();
    ScreenResolution resolution(120);
    DesignedForm form;
    form.ScaleDesign(); // a second call changes nothing
    EXPECT_EQ(form.ClientWidth(), 791);
    EXPECT_EQ(form.button->BoundsRect(), Bounds(20, 10, 131, 31));
    TPanel* later = NewComponent<TPanel>(form);
    later->SetParent(form.rest);
    later->SetBounds(ScaleByPPI(18, 120), ScaleByPPI(16, 120), 131, 131);
    form.button->SetWidth(form.top->ClientWidth() / 2);
    EXPECT_EQ(later->BoundsRect(), Bounds(22, 20, 131, 131));
    EXPECT_EQ(form.button->Width(), 395);
}

namespace {

// What the layer's box looked like, taken while it was up; the box is then
// cancelled.
struct ShownBox {
    int fontPixels = 0;
    int width = 0;
};

ShownBox WhileUp(const std::function<void()>& open)
{
    ShownBox shown;
    QTimer::singleShot(0, [&shown] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        shown = {box->font().pixelSize(), box->width()};
        box->reject();
    });
    open();
    return shown;
}

} // namespace

TEST(DesignScaleTest, MessageAndInputBoxesTakeTheScreensPixelsPerInch)
{
    TestApplication();
    TQtDialogs dialogs;
    int lastMessageWidth = 0;
    int lastInputWidth = 0;
    for (const ScaleCase& row : ScaleCases) {
        SCOPED_TRACE(row.ppi);
        ScreenResolution resolution(row.ppi);
        const ShownBox message =
            WhileUp([&] { dialogs.MessageBox("Couldn't Find Pictures at /tmp/trip.pxa", "Pictoria", MB_OK); });
        EXPECT_EQ(message.fontPixels, row.fontPixels);
        EXPECT_GT(message.width, lastMessageWidth);
        lastMessageWidth = message.width;

        std::string typed = "old";
        const ShownBox input =
            WhileUp([&] { EXPECT_FALSE(dialogs.InputQuery("Password", "Please Enter the Password Here", typed)); });
        EXPECT_EQ(input.fontPixels, row.fontPixels);
        EXPECT_GT(input.width, lastInputWidth);
        lastInputWidth = input.width;
        EXPECT_EQ(typed, "old");
    }
}

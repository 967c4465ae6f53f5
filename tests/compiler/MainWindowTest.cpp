// The main window as designed: its client area below the menu bar, the top
// bar and the grid's scroll box under it.
#include <gtest/gtest.h>

#include "MainForm.h"
#include "GuiTestApp.h"
#include "ScreenResolution.h"

namespace pictomake {

namespace {

class NoRegistrar : public TFileTypeRegistrar {
public:
    void Register(const std::vector<TFileTypeKey>&) override {}
};

struct PlacedControl {
    const char* name;
    TRect bounds;
};

const PlacedControl TopBar[] = {
    {"BitBtn3", Bounds(8, 8, 89, 25)},    {"BitBtn4", Bounds(104, 8, 89, 25)},
    {"BitBtn6", Bounds(200, 8, 89, 25)},  {"Label1", Bounds(296, 8, 113, 33)},
    {"BitBtn2", Bounds(416, 8, 97, 25)},  {"BitBtn5", Bounds(528, 8, 97, 25)},
    {"BitBtn1", Bounds(8, 40, 89, 25)},   {"Title", Bounds(168, 42, 201, 21)},
    {"BitBtn8", Bounds(416, 40, 97, 25)}, {"BitBtn7", Bounds(528, 40, 97, 25)},
};

TRect Scaled(TRect design, int ppi)
{
    return Bounds(ScaleByPPI(design.Left, ppi), ScaleByPPI(design.Top, ppi), ScaleByPPI(design.Width(), ppi),
                  ScaleByPPI(design.Height(), ppi));
}

struct WindowCase {
    int ppi;
    int clientWidth, clientHeight, topBarHeight;
};

const WindowCase WindowCases[] = {
    {96, 633, 391, 73},
    {120, 791, 489, 91},
    {144, 950, 586, 110},
    {192, 1266, 782, 146},
};

} // namespace

TEST(MainWindowTest, ClientAreaBelowTheMenuHoldsTheTopBarAndTheGrid)
{
    TestApplication();
    for (const WindowCase& row : WindowCases) {
        SCOPED_TRACE(row.ppi);
        ScreenResolution resolution(row.ppi);
        NoRegistrar registrar;
        TForm1 form(registrar, "/opt/pictoria/Pictomake", {});
        EXPECT_EQ(form.ClientWidth(), row.clientWidth);
        EXPECT_EQ(form.ClientHeight(), row.clientHeight);
        EXPECT_EQ(form.Height(), row.clientHeight + form.MainMenu1->Bar()->height());
        EXPECT_EQ(form.TopPanel->BoundsRect(), Bounds(0, 0, row.clientWidth, row.topBarHeight));
        EXPECT_EQ(form.ScrollBox1->BoundsRect(),
                  Bounds(0, row.topBarHeight, row.clientWidth, row.clientHeight - row.topBarHeight));
        for (const PlacedControl& control : TopBar) {
            SCOPED_TRACE(control.name);
            auto* placed = dynamic_cast<TControl*>(form.FindComponent(control.name));
            ASSERT_NE(placed, nullptr);
            EXPECT_EQ(placed->BoundsRect(), Scaled(control.bounds, row.ppi));
            EXPECT_EQ(placed->Parent(), form.TopPanel);
        }
    }
}

// Five columns of pictures fit across the window at every resolution, with
// no bar to scroll sideways.
TEST(MainWindowTest, FivePicturesFitAcross)
{
    TestApplication();
    for (const WindowCase& row : WindowCases) {
        SCOPED_TRACE(row.ppi);
        ScreenResolution resolution(row.ppi);
        NoRegistrar registrar;
        TForm1 form(registrar, "/opt/pictoria/Pictomake", {});
        form.ProjectFileName = UntitledProject;
        for (int n = 1; n <= 5; ++n)
            form.CreatePictUnit(n);
        const TControl* fifth = form.GetTImageofX(5)->Parent();
        EXPECT_LE(fifth->Left() + fifth->Width(), form.ScrollBox1->ClientWidth());
        EXPECT_EQ(form.ScrollBox1->ClientWidth(), row.clientWidth);
    }
}

} // namespace pictomake

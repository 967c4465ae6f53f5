// The main window as designed: its client area below the menu bar, the top
// bar and the grid's scroll box under it.
#include <gtest/gtest.h>

#include "MainForm.h"
#include "GuiTestApp.h"

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

} // namespace

TEST(MainWindowTest, ClientAreaBelowTheMenuHoldsTheTopBarAndTheGrid)
{
    TestApplication();
    NoRegistrar registrar;
    TForm1 form(registrar, "/opt/pictoria/Pictomake", {});
    EXPECT_EQ(form.ClientWidth(), 633);
    EXPECT_EQ(form.ClientHeight(), 391);
    EXPECT_EQ(form.Height(), 391 + form.MainMenu1->Bar()->height());
    EXPECT_EQ(form.TopPanel->BoundsRect(), Bounds(0, 0, 633, 73));
    EXPECT_EQ(form.ScrollBox1->BoundsRect(), Bounds(0, 73, 633, 391 - 73));
    for (const PlacedControl& control : TopBar) {
        SCOPED_TRACE(control.name);
        auto* placed = dynamic_cast<TControl*>(form.FindComponent(control.name));
        ASSERT_NE(placed, nullptr);
        EXPECT_EQ(placed->BoundsRect(), control.bounds);
        EXPECT_EQ(placed->Parent(), form.TopPanel);
    }
}

} // namespace pictomake

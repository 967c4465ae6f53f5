#include "MainForm.h"

#include <gtest/gtest.h>

#include "Format.h"
#include "PictureGrid.h"
#include "GridForm.h"
#include "GuiTestApp.h"

namespace pictomake {

namespace {

class NoRegistrar : public TFileTypeRegistrar {
public:
    void Register(const std::vector<TFileTypeKey>&) override {}
};

class PictUnitTest : public ::testing::Test {
protected:
    TApplication& application = TestApplication();
    NoRegistrar registrar;
};

} // namespace

TEST_F(PictUnitTest, UnitsArePlacedAndFoundByNumber)
{
    for (int ppi : {96, 120}) {
        SCOPED_TRACE(ppi);
        Screen->SetPixelsPerInch(ppi);
        TForm1 form(registrar, "/opt/Pictomake", {});
        form.ProjectFileName = UntitledProject;
        for (int n = 1; n <= 6; ++n)
            form.CreatePictUnit(n);
        form.PictureCount = 6;
        for (int n : {1, 5, 6}) {
            const TPictUnitPlace place = PictUnitPlace(n, ppi, 0);
            auto* panel = dynamic_cast<TPanel*>(form.FindComponent("Panel" + IntToStr(n)));
            auto* edit = dynamic_cast<TEdit*>(form.FindComponent("Edit" + IntToStr(n)));
            auto* box = dynamic_cast<TCheckBox*>(form.FindComponent("CheckBox" + IntToStr(n)));
            ASSERT_TRUE(panel && edit && box);
            EXPECT_EQ(panel->BoundsRect(), place.Panel);
            EXPECT_EQ(edit->Top(), place.EditTop);
            EXPECT_EQ(box->Top(), place.CheckBoxTop);
            EXPECT_EQ(edit->Text(), "Put Caption Here");
            EXPECT_FALSE(box->Checked());
            EXPECT_EQ(form.GetXofTImage(*form.GetTImageofX(n)), n);
            EXPECT_EQ(form.GetXofTPanel(*panel), n);
        }
        EXPECT_EQ(form.GetTImageofX(7), nullptr);
    }
    Screen->SetPixelsPerInch(96);
}

TEST_F(PictUnitTest, SelectionLivesInThePanelColours)
{
    TForm1 form(registrar, "/opt/Pictomake", {});
    form.ProjectFileName = UntitledProject;
    for (int n = 1; n <= 5; ++n)
        form.CreatePictUnit(n);
    form.PictureCount = 5;
    const TColor h = form.GetHighlightColor();
    auto colours = [&] {
        std::vector<bool> selected;
        for (int n = 1; n <= 5; ++n)
            selected.push_back(dynamic_cast<TPanel*>(form.FindComponent("Panel" + IntToStr(n)))->Color() == h);
        return selected;
    };
    form.CurrentImage = form.GetTImageofX(2);
    form.SelectCurrent(0, 0);
    EXPECT_EQ(colours(), (std::vector<bool>{false, true, false, false, false}));
    form.CurrentImage = form.GetTImageofX(4);
    form.SelectCurrent(1, 3);
    EXPECT_EQ(colours(), (std::vector<bool>{false, true, true, true, false}));
    form.CurrentImage = form.GetTImageofX(5);
    form.SelectCurrent(2, 0);
    EXPECT_EQ(colours(), (std::vector<bool>{false, true, true, true, true}));
    form.CurrentImage = form.GetTImageofX(1);
    form.SelectCurrent(1, 1);
    EXPECT_EQ(colours(), (std::vector<bool>{true, true, true, true, true}));
    form.SelectCurrent(0, 0);
    EXPECT_EQ(colours(), (std::vector<bool>{true, false, false, false, false}));
}

TEST(PictUnitScrollTest, AUnitBuiltWhileScrolledLandsInItsRow)
{
    GridForm grid(20);
    TControlScrollBar& bar = grid.form.ScrollBox1->VertScrollBar();
    bar.SetPosition(100);
    const int scrolled = bar.Position();
    ASSERT_GT(scrolled, 0);
    grid.Add();
    const TPictUnitPlace place = PictUnitPlace(21, 96, scrolled);
    EXPECT_EQ(grid.Panel(21).BoundsRect(), place.Panel);
    EXPECT_EQ(grid.Edit(21).Top(), place.EditTop);
    EXPECT_EQ(grid.CheckBox(21).Top(), place.CheckBoxTop);
    // In the scrolled content it sits where an unscrolled grid has row 5.
    EXPECT_EQ(grid.Panel(21).Top() + scrolled, PictUnitPlace(21, 96, 0).Panel.Top);
    EXPECT_EQ(grid.Panel(16).Top(), grid.Panel(21).Top() - 152);
}

} // namespace pictomake

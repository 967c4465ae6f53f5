// Remove Picture and the move it is made of: what is left, renumbered and
// placed, each picture with its own source, caption, protect mark and frame.
#include <gtest/gtest.h>

#include "GridForm.h"
#include "PictureGrid.h"

namespace pictomake {

namespace {

struct RemovalCase {
    const char* name;
    std::set<int> selected; // the last one is current
    std::vector<int> left;  // original numbers, in grid order
};

void PrintTo(const RemovalCase& row, std::ostream* out)
{
    *out << row.name;
}

const RemovalCase RemovalCases[] = {
    {"the current picture, first", {1}, {2, 3, 4, 5}},
    {"a middle picture", {3}, {1, 2, 4, 5}},
    {"the last picture", {5}, {1, 2, 3, 4}},
    {"pictures 2 and 4", {2, 4}, {1, 3, 5}},
    {"neighbours 3 and 4", {3, 4}, {1, 2, 5}},
    {"nothing highlighted", {}, {1, 2, 3, 4, 5}},
};

class PictureRemovalTest : public ::testing::TestWithParam<RemovalCase> {
protected:
    void Select(const std::set<int>& pictures)
    {
        for (int n = 1; n <= 5; ++n)
            grid.Panel(n).SetColor(pictures.contains(n) ? grid.form.GetHighlightColor() : clBtnFace);
        if (!pictures.empty())
            grid.form.CurrentImage = &grid.Image(*pictures.rbegin());
    }

    GridForm grid{5};
};

} // namespace

TEST_P(PictureRemovalTest, SelectedPicturesGoTheRestCloseUp)
{
    const RemovalCase& row = GetParam();
    grid.CheckBox(2).SetChecked(true);
    grid.CheckBox(5).SetChecked(true);
    grid.form.Modified = false;
    Select(row.selected);

    grid.form.ClosePicture1Click(grid.form.ClosePicture1);

    const int count = static_cast<int>(row.left.size());
    ASSERT_EQ(grid.form.PictureCount, count);
    EXPECT_EQ(grid.Order(), row.left);
    ASSERT_EQ(grid.form.PictureSources.size(), row.left.size());
    for (int n = 1; n <= count; ++n) {
        const int was = row.left[n - 1];
        SCOPED_TRACE(testing::Message() << "picture " << n << ", formerly " << was);
        EXPECT_EQ(grid.form.PictureSources[n - 1], "/photos/p" + IntToStr(was) + ".jpg");
        EXPECT_EQ(grid.Edit(n).Text(), "caption " + IntToStr(was));
        EXPECT_EQ(grid.CheckBox(n).Checked(), was == 2 || was == 5);
        const TPictUnitPlace place = PictUnitPlace(n, 96, 0);
        EXPECT_EQ(grid.Panel(n).BoundsRect(), place.Panel);
        EXPECT_EQ(grid.Edit(n).Top(), place.EditTop);
        EXPECT_EQ(grid.CheckBox(n).Top(), place.CheckBoxTop);
    }
    for (int n = count + 1; n <= 5; ++n)
        for (const char* prefix : {"Panel", "Image", "Edit", "CheckBox"})
            EXPECT_EQ(grid.form.FindComponent(prefix + IntToStr(n)), nullptr) << prefix << n;
    EXPECT_EQ(grid.form.CurrentImage, &grid.Image(1));
    EXPECT_EQ(grid.Selected(), std::set<int>{1});
    EXPECT_EQ(grid.form.Modified, !row.selected.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, PictureRemovalTest, ::testing::ValuesIn(RemovalCases), [](const auto& info) {
    std::string name;
    for (char c : std::string(info.param.name))
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += c;
    return name;
});

TEST(PictureRemovalEndTest, RemovingEveryPictureLeavesNoCurrentPicture)
{
    GridForm grid(3);
    for (int n = 1; n <= 3; ++n)
        grid.Panel(n).SetColor(grid.form.GetHighlightColor());
    grid.form.ClosePicture1Click(grid.form.ClosePicture1);
    EXPECT_EQ(grid.form.PictureCount, 0);
    EXPECT_TRUE(grid.form.PictureSources.empty());
    EXPECT_EQ(grid.form.CurrentImage, nullptr);
    EXPECT_EQ(grid.form.FindComponent("Image1"), nullptr);
    grid.Add(); // the grid starts again from picture 1
    EXPECT_EQ(grid.form.CurrentImage, &grid.Image(1));
    EXPECT_EQ(grid.Panel(1).BoundsRect(), PictUnitPlace(1, 96, 0).Panel);
}

struct MoveCase {
    int source;
    int target;
    std::vector<int> order;
};

TEST(PictureMoveTest, ADroppedPictureTakesThePlaceDroppedOn)
{
    const MoveCase cases[] = {
        {2, 5, {1, 3, 4, 5, 2}},
        {5, 2, {1, 5, 2, 3, 4}},
        {3, 3, {1, 2, 3, 4, 5}},
    };
    for (const MoveCase& row : cases) {
        SCOPED_TRACE(testing::Message() << row.source << " dropped on " << row.target);
        GridForm grid(5);
        grid.CheckBox(row.source).SetChecked(true);
        grid.Panel(row.source).SetColor(grid.form.GetHighlightColor());
        grid.form.Modified = false;
        grid.form.ImageDragDrop(&grid.Image(row.target), &grid.Image(row.source), 0, 0);
        EXPECT_EQ(grid.Order(), row.order);
        for (int n = 1; n <= 5; ++n) {
            const int was = row.order[n - 1];
            EXPECT_EQ(grid.form.PictureSources[n - 1], "/photos/p" + IntToStr(was) + ".jpg");
            EXPECT_EQ(grid.Edit(n).Text(), "caption " + IntToStr(was));
            EXPECT_EQ(grid.CheckBox(n).Checked(), was == row.source);
        }
        EXPECT_EQ(grid.Selected().contains(row.target), true);
        EXPECT_EQ(grid.form.Modified, row.source != row.target);
    }
}

} // namespace pictomake

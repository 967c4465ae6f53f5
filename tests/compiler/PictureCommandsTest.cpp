// The picture commands on the main window: adding from files and the
// clipboard, the add menu under its button, moving by "Move Picture" and a
// click, turning the selected pictures, saving and copying one, and the
// edits that mark the album changed.
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>
#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QTest>

#include "GridForm.h"
#include "HeldPicture.h"
#include "PictureRotation.h"
#include "TempDir.h"
#include "pictures/Clipbrd.h"
#include "pictures/Jpeg.h"
#include "screen/Screen.h"

namespace pictomake {

namespace {

const std::string OpenFilter = "All Picture Types (*.bmp;*.ico;*.emf;*.wmf;*.jpg)|*.bmp;*.ico;*.emf;*.wmf;*.jpg|"
                               "Bitmaps (*.bmp)|*.bmp|Icon Files (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|"
                               "Metafiles (*.wmf)|*.wmf|JPEG (*.jpg)|*.jpg";
const std::string SaveFilter =
    "All Picture Types (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|"
    "JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|"
    "Icon Files (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf";

std::string ReadFile(const std::string& fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& fileName, const std::string& bytes)
{
    std::ofstream(fileName, std::ios::binary) << bytes;
}

QImage Pixels(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 11 % 256, 90));
    return image;
}

// A picture file of the kind its extension names.
std::string WritePicture(const TempDir& dir, const std::string& name, int width, int height)
{
    const std::string path = (dir.Path() / name).string();
    TBitmap bitmap(Pixels(width, height));
    if (name.ends_with(".jpg")) {
        TJPEGImage jpeg;
        jpeg.Assign(bitmap);
        jpeg.SaveToFile(path);
    } else {
        bitmap.SaveToFile(path);
    }
    return path;
}

std::string Sample(const std::string& name)
{
    return std::string(PICTURE_SAMPLES_DIR) + "/" + name;
}

// A grid in the program as started, whose messages carry its title.
class TitledGrid : public GridForm {
public:
    explicit TitledGrid(int pictures) : GridForm(pictures) { application.SetTitle("Pictoria Compiler"); }
};

// The message a picture file that cannot be read raises.
std::string ReadError(const std::string& path)
{
    TPicture picture;
    try {
        picture.LoadFromFile(path);
    } catch (const Exception& e) {
        return Format("Couldn't read the picture %s: %s", {path, e.what()});
    }
    ADD_FAILURE() << path << " was read";
    return {};
}

struct AddCase {
    const char* name;
    std::vector<std::string> files;  // written, unless named "broken"
    std::vector<std::string> captions; // of the pictures added, in order
};

void PrintTo(const AddCase& row, std::ostream* out)
{
    *out << row.name;
}

const AddCase AddCases[] = {
    {"one of each kind, captions up to the first dot", {"a.jpg", "b.bmp", "c.photo.jpg"}, {"a", "b", "c"}},
    {"a name with several dots", {"trip.2026.summer.bmp"}, {"trip"}},
    {"a name whose bytes are not UTF-8, read as Windows-1252", {"caf\xE9 cr\xE8me.jpg"}, {"café crème"}},
    {"an unreadable file among good ones", {"a.jpg", "broken.jpg", "c.bmp"}, {"a", "c"}},
    {"a file of an unknown kind", {"notes.txt", "b.bmp"}, {"b"}},
    {"only unreadable files", {"broken.jpg", "broken.bmp"}, {}},
};

class PictureAddTest : public ::testing::TestWithParam<AddCase> {};

} // namespace

TEST_P(PictureAddTest, ChosenFilesBecomePicturesInTheDialogsOrder)
{
    const AddCase& row = GetParam();
    TempDir dir;
    std::vector<std::string> paths;
    std::vector<std::string> good;
    std::string problems;
    for (const std::string& name : row.files) {
        std::string path = (dir.Path() / name).string();
        if (name.starts_with("broken") || name.ends_with(".txt")) {
            WriteFile(path, "this is no picture");
            problems += (problems.empty() ? "" : "\r\r") + ReadError(path);
        } else {
            path = WritePicture(dir, name, 30, 20);
            good.push_back(path);
        }
        paths.push_back(path);
    }
    TitledGrid grid(1);
    grid.form.Modified = false;
    ScriptedDialogs dialogs;
    dialogs.ExpectOpen("", OpenFilter, paths);
    if (!problems.empty())
        dialogs.ExpectMessageBox("Pictoria Compiler", problems, IDOK);

    grid.form.AddFile1Click(grid.form.AddFile1);

    const int added = static_cast<int>(row.captions.size());
    ASSERT_EQ(grid.form.PictureCount, 1 + added);
    ASSERT_EQ(grid.form.PictureSources.size(), 1u + added);
    for (int i = 0; i < added; ++i) {
        SCOPED_TRACE(row.captions[i]);
        EXPECT_EQ(grid.Edit(2 + i).Text(), row.captions[i]);
        EXPECT_EQ(grid.form.PictureSources[1 + i], good[i]);
        EXPECT_EQ(grid.Image(2 + i).Picture().Width(), 30);
    }
    EXPECT_EQ(grid.form.CurrentImage, &grid.Image(1 + added));
    EXPECT_EQ(grid.Selected(), std::set<int>{1 + added});
    EXPECT_EQ(grid.form.Modified, added > 0);
}

INSTANTIATE_TEST_SUITE_P(Table, PictureAddTest, ::testing::ValuesIn(AddCases), [](const auto& info) {
    std::string name;
    for (char c : std::string(info.param.name))
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += c;
    return name;
});

namespace {

struct DamagedCase {
    const char* name;     // the file's name, whose extension selects its kind
    const char* sample;   // the sample it is cut from
    std::size_t keep;     // bytes of the sample kept
};

const DamagedCase DamagedCases[] = {
    {"empty.jpg", "turned.jpg", 0},      {"cut.jpg", "turned.jpg", 20},
    {"empty.bmp", "small.bmp", 0},       {"header only.bmp", "small.bmp", 30},
    {"empty.ico", "small.ico", 0},       {"directory only.ico", "small.ico", 6},
    {"empty.emf", "drawing.emf", 0},     {"header cut.emf", "drawing.emf", 40},
    {"empty.wmf", "drawing.wmf", 0},     {"header cut.wmf", "drawing.wmf", 10},
};

} // namespace

TEST(PictureAdd, DamagedPictureFilesAreNamedAndAddNothing)
{
    TempDir dir;
    std::vector<std::string> paths;
    std::string problems;
    for (const DamagedCase& c : DamagedCases) {
        const std::string path = (dir.Path() / c.name).string();
        WriteFile(path, ReadFile(Sample(c.sample)).substr(0, c.keep));
        paths.push_back(path);
        problems += (problems.empty() ? "" : "\r\r") + ReadError(path);
    }
    TitledGrid grid(2);
    grid.form.Modified = false;
    ScriptedDialogs dialogs;
    dialogs.ExpectOpen("", OpenFilter, paths);
    dialogs.ExpectMessageBox("Pictoria Compiler", problems, IDOK);
    grid.form.AddFile1Click(grid.form.AddFile1);
    EXPECT_EQ(grid.form.PictureCount, 2);
    EXPECT_EQ(grid.form.PictureSources.size(), 2u);
    EXPECT_EQ(grid.form.FindComponent("Panel3"), nullptr);
    EXPECT_FALSE(grid.form.Modified);
}

TEST(PictureAdd, KindsFollowTheExtension)
{
    TempDir dir;
    const std::string jpeg = WritePicture(dir, "a.jpg", 30, 20);
    const std::string bitmap = WritePicture(dir, "b.bmp", 30, 20);
    TitledGrid grid(0);
    ScriptedDialogs dialogs;
    dialogs.ExpectOpen("", OpenFilter, {jpeg, bitmap});
    grid.form.AddFile1Click(grid.form.AddPicturefromFile1);
    EXPECT_NE(dynamic_cast<TJPEGImage*>(grid.Image(1).Picture().Graphic()), nullptr);
    EXPECT_NE(dynamic_cast<TBitmap*>(grid.Image(2).Picture().Graphic()), nullptr);
}

// The grid follows the focus to the caption edit of the picture last
// added, so what the user types next lands where they see it.
TEST(PictureAdd, TheGridScrollsToTheLastAddedPicturesCaption)
{
    TempDir dir;
    std::vector<std::string> paths;
    for (int n = 1; n <= 40; ++n)
        paths.push_back(WritePicture(dir, "p" + IntToStr(n) + ".bmp", 30, 20));
    TitledGrid grid(0);
    ASSERT_TRUE(QTest::qWaitForWindowActive(grid.form.Widget()));
    ScriptedDialogs dialogs;
    dialogs.ExpectOpen("", OpenFilter, paths);
    grid.form.AddFile1->Click();
    ASSERT_EQ(grid.form.PictureCount, 40);

    const TEdit& caption = grid.Edit(40);
    TScrollBox& box = *grid.form.ScrollBox1;
    ASSERT_TRUE(caption.Focused());
    EXPECT_GT(box.VertScrollBar().Position(), 0);
    EXPECT_GE(caption.Top(), 0);
    EXPECT_LE(caption.Top() + caption.Height(), box.ClientHeight()) << "the whole edit in view";
    QTest::keyClicks(QApplication::focusWidget(), " harbour");
    EXPECT_EQ(grid.Edit(40).Text(), "p40 harbour");
    for (int n : {1, 6, 21, 40}) {
        SCOPED_TRACE(n);
        const int row = ScaleByPPI(16 + (n - 1) / 5 * 152, grid.form.PixelsPerInch());
        EXPECT_EQ(grid.Panel(n).Top() + box.VertScrollBar().Position(), row)
            << "units made while scrolled in their rows";
    }
}

TEST(PictureAdd, ACancelledDialogAddsNothingAndChangesNothing)
{
    TitledGrid grid(2);
    grid.form.Modified = false;
    ScriptedDialogs dialogs;
    dialogs.ExpectOpen("", OpenFilter, {});
    grid.form.AddFile1Click(grid.form.AddFile1);
    EXPECT_EQ(grid.form.PictureCount, 2);
    EXPECT_EQ(grid.form.PictureSources.size(), 2u);
    EXPECT_FALSE(grid.form.Modified);
}

TEST(PictureAdd, AClipboardWithTextOnlySaysSoAndAddsNothing)
{
    TitledGrid grid(2);
    grid.form.Modified = false;
    QApplication::clipboard()->setText("just words");
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("Pictoria Compiler", "The clipboard holds no picture to add.", IDOK);
    grid.form.AddFile1Click(grid.form.AddfromClipboard1);
    EXPECT_EQ(grid.form.PictureCount, 2);
    EXPECT_EQ(grid.form.PictureSources.size(), 2u);
    EXPECT_EQ(grid.form.FindComponent("Panel3"), nullptr);
    EXPECT_FALSE(grid.form.Modified);
}

TEST(PictureAdd, AClipboardImageBecomesAJpegAtQuality90)
{
    TitledGrid grid(2);
    grid.form.Modified = false;
    Clipboard().Assign(TBitmap(Pixels(50, 40)));
    grid.form.AddFile1Click(grid.form.AddPicturefromClipboard1);
    ASSERT_EQ(grid.form.PictureCount, 3);
    const auto* jpeg = dynamic_cast<TJPEGImage*>(grid.Image(3).Picture().Graphic());
    ASSERT_NE(jpeg, nullptr);
    EXPECT_EQ(jpeg->CompressionQuality(), 90);
    EXPECT_EQ(jpeg->Width(), 50);
    EXPECT_EQ(jpeg->Height(), 40);
    EXPECT_EQ(grid.form.PictureSources[2], "Image3");
    EXPECT_EQ(grid.Edit(3).Text(), "Put Caption Here");
    EXPECT_EQ(grid.Selected(), std::set<int>{3});
    EXPECT_TRUE(grid.form.Modified);
}

// No source manager loads: the scanner says so, and its unit goes again.
TEST(PictureAdd, AScannerWithoutSourceManagerSaysSoAndAddsNothing)
{
    TitledGrid grid(2);
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("Pictoria Compiler", "Error to load TWAIN_32.DLL", IDOK);
    ::setenv("PICTORIA_TWAIN_DSM", "/nonexistent/libpictotwaindsm.so", 1);
    grid.form.AddFile1Click(grid.form.AddScanner1);
    ::unsetenv("PICTORIA_TWAIN_DSM");
    EXPECT_EQ(grid.form.PictureCount, 2);
    EXPECT_EQ(grid.form.PictureSources.size(), 2u);
    EXPECT_EQ(grid.form.FindComponent("Panel3"), nullptr);
    EXPECT_EQ(grid.form.CurrentImage, &grid.Image(1));
}

// A person clicks "Add Picture" and picks "Add Picture from Clipboard" by
// its key.
TEST(PictureAdd, TheAddButtonPopsUpTheAddMenuUnderIt)
{
    TitledGrid grid(1);
    QApplication::clipboard()->setText("just words");
    QTest::mouseClick(grid.form.BitBtn1->Widget(), Qt::LeftButton);
    QMenu& menu = *grid.form.PopupMenu2->Items().SubMenu();
    ASSERT_TRUE(menu.isVisible());
    EXPECT_EQ(grid.form.PopupMenu2->PopupPoint(), grid.form.BitBtn1->ClientToScreen({0, grid.form.BitBtn1->Height()}));
    ScriptedDialogs dialogs;
    dialogs.ExpectMessageBox("Pictoria Compiler", "The clipboard holds no picture to add.", IDOK);
    QTest::keyClick(&menu, Qt::Key_C);
    QCoreApplication::processEvents();
    EXPECT_FALSE(menu.isVisible());
}

namespace {

struct MoveCase {
    const char* name;
    int pictures;
    int from;
    int onto;
};

void PrintTo(const MoveCase& row, std::ostream* out)
{
    *out << row.name;
}

const MoveCase MoveCases[] = {
    {"2 onto 5", 5, 2, 5},
    {"5 onto 2", 5, 5, 2},
    {"onto itself", 5, 3, 3},
    {"300 onto 2", 300, 300, 2},
};

class PictureMoveByMenuTest : public ::testing::TestWithParam<MoveCase> {};

// Original numbers in grid order after moving from onto onto.
std::vector<int> MovedOrder(int pictures, int from, int onto)
{
    std::vector<int> order;
    for (int n = 1; n <= pictures; ++n)
        order.push_back(n);
    const int moved = order[from - 1];
    order.erase(order.begin() + (from - 1));
    order.insert(order.begin() + (onto - 1), moved);
    return order;
}

} // namespace

TEST_P(PictureMoveByMenuTest, MovePictureThenAClickPutsItThere)
{
    const MoveCase& row = GetParam();
    TitledGrid grid(row.pictures);
    grid.CheckBox(row.from).SetChecked(true);
    grid.form.CurrentImage = &grid.Image(row.from);
    grid.form.SelectCurrent(0, 0);
    grid.form.Modified = false;

    grid.form.MovePicture1->Action()->trigger();
    QCoreApplication::processEvents();
    // The grid shows the current picture; the user scrolls to the target.
    TControlScrollBar& bar = grid.form.ScrollBox1->VertScrollBar();
    bar.SetPosition(bar.Position() + grid.Panel(row.onto).Top());
    TImage& target = grid.Image(row.onto);
    QTest::mouseClick(target.Widget(), Qt::LeftButton, {}, QPoint(5, 5));

    EXPECT_EQ(grid.Order(), MovedOrder(row.pictures, row.from, row.onto));
    EXPECT_EQ(grid.Edit(row.onto).Text(), "caption " + IntToStr(row.from));
    EXPECT_TRUE(grid.CheckBox(row.onto).Checked());
    EXPECT_EQ(grid.form.PictureSources[row.onto - 1], "/photos/p" + IntToStr(row.from) + ".jpg");
    EXPECT_EQ(grid.form.Modified, row.from != row.onto);
}

INSTANTIATE_TEST_SUITE_P(Table, PictureMoveByMenuTest, ::testing::ValuesIn(MoveCases), [](const auto& info) {
    std::string name;
    for (char c : std::string(info.param.name))
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += c;
    return name;
});

namespace {

QImage Rgb(const QImage& image)
{
    return image.convertToFormat(QImage::Format_RGB888);
}

struct KindCase {
    const char* file;
    const char* turnedKind;
};

const KindCase KindCases[] = {
    {"small.bmp", "TBitmap"},      {"small.ico", "TBitmap"},       {"drawing.emf", "TBitmap"},
    {"drawing.wmf", "TBitmap"},    {"turned.jpg", "TJPEGImage"},
};

} // namespace

// Every kind turns; icons and metafiles become bitmaps, a JPEG (here one
// taken turned, shown upright) stays a JPEG; four turns give the pixels back.
TEST(PictureRotate, EveryKindTurnsAndFourTurnsGiveThePixelsBack)
{
    for (const KindCase& c : KindCases) {
        SCOPED_TRACE(c.file);
        TitledGrid grid(0);
        {
            ScriptedDialogs dialogs;
            dialogs.ExpectOpen("", OpenFilter, {Sample(c.file)});
            grid.form.AddFile1Click(grid.form.AddFile1);
        }
        ASSERT_EQ(grid.form.PictureCount, 1);
        TPicture& picture = grid.Image(1).Picture();
        const int width = picture.Width(), height = picture.Height();
        const QImage upright = picture.Graphic()->ToImage();

        grid.form.RotatePicture90degrees1Click(grid.form.RotatePicture90degrees1);
        EXPECT_EQ(picture.Graphic()->ClassName(), c.turnedKind);
        EXPECT_EQ(picture.Width(), height);
        EXPECT_EQ(picture.Height(), width);
        const QImage once = Rgb(picture.Graphic()->ToImage());
        if (std::string(c.turnedKind) == "TJPEGImage") {
            EXPECT_EQ(once, Rgb(RotateBitmap90(TBitmap(upright))->Image()));
        }

        for (int i = 0; i < 4; ++i)
            grid.form.RotatePicture90degrees1Click(grid.form.RotatePicture90degrees1);
        EXPECT_EQ(Rgb(picture.Graphic()->ToImage()), once);
        EXPECT_EQ(Screen->Cursor(), crDefault);
    }
}

TEST(PictureRotate, SelectedPicturesTurnOthersStay)
{
    TitledGrid grid(4);
    grid.form.CurrentImage = &grid.Image(2);
    grid.form.SelectCurrent(0, 0);
    grid.form.CurrentImage = &grid.Image(3);
    grid.form.SelectCurrent(2, 0);
    grid.form.Modified = false;
    grid.form.RotatePicture90degrees1->Action()->trigger();
    QCoreApplication::processEvents();
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        const bool turned = n == 2 || n == 3;
        EXPECT_EQ(grid.Image(n).Picture().Width(), turned ? 30 : 40 + n);
        EXPECT_EQ(grid.Image(n).Picture().Height(), turned ? 40 + n : 30);
    }
    EXPECT_EQ(grid.form.CurrentImage, &grid.Image(3));
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_TRUE(grid.form.Modified);

    grid.form.RotatePicture90degreescounterclockwise1Click(grid.form.RotatePicture90degreescounterclockwise1);
    EXPECT_EQ(grid.Order(), (std::vector<int>{1, 2, 3, 4}));
}

// A held picture keeps its stored data; an icon or metafile would become a
// bitmap, the held one stays as it is.
TEST(PictureRotate, AHeldPictureIsLeftAsItIs)
{
    TitledGrid grid(1);
    const THeldPicture held(THeldPicture::TReason::Locked, "caption", nullptr);
    grid.Image(1).Picture().SetGraphic(&held);
    grid.form.RotatePicture90degrees1Click(grid.form.RotatePicture90degrees1);
    EXPECT_NE(AsHeldPicture(grid.Image(1).Picture().Graphic()), nullptr);
    EXPECT_EQ(Screen->Cursor(), crDefault);
}

TEST(PictureSave, WritesTheSourcesBytes)
{
    TempDir dir;
    const std::string source = WritePicture(dir, "holiday.photo.jpg", 30, 20);
    TitledGrid grid(0);
    {
        ScriptedDialogs dialogs;
        dialogs.ExpectOpen("", OpenFilter, {source});
        grid.form.AddFile1Click(grid.form.AddFile1);
    }
    grid.form.Modified = false;
    const std::string saved = (dir.Path() / "copy.bmp").string();
    ScriptedDialogs dialogs;
    dialogs.ExpectSave("", SaveFilter, saved);
    grid.form.SavePictureAs1->Action()->trigger();
    QCoreApplication::processEvents();
    EXPECT_EQ(grid.form.SavePictureDialog1->FileName, saved);
    EXPECT_EQ(ReadFile(saved), ReadFile(source)); // its own format, whatever the extension
    EXPECT_FALSE(grid.form.Modified);
}

TEST(PictureSave, PresetsTheSourcesFileName)
{
    TitledGrid grid(2);
    ScriptedDialogs dialogs;
    dialogs.ExpectSave("", SaveFilter, std::nullopt);
    grid.form.SavePictureAs1Click(grid.form.SavePictureAs1);
    EXPECT_EQ(grid.form.SavePictureDialog1->FileName, "p2.jpg");
}

// A file chosen is replaced only on Yes; No leaves it byte for byte.
TEST(PictureSave, AsksBeforeReplacingAFile)
{
    TempDir dir;
    const std::string source = WritePicture(dir, "holiday.jpg", 30, 20);
    const std::string existing = dir.Write("keep.jpg", "old contents");
    TitledGrid grid(0);
    {
        ScriptedDialogs dialogs;
        dialogs.ExpectOpen("", OpenFilter, {source});
        grid.form.AddFile1Click(grid.form.AddFile1);
    }
    for (const int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer);
        ScriptedDialogs dialogs;
        dialogs.ExpectSave("", SaveFilter, existing);
        dialogs.ExpectMessageBox("Replace File?", existing + " already exists.  Do you want to replace it?", answer);
        grid.form.SavePictureAs1Click(grid.form.SavePictureAs1);
        dialogs.Verify();
        EXPECT_EQ(ReadFile(existing), answer == IDNO ? "old contents" : ReadFile(source));
    }
}

TEST(PictureSave, AFailureLeavesTheExistingFileAsItWas)
{
    TempDir dir;
    const std::string existing = (dir.Path() / "keep.jpg").string();
    WriteFile(existing, "old contents");
    TitledGrid grid(1);
    const THeldPicture held(THeldPicture::TReason::Locked, "caption", nullptr);
    grid.Image(1).Picture().SetGraphic(&held);
    ScriptedDialogs dialogs;
    dialogs.ExpectSave("", SaveFilter, existing);
    dialogs.ExpectMessageBox("Replace File?", existing + " already exists.  Do you want to replace it?", IDYES);
    EXPECT_THROW(grid.form.SavePictureAs1Click(grid.form.SavePictureAs1), EInvalidGraphic);
    EXPECT_EQ(ReadFile(existing), "old contents");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(PictureCopy, PutsThePicturesPixelsOnTheClipboard)
{
    TitledGrid grid(3);
    grid.form.Modified = false;
    Clipboard().Assign(TBitmap());
    grid.form.CopyPicturetoClipboard1->Action()->trigger();
    QCoreApplication::processEvents();
    const std::unique_ptr<TBitmap> copied = Clipboard().Picture();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->Width(), 43);
    EXPECT_FALSE(grid.form.Modified);
}

TEST(PictureEdits, TypingACaptionOrClickingAProtectMarkChangesTheAlbum)
{
    TitledGrid grid(2);
    grid.form.Modified = false;
    QTest::keyClicks(grid.Edit(2).Widget(), "x");
    EXPECT_TRUE(grid.form.Modified);
    grid.form.Modified = false;
    QTest::mouseClick(grid.CheckBox(1).Widget(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(grid.CheckBox(1).Checked());
    EXPECT_TRUE(grid.form.Modified);
    grid.form.Modified = false;
    grid.form.CreatePictUnit(++grid.form.PictureCount);
    EXPECT_FALSE(grid.form.Modified);
}

} // namespace pictomake

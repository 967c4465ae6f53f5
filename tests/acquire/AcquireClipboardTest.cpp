// AcquireToClipboard: the acquired picture replaces what the clipboard
// held; an acquisition that brings none leaves the clipboard alone and
// answers 1, with the reason in AcquireDetail.
#include <QApplication>
#include <QClipboard>
#include <gtest/gtest.h>

#include "AcquireImage.h"
#include "FakeTwain.h"
#include "GlobalMemory.h"
#include "GuiTestApp.h"

namespace {

struct ClipboardCase {
    const char* name;
    std::string script;
    int result;
    int detail;
    QSize picture; // on the clipboard; empty: the user's text stays
};

// The steps of an acquisition around AcquireToClipboard.
int AcquireToClipboard(TAcquireImage& scanner)
{
    scanner.LoadSourceManager();
    scanner.OpenSourceManager();
    std::string name;
    scanner.GetSourceName(false, name);
    scanner.SelectSource(name);
    scanner.OpenSource();
    const int result = scanner.AcquireToClipboard();
    scanner.CloseSourceManager();
    scanner.UnloadSourceManager();
    return result;
}

TEST(AcquireToClipboard, ThePictureReplacesTheClipboardOrTheClipboardStays)
{
    TestApplication();
    const std::string chosen = "sources Flatbed\nselect Flatbed\n";
    const ClipboardCase cases[] = {
        {"colour", chosen + "event XFERREADY\nxfer done 24 40 30 0\n", 0, 0, {40, 30}},
        {"grey", chosen + "event XFERREADY\nxfer done 8 12 7 0\n", 0, 0, {12, 7}},
        {"closed before scanning", chosen + "event CLOSEDSREQ\n", 1, 3, {}},
        {"transfer cancelled", chosen + "event XFERREADY\nxfer cancel 0\n", 1, 3, {}},
        {"transfer failed", chosen + "event XFERREADY\nxfer fail 2\n", 1, 0x8002, {}},
        {"damaged image", chosen + "event XFERREADY\nxfer done 24 0 0 0\n", 1, 1, {}},
        {"selection cancelled", "sources Flatbed\nselect cancel\n", 1, 3, {}},
    };
    for (const ClipboardCase& c : cases) {
        SCOPED_TRACE(c.name);
        const FakeTwain fake(c.script);
        QApplication::clipboard()->setText("the user's words");
        const std::size_t liveBefore = GlobalLiveBlocks();
        TAcquireImage scanner;
        EXPECT_EQ(AcquireToClipboard(scanner), c.result);
        EXPECT_EQ(scanner.AcquireDetail(), c.detail);
        EXPECT_EQ(GlobalLiveBlocks(), liveBefore);
        if (c.picture.isEmpty()) {
            EXPECT_EQ(QApplication::clipboard()->text(), "the user's words");
        } else {
            EXPECT_EQ(QApplication::clipboard()->image().size(), c.picture);
            EXPECT_TRUE(QApplication::clipboard()->text().isEmpty());
        }
    }
}

// The picture on the clipboard is the one AcquireJPEG would compress.
TEST(AcquireToClipboard, HoldsTheScannedPixels)
{
    TestApplication();
    const FakeTwain fake("sources Flatbed\nselect Flatbed\nevent XFERREADY\nxfer done 24 5 3 0\n");
    TAcquireImage scanner;
    ASSERT_EQ(AcquireToClipboard(scanner), 0);
    const QImage onClipboard = QApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
    // The fake's rows: byte x of row y (bottom-up) is x + 3y, in blue,
    // green, red order.
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const int row = 2 - y;
            const QRgb expected = qRgb(3 * x + 2 + 3 * row, 3 * x + 1 + 3 * row, 3 * x + 3 * row);
            EXPECT_EQ(onClipboard.pixel(x, y), expected) << x << "," << y;
        }
}

} // namespace

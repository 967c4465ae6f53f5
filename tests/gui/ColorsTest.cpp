#include "screen/Colors.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QPalette>

#include "GuiTestApp.h"

TEST(Colors, PlainColorsAreTheirOwnRGB)
{
    EXPECT_EQ(ColorToRGB(clWhite), 0xFFFFFF);
    EXPECT_EQ(ColorToRGB(RGB(1, 2, 3)), 0x030201);
    EXPECT_EQ(ColorToQColor(clRed), QColor(255, 0, 0));
}

TEST(Colors, SystemColorsComeFromTheApplicationsPalette)
{
    TestApplication();
    QPalette saved = QApplication::palette();
    QPalette palette = saved;
    palette.setColor(QPalette::Button, QColor(0xC0, 0xC0, 0xC0));
    palette.setColor(QPalette::Light, QColor(0xFF, 0xFF, 0xFF));
    QApplication::setPalette(palette);
    EXPECT_LT(clBtnFace, 0); // system colours are negative, as stored by the programs
    EXPECT_EQ(ColorToRGB(clBtnFace), 0xC0C0C0);
    EXPECT_EQ(ColorToRGB(clBtnHighlight), 0xFFFFFF);
    QApplication::setPalette(saved);
}

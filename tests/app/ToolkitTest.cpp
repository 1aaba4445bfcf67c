#include "WindowTesting.h"
#include "app/SpinControl.h"
#include "app/Toolkit.h"

#include <QtTest/QSignalSpy>

using namespace kaldex::ui;

TEST(CodePage, ConvertsEveryByteBothWays)
{
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        if (byte != 0x98)  // the one unassigned byte of the code page
            all += static_cast<char>(byte);
    QString text = fromCp1251(all);
    std::string back;
    ASSERT_TRUE(toCp1251(text, back));
    EXPECT_EQ(back, all);
    EXPECT_EQ(fromCp1251("\xC2\xFF\xA8\xB8 \xB9 \x96"), QStringLiteral("ВяЁё № –"));
    // What the code page cannot hold is refused, and named.
    std::string out = "untouched";
    QString bad;
    EXPECT_FALSE(toCp1251(QStringLiteral("Ar α-частица"), out, &bad));
    EXPECT_EQ(bad, QStringLiteral("α"));
    EXPECT_EQ(out, "untouched");
    EXPECT_FALSE(toCp1251(QStringLiteral("x😀"), out, &bad));
    EXPECT_EQ(bad, QStringLiteral("😀"));
    EXPECT_THROW(toCp1251OrThrow(QStringLiteral("日本")), CodePageError);
    EXPECT_EQ(toCp1251OrThrow(QStringLiteral("a?b")), "a?b");  // a typed "?" is no error
}

TEST(Spin, StepsWithinItsRangeWithoutWrappingAround)
{
    SpinControl spin;
    spin.resize(16, 47);
    spin.setMinimum(1);
    spin.setMaximum(3);
    spin.setPosition(1);
    QSignalSpy clicks(&spin, &SpinControl::clicked);

    spin.step(SpinControl::Direction::Down);
    EXPECT_EQ(spin.position(), 1);
    for (int click = 0; click < 3; ++click)
        QTest::mouseClick(spin.upButton(), Qt::LeftButton);
    EXPECT_EQ(spin.position(), 3);
    QTest::keyClick(&spin, Qt::Key_Down);
    EXPECT_EQ(spin.position(), 2);
    EXPECT_EQ(clicks.count(), 5);  // every press is reported, at the ends too

    spin.setPosition(-30000);
    EXPECT_EQ(spin.position(), 1);
    spin.setMaximum(INT16_MAX);
    spin.setPosition(INT16_MAX);
    spin.step(SpinControl::Direction::Up);
    EXPECT_EQ(spin.position(), INT16_MAX);
}

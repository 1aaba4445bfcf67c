#include "ui/common/Toolkit.h"
#include "ui/WindowTesting.h"

using namespace kaldex::ui;

TEST(CodePage, ConvertsEveryByteBothWays)
{
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        if (byte != 0x98)  // the one unassigned byte of the code page
            all += static_cast<char>(byte);
    std::string back;
    ASSERT_TRUE(toCp1251(fromCp1251(all), back));
    EXPECT_EQ(back, all);
    EXPECT_EQ(fromCp1251("\xC2\xFF\xA8\xB8 \xB9 \x96"), QStringLiteral("ВяЁё № –"));
    // What the code page cannot hold is refused, and named.
    std::string out = "untouched";
    QString bad;
    EXPECT_FALSE(toCp1251(QStringLiteral("Ar α-частица"), out, &bad) || bad != QStringLiteral("α"));
    EXPECT_EQ(out, "untouched");
    EXPECT_FALSE(toCp1251(QStringLiteral("x😀"), out, &bad) || bad != QStringLiteral("😀"));
    EXPECT_THROW(toCp1251OrThrow(QStringLiteral("日本")), CodePageError);
    EXPECT_EQ(toCp1251OrThrow(QStringLiteral("a?b")), "a?b");  // a typed "?" is no error
}

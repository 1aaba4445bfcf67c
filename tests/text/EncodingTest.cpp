#include "text/Encoding.h"
#include "ui/WindowTesting.h"

#include <QStringDecoder>

using namespace kaldex::ui;

TEST(CodePage, ConvertsEveryByteBothWays)
{
    // Byte by byte as Qt's own windows-1251 decoder reads it: 0x98 is U+0098.
    QStringDecoder outside("windows-1251", QStringDecoder::Flag::Stateless);
    std::string all;
    for (int byte = 0; byte < 256; ++byte) {
        const char c = static_cast<char>(byte);
        EXPECT_EQ(fromCp1251({&c, 1}), QString(outside.decode(QByteArrayView(&c, 1)))) << "byte " << byte;
        all += c;
    }
    std::string back;
    ASSERT_TRUE(toCp1251(fromCp1251(all), back));
    EXPECT_EQ(back, all);
    // What the code page cannot hold is refused, and named.
    std::string out = "untouched";
    QString bad;
    EXPECT_FALSE(toCp1251(QStringLiteral("Ar α-частица"), out, &bad));
    EXPECT_EQ(bad, QStringLiteral("α"));
    EXPECT_EQ(out, "untouched");
    EXPECT_FALSE(toCp1251(QStringLiteral("x😀"), out, &bad));
    EXPECT_EQ(bad, QStringLiteral("😀"));
    ASSERT_TRUE(toCp1251(QStringLiteral("a?b"), out));
    EXPECT_EQ(out, "a?b");  // a typed "?" is no error
}

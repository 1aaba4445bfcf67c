#include "ui/common/Messages.h"
#include "ui/common/SpinControl.h"
#include "ui/editor/EditorTesting.h"

#include <QComboBox>
#include <QTextCursor>
#include <QTextList>

using namespace kaldex;
using namespace kaldex::ui;

TEST(FormatBar, TheFontListAndTheRulerCaption)
{
    test::ShownEditor e;
    EXPECT_GT(e.find<QComboBox>("FontName")->count(), 0);

    // Exactly one hundred pairs of a tab and "|", the tab first.
    EXPECT_EQ(e.find("Ruler")->property("caption").toString(), QStringLiteral("\t|").repeated(100));
}

TEST(FormatBar, StyleButtonsFollowAndChangeTheSelection)
{
    test::ShownEditor e;
    QTextCharFormat styled;
    styled.setFontWeight(QFont::Bold);
    styled.setFontItalic(true);
    styled.setFontUnderline(true);
    e.select(0, 5);
    e.text->mergeCurrentCharFormat(styled);
    const QString before = e.text->toPlainText();

    e.select(1, 4);
    EXPECT_TRUE(e.find<QToolButton>("BoldButton")->isChecked());
    EXPECT_TRUE(e.find<QToolButton>("ItalicButton")->isChecked());
    EXPECT_EQ(e.text->toPlainText(), before);  // following the selection changes nothing

    e.find<QToolButton>("BoldButton")->click();  // up: bold goes, italic and underline stay
    EXPECT_EQ(e.formatAt(3).fontWeight(), QFont::Normal);
    EXPECT_TRUE(e.formatAt(3).fontItalic());
    EXPECT_TRUE(e.formatAt(3).fontUnderline());
    EXPECT_EQ(e.formatAt(5).fontWeight(), QFont::Bold) << "outside the selection";

    e.select(7, 9);
    EXPECT_FALSE(e.find<QToolButton>("ItalicButton")->isChecked());
    e.find<QToolButton>("ItalicButton")->click();
    EXPECT_TRUE(e.formatAt(8).fontItalic());
}

TEST(FormatBar, FontSizeTakesOnlyWhatFitsAndSaysSoOnce)
{
    test::ShownEditor e;
    auto *size = e.find<QLineEdit>("FontSize");
    e.select(0, 5);
    MessageHook messages;
    for (const char *nothing : {"0", "", "abc"})
        size->setText(QString::fromLatin1(nothing));
    EXPECT_TRUE(messages.shown().isEmpty());
    e.select(0, 5);
    size->setText(QStringLiteral("-5"));
    EXPECT_EQ(messages.shown(), QStringList({"The number must be between 1 and 1638."}));
    EXPECT_EQ(size->text(), QStringLiteral("1"));
    EXPECT_EQ(e.formatAt(3).fontPointSize(), 1);

    size->setText(QStringLiteral("2000"));
    EXPECT_EQ(messages.shown().size(), 2);
    EXPECT_EQ(size->text(), QStringLiteral("1638"));
    EXPECT_EQ(e.formatAt(3).fontPointSize(), 1638);

    // The arrows stay within 1..1638 and apply each value at once.
    auto *arrows = e.find<SpinControl>("UpDown1");
    arrows->upButton()->click();
    EXPECT_EQ(size->text(), QStringLiteral("1638"));
    arrows->downButton()->click();
    EXPECT_EQ(e.formatAt(3).fontPointSize(), 1637);
    EXPECT_EQ(messages.shown().size(), 2);
}

TEST(FormatBar, AlignmentIsOneChoiceAndBulletsToggle)
{
    test::ShownEditor e;
    e.find<QToolButton>("CenterAlign")->click();
    EXPECT_EQ(e.text->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    e.find<QToolButton>("RightAlign")->click();
    EXPECT_TRUE(e.text->alignment() & Qt::AlignRight);
    EXPECT_TRUE(e.find<QToolButton>("RightAlign")->isChecked());
    EXPECT_FALSE(e.find<QToolButton>("CenterAlign")->isChecked());

    e.select(20, 20);  // the second paragraph, left aligned
    EXPECT_TRUE(e.find<QToolButton>("LeftAlign")->isChecked());
    EXPECT_FALSE(e.find<QToolButton>("RightAlign")->isChecked());
    e.select(2, 2);
    EXPECT_TRUE(e.find<QToolButton>("RightAlign")->isChecked());

    e.find<QToolButton>("BulletsButton")->click();
    EXPECT_NE(e.text->textCursor().currentList(), nullptr);
    e.select(20, 20);
    EXPECT_FALSE(e.find<QToolButton>("BulletsButton")->isChecked());
    e.select(2, 2);
    EXPECT_TRUE(e.find<QToolButton>("BulletsButton")->isChecked());
    e.find<QToolButton>("BulletsButton")->click();
    EXPECT_EQ(e.text->textCursor().currentList(), nullptr);
}

#include "ui/WindowTesting.h"
#include "ui/common/Messages.h"
#include "ui/common/SpinControl.h"
#include "ui/editor/PocketEditor.h"
#include "ui/editor/RulerMarker.h"

#include <QComboBox>
#include <QTextCursor>
#include <QTextList>

using namespace kaldex;
using namespace kaldex::ui;

namespace {

// An editor over an empty pocket, shown, with a text of its own.
struct Editor {
    DocumentStore store;
    std::unique_ptr<PocketEditor> window;

    explicit Editor(const QString &text = QStringLiteral("first paragraph\nsecond paragraph"))
    {
        window = std::make_unique<PocketEditor>(store);
        window->show();
        window->textEdit->setPlainText(text);
        window->syncToolbar();
    }
    PocketEditor *operator->() { return window.get(); }

    // Selects the characters [from, to) of the text.
    void select(int from, int to)
    {
        QTextCursor cursor(window->textEdit->document());
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        window->textEdit->setTextCursor(cursor);
    }
    QTextCharFormat formatAt(int position)
    {
        QTextCursor cursor(window->textEdit->document());
        cursor.setPosition(position);
        return cursor.charFormat();
    }
};

}  // namespace

TEST(FormatBar, PlacesAndTheRulerCaption)
{
    Editor editor;
    const std::pair<QWidget *, QRect> places[] = {{editor->fontNameBox, {194, 6, 131, 21}},
                                                  {editor->fontSizeField, {328, 6, 31, 21}},
                                                  {editor->boldButton, {380, 5, 25, 25}},
                                                  {editor->bulletsButton, {547, 5, 25, 25}}};
    for (const auto &[widget, rect] : places)
        EXPECT_EQ(widget->geometry(), rect) << widget->objectName().toStdString();
    EXPECT_EQ(editor->alignCenterButton->toolTip(), QStringLiteral("Center"));
    EXPECT_EQ(editor->alignRightButton->property("tag").toInt() * 10 +
                  editor->alignCenterButton->property("tag").toInt(),
              12);
    EXPECT_GT(editor->fontNameBox->count(), 0);

    const QString caption = PocketEditor::rulerCaption();
    ASSERT_EQ(caption.size(), 200);
    for (int i = 0; i < caption.size(); ++i)
        ASSERT_EQ(caption[i], i % 2 ? QLatin1Char('|') : QLatin1Char('\t')) << i;
    EXPECT_EQ(editor->ruler->property("caption").toString(), caption);
    EXPECT_EQ(editor->rulerLine->width(), editor->rulerClientWidth() - 8);
}

TEST(FormatBar, StyleButtonsFollowAndChangeTheSelection)
{
    Editor editor;
    QTextCharFormat styled;
    styled.setFontWeight(QFont::Bold), styled.setFontItalic(true), styled.setFontUnderline(true);
    editor.select(0, 5);
    editor->textEdit->mergeCurrentCharFormat(styled);
    const QString before = editor->textEdit->toPlainText();

    editor.select(1, 4);
    EXPECT_TRUE(editor->boldButton->isChecked() && editor->italicButton->isChecked());
    EXPECT_EQ(editor->textEdit->toPlainText(), before);  // following the selection changes nothing

    editor->boldButton->click();  // up: bold goes, italic and underline stay
    EXPECT_EQ(editor.formatAt(3).fontWeight(), QFont::Normal);
    EXPECT_TRUE(editor.formatAt(3).fontItalic() && editor.formatAt(3).fontUnderline());
    EXPECT_EQ(editor.formatAt(5).fontWeight(), QFont::Bold);  // outside the selection

    editor.select(7, 9);
    EXPECT_FALSE(editor->italicButton->isChecked());
    editor->italicButton->click();
    EXPECT_TRUE(editor.formatAt(8).fontItalic());
}

TEST(FormatBar, FontSizeTakesOnlyWhatFitsAndSaysSoOnce)
{
    Editor editor;
    editor.select(0, 5);
    MessageHook messages;
    for (const char *nothing : {"0", "", "abc"})
        editor->fontSizeField->setText(QString::fromLatin1(nothing));
    EXPECT_TRUE(messages.shown().isEmpty());
    editor.select(0, 5);
    editor->fontSizeField->setText(QStringLiteral("-5"));
    EXPECT_EQ(messages.shown(), QStringList({"The number must be between 1 and 1638."}));
    EXPECT_EQ(editor->fontSizeField->text(), QStringLiteral("1"));
    EXPECT_EQ(editor.formatAt(3).fontPointSize(), 1);

    editor->fontSizeField->setText(QStringLiteral("2000"));
    EXPECT_EQ(messages.shown().size(), 2);
    EXPECT_EQ(editor->fontSizeField->text(), QStringLiteral("1638"));
    EXPECT_EQ(editor.formatAt(3).fontPointSize(), 1638);

    // The arrows stay within 1..1638 and apply each value at once.
    editor->fontSizeSpin->step(SpinControl::Direction::Up);
    EXPECT_EQ(editor->fontSizeField->text(), QStringLiteral("1638"));
    editor->fontSizeSpin->step(SpinControl::Direction::Down);
    EXPECT_EQ(editor.formatAt(3).fontPointSize(), 1637);
    EXPECT_EQ(messages.shown().size(), 2);
}

TEST(FormatBar, AlignmentIsOneChoiceAndBulletsToggle)
{
    Editor editor;
    editor->alignCenterButton->click();
    EXPECT_EQ(editor->textEdit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    editor->alignRightButton->click();
    EXPECT_TRUE(editor->textEdit->alignment() & Qt::AlignRight);
    EXPECT_TRUE(editor->alignRightButton->isChecked() && !editor->alignCenterButton->isChecked());

    editor.select(20, 20);  // the second paragraph, left aligned
    EXPECT_TRUE(editor->alignLeftButton->isChecked() && !editor->alignRightButton->isChecked());
    editor.select(2, 2);
    EXPECT_TRUE(editor->alignRightButton->isChecked());

    editor->bulletsButton->click();
    EXPECT_NE(editor->textEdit->textCursor().currentList(), nullptr);
    editor.select(20, 20);
    EXPECT_FALSE(editor->bulletsButton->isChecked());
    editor.select(2, 2);
    EXPECT_TRUE(editor->bulletsButton->isChecked());
    editor->bulletsButton->click();
    EXPECT_EQ(editor->textEdit->textCursor().currentList(), nullptr);
}

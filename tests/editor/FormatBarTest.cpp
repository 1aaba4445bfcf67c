#include "TestFiles.h"
#include "WindowTesting.h"
#include "app/Messages.h"
#include "app/SpinControl.h"
#include "editor/RtfReader.h"
#include "editor/RtfWriter.h"
#include "editor/RulerMarker.h"
#include "editor/TMainForm.h"
#include "store/DocumentStore.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <QToolButton>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace kaldex;
using namespace kaldex::ui;

namespace {

// An editor over an empty pocket, shown, with a text of its own.
struct Editor {
    DocumentStore store;
    std::unique_ptr<TMainForm> window;

    explicit Editor(const QString &text = QStringLiteral("first paragraph\nsecond paragraph"))
    {
        window = std::make_unique<TMainForm>(store);
        window->show();
        window->RichEdit1->setPlainText(text);
        window->SelectionChange();
    }
    TMainForm *operator->() { return window.get(); }

    // Selects the characters [from, to) of the text.
    void select(int from, int to)
    {
        QTextCursor cursor(window->RichEdit1->document());
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        window->RichEdit1->setTextCursor(cursor);
    }
    QTextCharFormat formatAt(int position)
    {
        QTextCursor cursor(window->RichEdit1->document());
        cursor.setPosition(position);
        return cursor.charFormat();
    }
};

}  // namespace

TEST(FormatBar, PlacesAndTheRulerCaption)
{
    Editor editor;
    EXPECT_EQ(editor->FontName->geometry(), QRect(194, 6, 131, 21));
    EXPECT_EQ(editor->FontSize->geometry(), QRect(328, 6, 31, 21));
    EXPECT_EQ(editor->BoldButton->geometry(), QRect(380, 5, 25, 25));
    EXPECT_EQ(editor->BulletsButton->geometry(), QRect(547, 5, 25, 25));
    EXPECT_EQ(editor->CenterAlign->toolTip(), QStringLiteral("Center"));
    EXPECT_EQ(editor->RightAlign->property("tag").toInt(), 1);
    EXPECT_EQ(editor->CenterAlign->property("tag").toInt(), 2);
    EXPECT_GT(editor->FontName->count(), 0);

    const QString caption = TMainForm::rulerCaption();
    ASSERT_EQ(caption.size(), 200);
    for (int i = 0; i < caption.size(); ++i)
        ASSERT_EQ(caption[i], i % 2 ? QLatin1Char('|') : QLatin1Char('\t')) << i;
    EXPECT_EQ(editor->Ruler->property("caption").toString(), caption);
    EXPECT_EQ(editor->RulerLine->width(), editor->rulerClientWidth() - 8);
}

TEST(FormatBar, StyleButtonsFollowAndChangeTheSelection)
{
    Editor editor;
    QTextCharFormat styled;
    styled.setFontWeight(QFont::Bold);
    styled.setFontItalic(true);
    styled.setFontUnderline(true);
    editor.select(0, 5);
    editor->RichEdit1->mergeCurrentCharFormat(styled);
    const QString before = editor->RichEdit1->toPlainText();

    editor.select(1, 4);
    EXPECT_TRUE(editor->BoldButton->isChecked());
    EXPECT_TRUE(editor->ItalicButton->isChecked());
    EXPECT_EQ(editor->RichEdit1->toPlainText(), before);  // following the selection changes nothing

    editor->BoldButton->click();  // up: bold goes, italic and underline stay
    EXPECT_EQ(editor.formatAt(3).fontWeight(), QFont::Normal);
    EXPECT_TRUE(editor.formatAt(3).fontItalic());
    EXPECT_TRUE(editor.formatAt(3).fontUnderline());
    EXPECT_EQ(editor.formatAt(5).fontWeight(), QFont::Bold);  // outside the selection

    editor.select(7, 9);
    EXPECT_FALSE(editor->ItalicButton->isChecked());
    editor->ItalicButton->click();
    EXPECT_TRUE(editor.formatAt(8).fontItalic());
}

TEST(FormatBar, FontSizeTakesOnlyWhatFitsAndSaysSoOnce)
{
    Editor editor;
    editor.select(0, 5);
    MessageHook messages;
    for (const char *nothing : {"0", "", "abc"}) {
        editor->FontSize->setText(QString::fromLatin1(nothing));
        EXPECT_TRUE(messages.shown().isEmpty()) << nothing;
    }
    editor.select(0, 5);
    editor->FontSize->setText(QStringLiteral("-5"));
    ASSERT_EQ(messages.shown().size(), 1);
    EXPECT_EQ(messages.shown()[0], QStringLiteral("The number must be between 1 and 1638."));
    EXPECT_EQ(editor->FontSize->text(), QStringLiteral("1"));
    EXPECT_EQ(editor.formatAt(3).fontPointSize(), 1);

    editor->FontSize->setText(QStringLiteral("2000"));
    EXPECT_EQ(messages.shown().size(), 2);
    EXPECT_EQ(editor->FontSize->text(), QStringLiteral("1638"));
    EXPECT_EQ(editor.formatAt(3).fontPointSize(), 1638);

    // The arrows stay within 1..1638 and apply each value at once.
    editor->UpDown1->step(SpinControl::Direction::Up);
    EXPECT_EQ(editor->FontSize->text(), QStringLiteral("1638"));
    editor->UpDown1->step(SpinControl::Direction::Down);
    EXPECT_EQ(editor.formatAt(3).fontPointSize(), 1637);
    EXPECT_EQ(messages.shown().size(), 2);

    // A font name that is no list entry is left alone.
    editor->FontName->setEditText(QStringLiteral("No Such Font"));
    editor->FontNameChange(-1);
    EXPECT_NE(editor.formatAt(3).fontFamilies().toStringList().value(0), QStringLiteral("No Such Font"));
    editor->FontName->setCurrentIndex(0);
    editor->FontNameChange(0);
    EXPECT_EQ(editor.formatAt(3).fontFamilies().toStringList().value(0), editor->FontName->itemText(0));
}

TEST(FormatBar, AlignmentIsOneChoiceAndBulletsToggle)
{
    Editor editor;
    editor->CenterAlign->click();
    EXPECT_EQ(editor->RichEdit1->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    editor->RightAlign->click();
    EXPECT_TRUE(editor->RichEdit1->alignment() & Qt::AlignRight);
    EXPECT_TRUE(editor->RightAlign->isChecked());
    EXPECT_FALSE(editor->CenterAlign->isChecked());

    editor.select(20, 20);  // the second paragraph, left aligned
    EXPECT_TRUE(editor->LeftAlign->isChecked());
    EXPECT_FALSE(editor->RightAlign->isChecked());
    editor.select(2, 2);
    EXPECT_TRUE(editor->RightAlign->isChecked());

    editor->BulletsButton->click();
    EXPECT_NE(editor->RichEdit1->textCursor().currentList(), nullptr);
    editor.select(20, 20);
    EXPECT_FALSE(editor->BulletsButton->isChecked());
    editor.select(2, 2);
    EXPECT_TRUE(editor->BulletsButton->isChecked());
    editor->BulletsButton->click();
    EXPECT_EQ(editor->RichEdit1->textCursor().currentList(), nullptr);
}

TEST(FormatBar, RulerMarkersShowAndSetTheIndents)
{
    Editor editor;
    const int width = editor->rulerClientWidth();
    EXPECT_EQ(editor->FirstInd->x(), 2);
    EXPECT_EQ(editor->LeftInd->x(), 2);
    EXPECT_EQ(editor->RightInd->x(), width - 6 - 8);

    // Grabbed at its middle, dragged 40 pixels right and dropped.
    QTest::mousePress(editor->FirstInd, Qt::LeftButton, {}, QPoint(5, 4));
    EXPECT_EQ(editor->FirstInd->x(), 2);
    QMouseEvent move(QEvent::MouseMove, QPointF(45, 4), editor->FirstInd->mapToGlobal(QPointF(45, 4)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(editor->FirstInd, &move);
    EXPECT_EQ(editor->FirstInd->x(), 42);
    QTest::mouseRelease(editor->FirstInd, Qt::LeftButton, {}, QPoint(5, 4));
    TMainForm::Indents indents = editor->paragraphIndents();
    EXPECT_EQ(indents.first, 30);
    EXPECT_EQ(indents.left, -30);
    EXPECT_EQ(editor->LeftInd->x(), 2);  // the other lines stayed where they were
    EXPECT_FALSE(editor->MarkerDragging);

    // Picked up and dropped without moving: the same indent within one unit.
    for (RulerMarker *marker : {editor->FirstInd, editor->LeftInd, editor->RightInd}) {
        const TMainForm::Indents before = editor->paragraphIndents();
        QTest::mousePress(marker, Qt::LeftButton, {}, QPoint(marker->width() / 2, 4));
        QTest::mouseRelease(marker, Qt::LeftButton, {}, QPoint(marker->width() / 2, 4));
        const TMainForm::Indents after = editor->paragraphIndents();
        EXPECT_NEAR(after.first, before.first, 1) << marker->objectName().toStdString();
        EXPECT_NEAR(after.first + after.left, before.first + before.left, 1) << marker->objectName().toStdString();
        EXPECT_NEAR(after.right, before.right, 1) << marker->objectName().toStdString();
    }
}

TEST(FormatBar, FormattingSurvivesSavingAndOpening)
{
    Editor editor(QStringLiteral("Вязкость смесей\nвторой абзац"));
    editor.select(0, 8);
    editor->BoldButton->click();
    editor->CenterAlign->click();
    editor->FontSize->setText(QStringLiteral("14"));
    editor.select(20, 20);
    editor->BulletsButton->click();

    QTextDocument reopened;
    QString error;
    ASSERT_TRUE(readRtf(writeRtf(*editor->RichEdit1->document()), reopened, &error)) << error.toStdString();
    QTextCursor cursor(&reopened);
    cursor.setPosition(3);
    EXPECT_EQ(cursor.charFormat().fontWeight(), QFont::Bold);
    EXPECT_EQ(cursor.charFormat().fontPointSize(), 14);
    EXPECT_EQ(cursor.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
    cursor.setPosition(12);
    EXPECT_NE(cursor.charFormat().fontWeight(), QFont::Bold);
    EXPECT_NE(reopened.lastBlock().textList(), nullptr);
}

// Where the editor draws text against its ruler, and what the user meets in
// the editor in the first hour: keys, hints, the margin.
#include "text/RtfWriter.h"
#include "ui/common/Messages.h"
#include "ui/editor/EditorTesting.h"

#include <QStatusBar>
#include <QStatusTipEvent>

using namespace kaldex;
using namespace kaldex::ui;

namespace {

const QByteArray kIndented = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\f0\\fs24 "
                             "\\pard plain\\par\\pard\\li1440 one inch\\par}";

}  // namespace

TEST(Ruler, TextStandsWhereItsMarkerStands)
{
    test::ShownEditor e;
    e.open(kIndented);
    const int plain = e.drawnX(0);
    e.text->moveCursor(QTextCursor::End);
    // One inch at the ruler's 96 pixels an inch, for the text and for its markers.
    EXPECT_EQ(e.drawnX(1) - plain, 96);
    EXPECT_NEAR(e.tipX("FirstInd"), e.drawnX(1), 2);
    EXPECT_NEAR(e.tipX("LeftInd"), e.drawnX(1), 2);

    // Indents 0: the markers at 2, 2 and the ruler's client width - 6 - 8; its line 4 from both ends.
    e.text->moveCursor(QTextCursor::Start);
    const int client = e.find<QFrame>("Ruler")->contentsRect().width();
    EXPECT_EQ(e.left("RightInd"), client - 6 - 8);
    EXPECT_EQ(e.find("RulerLine")->width(), client - 8);

    // Dragged 40 pixels right, the first line moves 40 pixels and the file says so.
    const int markerBefore = e.tipX("FirstInd");
    e.drag("FirstInd", 40);
    EXPECT_EQ(e.left("LeftInd"), 2) << "the other lines stay";
    EXPECT_NEAR(e.drawnX(0) - plain, 40, 1);
    EXPECT_NEAR(e.tipX("FirstInd") - markerBefore, 40, 1);
    EXPECT_TRUE(writeRtf(*e.text->document()).contains("\\fi600\\li0"));

    // Dropped at 41, it sets trunc(40 / s) points at the single-precision scale s: 29, not 30.
    e.drag("FirstInd", -1);
    EXPECT_EQ(e.left("FirstInd"), 40);
    EXPECT_TRUE(writeRtf(*e.text->document()).contains("\\fi580\\li0"));

    // Dragged far past the left end, it stays on the ruler and the text in the text area.
    e.drag("FirstInd", -500);
    EXPECT_EQ(e.left("FirstInd"), 2);
    EXPECT_EQ(e.drawnX(0), plain);
    e.drag("LeftInd", -500);
    EXPECT_EQ(e.left("LeftInd"), 2);
    EXPECT_GE(e.text->textCursor().blockFormat().leftMargin(), 0);
}

// 28 points stand where the marker stands when it sets them, trunc(28 s) + 2. Shown at 38, the marker stuck
// there, each further pixel setting 28 points again.
TEST(Ruler, EachPixelDraggedMovesTheMarkerOn)
{
    test::ShownEditor e;
    e.open(kIndented);
    e.drag("FirstInd", 36);
    e.drag("FirstInd", 1);
    EXPECT_EQ(e.left("FirstInd"), 39);
    e.drag("FirstInd", 1);
    EXPECT_EQ(e.left("FirstInd"), 40);
}

TEST(Ruler, BulletedParagraphsShowAndKeepTheirIndents)
{
    test::ShownEditor e;
    e.text->setPlainText(QStringLiteral("bullet"));
    e.find<QToolButton>("BulletsButton")->click();
    const int listed = e.drawnX(0);
    EXPECT_NEAR(e.tipX("FirstInd"), listed, 1) << "the list's own indent is shown";

    e.drag("LeftInd", 30);
    e.drag("FirstInd", 30);
    EXPECT_NEAR(e.drawnX(0) - listed, 30, 1);
    const QByteArray rtf = writeRtf(*e.text->document());
    // The list's own indent first, then the paragraph's, 30 pixels (about 450 twips) further.
    const qsizetype own = rtf.indexOf("\\ls1\\ilvl0\\fi-360\\li720\\fi");
    ASSERT_GE(own, 0) << rtf.toStdString();
    const int left = rtf.mid(rtf.indexOf("\\li", own + 25) + 3, 4).toInt();
    EXPECT_NEAR(left, 720 + 450, 15);
}

TEST(Ruler, TheBarFollowsOpenNewAndUndo)
{
    test::ShownEditor e;
    MessageHook messages;
    messages.setNextAnswer(Answer::No);  // the changes before Open
    messages.setNextAnswer(Answer::No);  // and before New
    e.text->setPlainText(QStringLiteral("text"));
    e.find<QToolButton>("BoldButton")->click();
    e.drag("FirstInd", 40);
    const int moved = e.left("FirstInd");
    ASSERT_GT(moved, 30);

    e.find<QToolButton>("UndoButton")->click();
    EXPECT_EQ(e.left("FirstInd"), 2);
    e.text->redo();
    EXPECT_EQ(e.left("FirstInd"), moved);

    e.open(kIndented);  // the caret stays at the start, in the plain paragraph
    EXPECT_EQ(e.left("FirstInd"), 2);
    EXPECT_FALSE(e.find<QToolButton>("BoldButton")->isChecked());
    EXPECT_EQ(e.find<QLineEdit>("FontSize")->text(), QStringLiteral("12"));
    e.text->moveCursor(QTextCursor::End);
    EXPECT_EQ(e.left("FirstInd"), 98);

    e.editor.newFile();
    EXPECT_EQ(e.left("FirstInd"), 2);
}

// Delete never closing the editor: tests/e2e/pocket.sh.
TEST(EditorKeys, TheLookIsRight)
{
    test::ShownEditor e;
    e.open(kIndented, true);

    // The format buttons' hints reach the status bar, as the menus' do.
    QWidget *bold = e.find("BoldButton");
    QStatusTipEvent tip(bold->statusTip());
    QApplication::sendEvent(bold, &tip);
    EXPECT_EQ(e.find<QStatusBar>("StatusBar")->currentMessage(), QStringLiteral("Bold"));

    // The margin beside the text is white, and the caption fits its button.
    const QImage picture = e.text->grab().toImage();
    EXPECT_EQ(picture.pixelColor(4, picture.height() / 2), QColor(Qt::white));
    QWidget *caption = e.find("Button3");
    EXPECT_LE(caption->sizeHint().width(), caption->width());
}

// Where the editor draws text against its ruler, and what the user meets in
// the editor in the first hour: keys, hints, the margin.
#include "text/RtfReader.h"
#include "text/RtfWriter.h"
#include "ui/WindowTesting.h"
#include "ui/common/Dialogs.h"
#include "ui/common/Messages.h"
#include "ui/editor/PocketEditor.h"
#include "ui/editor/RulerMarker.h"

#include <QAbstractTextDocumentLayout>
#include <QMenu>
#include <QStatusBar>
#include <QTextLayout>
#include <QTextList>

using namespace kaldex;
using namespace kaldex::ui;

namespace {

struct Shown {
    DocumentStore store;
    PocketEditor editor{store};
    Shown()
    {
        editor.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&editor));
    }

    // Where the first line of the paragraph is drawn, in window pixels.
    int drawnX(int paragraph)
    {
        QTextDocument *document = editor.textEdit->document();
        const QTextBlock block = document->findBlockByNumber(paragraph);
        document->documentLayout()->blockBoundingRect(block);  // lays the block out
        const QTextLayout *layout = block.layout();
        return qRound(layout->position().x() + layout->lineAt(0).x()) +
               editor.textEdit->viewport()->mapTo(&editor, QPoint()).x();
    }
    int tipX(RulerMarker *marker) { return marker->mapTo(&editor, QPoint(marker->width() / 2, 0)).x(); }

    void open(const QByteArray &rtf, bool readOnly = false)
    {
        test::TempDir dir;
        test::writeBytes(dir.file("opened.rtf"), rtf.toStdString());
        DialogHook dialogs;
        dialogs.openName = QString::fromStdString(dir.file("opened.rtf"));
        dialogs.openReadOnly = readOnly;
        editor.openFile();
    }
    void drag(RulerMarker *marker, int by)
    {
        const QPoint middle(marker->width() / 2, 4);
        QTest::mousePress(marker, Qt::LeftButton, {}, middle);
        QMouseEvent move(QEvent::MouseMove, QPointF(middle + QPoint(by, 0)), marker->mapToGlobal(QPointF(middle)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(marker, &move);
        QTest::mouseRelease(marker, Qt::LeftButton, {}, middle);
    }
};

const QByteArray kIndented = "{\\rtf1\\ansi{\\fonttbl{\\f0 Times New Roman;}}\\f0\\fs24 "
                             "\\pard plain\\par\\pard\\li1440 one inch\\par}";

}  // namespace

TEST(Ruler, TextStandsWhereItsMarkerStands)
{
    Shown s;
    s.open(kIndented);
    const int plain = s.drawnX(0);
    s.editor.textEdit->moveCursor(QTextCursor::End);
    // One inch at the ruler's 96 pixels an inch, for the text and for its markers.
    EXPECT_EQ(s.drawnX(1) - plain, 96);
    EXPECT_NEAR(s.tipX(s.editor.firstIndentMarker), s.drawnX(1), 2);
    EXPECT_NEAR(s.tipX(s.editor.leftIndentMarker), s.drawnX(1), 2);

    // Dragged 40 pixels right, the first line moves 40 pixels and the file says so.
    s.editor.textEdit->moveCursor(QTextCursor::Start);
    EXPECT_EQ(s.editor.rightIndentMarker->x(), s.editor.rulerClientWidth() - 6 - 8);
    const int markerBefore = s.tipX(s.editor.firstIndentMarker);
    s.drag(s.editor.firstIndentMarker, 40);
    EXPECT_EQ(s.editor.leftIndentMarker->x(), 2);  // the other lines stay
    EXPECT_FALSE(s.editor.draggingMarker);
    EXPECT_NEAR(s.drawnX(0) - plain, 40, 1);
    EXPECT_NEAR(s.tipX(s.editor.firstIndentMarker) - markerBefore, 40, 1);
    EXPECT_TRUE(writeRtf(*s.editor.textEdit->document()).contains("\\fi600\\li0"));

    // Dragged far past the left end, it stays on the ruler and the text in the text area.
    s.drag(s.editor.firstIndentMarker, -500);
    EXPECT_EQ(s.editor.firstIndentMarker->x(), 2);
    EXPECT_EQ(s.drawnX(0), plain);
    s.drag(s.editor.leftIndentMarker, -500);
    EXPECT_EQ(s.editor.leftIndentMarker->x(), 2);
    EXPECT_GE(s.editor.textEdit->textCursor().blockFormat().leftMargin(), 0);
}

TEST(Ruler, BulletedParagraphsShowAndKeepTheirIndents)
{
    Shown s;
    s.editor.textEdit->setPlainText(QStringLiteral("bullet"));
    s.editor.bulletsButton->click();
    const QTextBlock block = s.editor.textEdit->document()->firstBlock();
    const int listed = s.drawnX(0);
    EXPECT_NEAR(s.tipX(s.editor.firstIndentMarker), listed, 1);  // the list's own indent is shown

    s.drag(s.editor.leftIndentMarker, 30);
    s.drag(s.editor.firstIndentMarker, 30);
    EXPECT_NEAR(s.drawnX(0) - listed, 30, 1);
    const QByteArray rtf = writeRtf(*s.editor.textEdit->document());
    // The list's own indent first, then the paragraph's, 30 pixels (about 450 twips) further.
    const qsizetype own = rtf.indexOf("\\ls1\\ilvl0\\fi-360\\li720\\fi");
    ASSERT_GE(own, 0) << rtf.toStdString();
    const int left = rtf.mid(rtf.indexOf("\\li", own + 25) + 3, 4).toInt();
    EXPECT_NEAR(left, 720 + 450, 15);

    QTextDocument back;
    ASSERT_TRUE(readRtf(rtf, back, nullptr));
    EXPECT_NE(back.firstBlock().textList(), nullptr);
    for (auto margin : {&QTextBlockFormat::leftMargin, &QTextBlockFormat::textIndent})
        EXPECT_NEAR((back.firstBlock().blockFormat().*margin)(), (block.blockFormat().*margin)(), 0.1);
}

TEST(Ruler, TheBarFollowsOpenNewAndUndo)
{
    Shown s;
    MessageHook messages;
    messages.setNextAnswer(Answer::No);  // the changes before Open
    messages.setNextAnswer(Answer::No);  // and before New
    s.editor.textEdit->setPlainText(QStringLiteral("text"));
    s.editor.boldButton->click();
    s.drag(s.editor.firstIndentMarker, 40);
    const int moved = s.editor.firstIndentMarker->x();
    ASSERT_GT(moved, 30);

    s.editor.undo();
    EXPECT_EQ(s.editor.firstIndentMarker->x(), 2);
    s.editor.textEdit->redo();
    EXPECT_EQ(s.editor.firstIndentMarker->x(), moved);

    s.open(kIndented);  // the caret stays at the start, in the plain paragraph
    EXPECT_EQ(s.editor.firstIndentMarker->x(), 2);
    EXPECT_FALSE(s.editor.boldButton->isChecked());
    EXPECT_EQ(s.editor.fontSizeField->text(), QStringLiteral("12"));
    s.editor.textEdit->moveCursor(QTextCursor::End);
    EXPECT_EQ(s.editor.firstIndentMarker->x(), 98);

    s.editor.newFile();
    EXPECT_EQ(s.editor.firstIndentMarker->x(), 2);
}

// Delete never closing the editor: tests/e2e/run-e2e.
TEST(EditorKeys, TheLookIsRight)
{
    Shown s;
    s.open(kIndented, true);
    EXPECT_EQ(s.editor.exitAction->text(), QStringLiteral("E&xit\tDelete"));

    // The format buttons' hints reach the status bar, as the menus' do.
    QStatusTipEvent tip(s.editor.boldButton->statusTip());
    QApplication::sendEvent(s.editor.boldButton, &tip);
    EXPECT_EQ(s.editor.statusBar->currentMessage(), QStringLiteral("Bold"));

    // The margin beside the text is white, and the caption fits its button.
    const QImage picture = s.editor.textEdit->grab().toImage();
    EXPECT_EQ(picture.pixelColor(4, picture.height() / 2), QColor(Qt::white));
    EXPECT_LE(s.editor.captionButton->sizeHint().width(), s.editor.captionButton->width());
}

#pragma once

// The pocket editor shown, as its tests meet it: controls found by their
// layout names, and a text of its own.

#include "ui/WindowTesting.h"
#include "ui/common/Dialogs.h"
#include "ui/editor/PocketEditor.h"

#include <QAbstractTextDocumentLayout>
#include <QMouseEvent>
#include <QTextLayout>

namespace kaldex::test {

/** An editor over an empty pocket, shown, holding two paragraphs. */
struct ShownEditor {
    DocumentStore store;
    ui::PocketEditor editor{store};
    QTextEdit *text = find<QTextEdit>("RichEdit1");

    ShownEditor()
    {
        editor.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&editor));
        text->setPlainText(QStringLiteral("first paragraph\nsecond paragraph"));
    }

    /** The control of that layout name; the test fails when there is none. */
    template <class T = QWidget> T *find(const char *name)
    {
        T *found = editor.findChild<T *>(QString::fromLatin1(name));
        if (!found)
            ADD_FAILURE() << "no control named " << name;
        return found;
    }

    // Selects the characters [from, to) of the text.
    void select(int from, int to)
    {
        QTextCursor cursor(text->document());
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        text->setTextCursor(cursor);
    }
    QTextCharFormat formatAt(int position)
    {
        QTextCursor cursor(text->document());
        cursor.setPosition(position);
        return cursor.charFormat();
    }

    // Where the first line of the paragraph is drawn, in window pixels.
    int drawnX(int paragraph)
    {
        const QTextBlock block = text->document()->findBlockByNumber(paragraph);
        text->document()->documentLayout()->blockBoundingRect(block);  // lays the block out
        const QTextLayout *layout = block.layout();
        return qRound(layout->position().x() + layout->lineAt(0).x()) + text->viewport()->mapTo(&editor, QPoint()).x();
    }
    // Where a ruler marker points, in window pixels.
    int tipX(const char *marker)
    {
        QWidget *widget = find(marker);
        return widget->mapTo(&editor, QPoint(widget->width() / 2, 0)).x();
    }
    int left(const char *marker) { return find(marker)->x(); }

    void open(const QByteArray &rtf, bool readOnly = false)
    {
        TempDir dir;
        writeBytes(dir.file("opened.rtf"), rtf.toStdString());
        ui::DialogHook dialogs;
        dialogs.openName = QString::fromStdString(dir.file("opened.rtf"));
        dialogs.openReadOnly = readOnly;
        editor.openFile();
    }

    // Takes the marker at its middle, moves it by pixels and drops it there.
    void drag(const char *marker, int by)
    {
        QWidget *widget = find(marker);
        const QPoint middle(widget->width() / 2, 4);
        QTest::mousePress(widget, Qt::LeftButton, {}, middle);
        const QPointF to = middle + QPoint(by, 0);
        QMouseEvent move(QEvent::MouseMove, to, widget->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
        QTest::mouseRelease(widget, Qt::LeftButton, {}, middle);
    }
};

}  // namespace kaldex::test

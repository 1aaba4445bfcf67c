#pragma once

// The toolkit adapter: the code page (app/Encoding.h), and the few rich-text
// and widget operations the windows are written against.

#include "text/Encoding.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>

class QTextDocument;
class QTextEdit;
class QWidget;

namespace kaldex::ui {

// Rich-text lines. A line is a paragraph of the document; "displayed" lines
// are what the control shows once paragraphs wrap at its width.

/** Empties the document; it then holds one empty line. */
void clearLines(QTextDocument *document);
/** Adds text as the next line; its line feeds start further lines. */
void appendLine(QTextDocument *document, const QString &text);
/**
 * Replaces line i with text; each line feed in text starts a new line
 * inserted after it. An index at or past the last line is ignored.
 */
void writeLine(QTextDocument *document, int index, const QString &text);
int lineCount(const QTextDocument *document);
QString lineAt(const QTextDocument *document, int index);
/** The lines as the control shows them, wrapped at its width. */
QStringList displayedLines(QTextEdit *edit);

/** A font as the layouts give it: family and height in pixels. */
QFont layoutFont(const QString &family, int pixelSize, bool bold = false, bool italic = false);
void centerOnScreen(QWidget *window);
/** Fills the window's background with the layout's colour. */
void setBackground(QWidget *window, const QColor &colour);
/** Sets the keyboard focus order to the given widgets, in that order. */
void setTabChain(std::initializer_list<QWidget *> chain);

}  // namespace kaldex::ui

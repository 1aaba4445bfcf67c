#pragma once

// The toolkit adapter: the code page (text/Encoding.h), and the few rich-text
// and widget operations the windows are written against.

#include "text/Encoding.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>

class QTextEdit;
class QWidget;

namespace kaldex::ui {

/**
 * The lines of a rich-text control as it shows them: a paragraph wider than
 * the control gives a line for each of its wrapped lines.
 */
QStringList displayedLines(QTextEdit *edit);

/** A font as the layouts give it: family and height in pixels. */
QFont layoutFont(const QString &family, int pixelSize, bool bold = false, bool italic = false);
void centerOnScreen(QWidget *window);
/** Fills the window's background with the layout's colour. */
void setBackground(QWidget *window, const QColor &colour);
/** Sets the keyboard focus order to the given widgets, in that order. */
void setTabChain(std::initializer_list<QWidget *> chain);

}  // namespace kaldex::ui

#pragma once

#include <QTextCursor>
#include <QTextEdit>

namespace kaldex::ui {

// Every format the editor's controls give the text goes through mergeFormat.

/** Into the selection; with none, into what is typed next at the caret. */
inline void mergeFormat(QTextEdit &text, const QTextCharFormat &format)
{
    text.mergeCurrentCharFormat(format);
}

/** Into every paragraph the selection touches. */
inline void mergeFormat(QTextEdit &text, const QTextBlockFormat &format)
{
    text.textCursor().mergeBlockFormat(format);
}

}  // namespace kaldex::ui

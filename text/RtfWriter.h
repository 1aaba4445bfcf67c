#pragma once

#include <QByteArray>

class QTextDocument;

namespace kaldex::ui {

/**
 * The document as RTF 1 that word processors open: \ansicpg1251, a font
 * table with Cyrillic charsets, \'hh for Windows-1251 bytes and \uN for any
 * other character; keeps font name, size, bold, italic, underline,
 * alignment, first/left/right indents and bullets.
 */
QByteArray writeRtf(const QTextDocument &document);

}  // namespace kaldex::ui

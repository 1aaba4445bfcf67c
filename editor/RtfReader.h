#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

namespace kaldex::ui {

/** Whether the bytes start like an RTF file ("{\rtf", after white space). */
bool looksLikeRtf(const QByteArray &bytes);

/**
 * Replaces the document's content with the RTF in bytes, formatting
 * included. Returns false with a message in *error (Russian, for the user)
 * when the bytes are not readable RTF; the document is then left unchanged.
 * Never crashes on malformed input.
 */
bool readRtf(const QByteArray &bytes, QTextDocument &document, QString *error);

/** Plain text: valid UTF-8 as UTF-8, anything else as Windows-1251. */
void readPlainText(const QByteArray &bytes, QTextDocument &document);

}  // namespace kaldex::ui

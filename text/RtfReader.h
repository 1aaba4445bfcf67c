#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class QTextDocument;

namespace kaldex::ui {

/**
 * Told how far reading has come, in thousandths; returns false to stop.
 * Called every few hundred kilobytes and every few thousand paragraphs.
 */
using RtfProgress = std::function<bool(int permille)>;

/**
 * A list's format property marking a QTextList that goes on where the list
 * before it ends: the reader cuts a long list into such parts (Qt's work to
 * add a block to a list grows with the list), the writer joins them again.
 */
constexpr int kContinuedListProperty = 0x100000 + 1;  // QTextFormat::UserProperty + 1

/** Whether the bytes start like an RTF file ("{\rtf", after white space). */
bool looksLikeRtf(const QByteArray &bytes);

/**
 * Replaces the document's content with the RTF in bytes, formatting
 * included. Returns false with a message in *error (Russian, for the user)
 * when the bytes are not readable RTF; the document is then left unchanged.
 * Never crashes on malformed input. Takes time and memory linear in the
 * bytes. When progress returns false, returns false with *error empty; the
 * document may then hold part of the text.
 */
bool readRtf(const QByteArray &bytes, QTextDocument &document, QString *error, const RtfProgress &progress = {});

/** Plain text: valid UTF-8 as UTF-8, anything else as Windows-1251. */
void readPlainText(const QByteArray &bytes, QTextDocument &document);

}  // namespace kaldex::ui

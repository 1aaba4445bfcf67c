#include "text/RtfWriter.h"

#include "core/encoding/CodePage.h"
#include "core/report/PlainRtf.h"
#include "text/Indents.h"
#include "text/RtfReader.h"

#include <QHash>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <algorithm>
#include <array>

#include <cstdint>

namespace kaldex::ui {
namespace {

constexpr int kMaxLevels = 9;

/**
 * Text as RTF: ASCII as is, Windows-1251 as \'hh, anything else as \uN?.
 * afterWord says a control word was just written, so plain text needs the
 * delimiting space first.
 */
void appendEscaped(QByteArray &out, QStringView text, bool &afterWord)
{
    static const char *const hex = "0123456789abcdef";
    // Written through a pointer into room made once: reports run to millions
    // of characters, and appending them one by one costs several times more.
    constexpr qsizetype kWidest = 9;  // "\u-32768?"
    const qsizetype start = out.size();
    const qsizetype needed = start + text.size() * kWidest + 1;
    if (out.capacity() < needed)
        out.reserve(std::max(needed, out.capacity() * 2));
    out.resize(needed);
    char *p = out.data() + start;
    auto put = [&p](const char *word) {
        while (*word)
            *p++ = *word++;
    };
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\t') {
            put("\\tab");
            afterWord = true;
            continue;
        }
        if (u == 0x2028) {
            put("\\line");
            afterWord = true;
            continue;
        }
        if (u >= 0x20 && u < 0x7F) {
            if (afterWord)
                *p++ = ' ';
            afterWord = false;
            if (u == u'\\' || u == u'{' || u == u'}')
                *p++ = '\\';
            *p++ = char(u);
            continue;
        }
        if (u < 0x20 || (u >= 0x7F && u < 0xA0) || u == QChar::ObjectReplacementCharacter ||
            (u >= 0xFDD0 && u <= 0xFDEF))
            continue;  // controls and the document's own markers are no text
        afterWord = false;
        if (u == 0x00A0) {
            put("\\~");
        } else if (u == 0x00AD) {
            put("\\-");
        } else if (u == 0x2011) {
            put("\\_");
        } else if (const int byte = cp1251Byte(u); byte >= 0) {
            *p++ = '\\';
            *p++ = '\'';
            *p++ = hex[byte >> 4];
            *p++ = hex[byte & 0xF];
        } else {
            // Signed 16 bits; a character beyond the BMP arrives here as two surrogates.
            put("\\u");
            put(QByteArray::number(int(static_cast<int16_t>(u))).constData());
            *p++ = '?';
        }
    }
    out.resize(p - out.constData());
}

QByteArray twips(qreal pixels)
{
    return QByteArray::number(twipsFromPixels(pixels));
}

struct RunFormat {
    int font = -1;
    int halfPoints = -1;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

QByteArray listLevels(bool numbered)
{
    QByteArray out;
    for (int level = 0; level < kMaxLevels; ++level) {
        const QByteArray n = QByteArray::number(level);
        out += numbered ? "{\\listlevel\\levelnfc0\\levelnfcn0" : "{\\listlevel\\levelnfc23\\levelnfcn23";
        out += "\\leveljc0\\leveljcn0\\levelfollow0\\levelstartat1";
        out += numbered ? "{\\leveltext\\'02\\'0" + n + ".;}{\\levelnumbers\\'01;}"
                        : QByteArray("{\\leveltext\\'01\\u8226 ?;}{\\levelnumbers;}");
        out += "\\fi-360\\li" + QByteArray::number(720 * (level + 1)) + "}";
    }
    return out;
}

}  // namespace

QByteArray writeRtf(const QTextDocument &document)
{
    const QFont base = document.defaultFont();
    const qreal basePoints = base.pointSizeF() > 0 ? base.pointSizeF() : 12.0;
    QStringList fonts{base.family()};
    QList<const QTextList *> lists;             // in order of first use
    QHash<const QTextList *, int> listNumbers;  // the \ls of each list
    QHash<const QTextList *, int> listStarts;   // items of the same \ls before the list
    bool anyNumbered = false;

    auto familyOf = [&base](const QTextCharFormat &chars) {
        const QStringList families = chars.fontFamilies().toStringList();
        return families.isEmpty() || families.first().isEmpty() ? base.family() : families.first();
    };

    // The tables come first in the file: find the fonts (among the
    // document's formats) and the lists before writing, so the body goes
    // straight into the one output buffer. A report has few formats but
    // hundreds of thousands of fragments: each format is looked at once.
    QHash<int, RunFormat> runs;
    auto runOf = [&](int index, const QTextCharFormat &chars) {
        auto found = runs.constFind(index);
        if (found != runs.constEnd())
            return *found;
        const QString family = familyOf(chars);
        if (!fonts.contains(family))
            fonts.append(family);
        const qreal points = chars.hasProperty(QTextFormat::FontPointSize) && chars.fontPointSize() > 0
                                 ? chars.fontPointSize()
                                 : basePoints;
        const QTextCharFormat::UnderlineStyle style = chars.underlineStyle();
        const RunFormat run{int(fonts.indexOf(family)), qMax(1, qRound(points * 2)),
                            chars.fontWeight() >= QFont::DemiBold, chars.fontItalic(),
                            style != QTextCharFormat::NoUnderline && style != QTextCharFormat::SpellCheckUnderline};
        runs.insert(index, run);
        return run;
    };
    auto firstRun = [&](const QTextBlock &block) {
        QTextBlock::iterator fragments = block.begin();
        if (fragments.atEnd())
            return runOf(block.charFormatIndex(), block.charFormat());
        return runOf(fragments.fragment().charFormatIndex(), fragments.fragment().charFormat());
    };
    for (const QTextFormat &any : document.allFormats()) {
        if (any.isCharFormat()) {
            const QString family = familyOf(any.toCharFormat());
            if (!fonts.contains(family))
                fonts.append(family);
        }
    }
    const QTextList *previous = nullptr;  // the list of the block before
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextList *list = block.textList();
        if (list && !listNumbers.contains(list)) {
            // A part that the reader cut from a longer list goes on in its \ls.
            if (previous && list->format().boolProperty(kContinuedListProperty) &&
                previous->format().style() == list->format().style() &&
                previous->format().indent() == list->format().indent()) {
                listNumbers.insert(list, listNumbers.value(previous));
                listStarts.insert(list, listStarts.value(previous) + previous->count());
            } else {
                lists.append(list);
                listNumbers.insert(list, int(lists.size()));
                anyNumbered = anyNumbered || list->format().style() == QTextListFormat::ListDecimal;
            }
        }
        previous = list;
    }

    QByteArray out;
    out.reserve(qsizetype(document.characterCount()) * 4 + document.blockCount() * 40 + 4096);
    out += "{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049\n{\\fonttbl";
    for (int i = 0; i < fonts.size(); ++i) {
        out += "{\\f" + QByteArray::number(i) + rtfFamilyWord(fonts[i].toUtf8().toStdString()) + "\\fcharset204";
        bool afterWord = true;
        appendEscaped(out, QString(fonts[i]).remove(QLatin1Char(';')), afterWord);
        out += ";}";
    }
    out += "}\n";
    if (!lists.isEmpty()) {
        out += "{\\*\\listtable{\\list\\listtemplateid1" + listLevels(false) + "\\listid1}";
        if (anyNumbered)
            out += "{\\list\\listtemplateid2" + listLevels(true) + "\\listid2}";
        out += "}\n{\\listoverridetable";
        for (int i = 0; i < lists.size(); ++i) {
            const bool numbered = lists[i]->format().style() == QTextListFormat::ListDecimal;
            out += QByteArray("{\\listoverride\\listid") + (numbered ? "2" : "1") + "\\listoverridecount0\\ls" +
                   QByteArray::number(i + 1) + "}";
        }
        out += "}\n";
    }
    out += "\\uc1\n";

    QByteArray &body = out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextBlockFormat paragraph = block.blockFormat();
        bool afterWord = true;
        body += "\\pard\\plain";
        const QTextList *list = block.textList();
        if (list) {
            const int level = qBound(0, list->format().indent() - 1, kMaxLevels - 1);
            const int listLeft = kListLevelTwips * (level + 1);
            body += "\\ls" + QByteArray::number(listNumbers.value(list)) + "\\ilvl" + QByteArray::number(level) +
                    "\\fi" + QByteArray::number(kBulletTwips) + "\\li" + QByteArray::number(listLeft);
            // The paragraph's own indents count beyond the list's; the later values hold.
            const int left = twipsFromPixels(paragraph.leftMargin() + paragraph.indent() * document.indentWidth());
            const int first = twipsFromPixels(paragraph.textIndent());
            if (left != 0 || first != 0)
                body +=
                    "\\fi" + QByteArray::number(kBulletTwips + first) + "\\li" + QByteArray::number(listLeft + left);
            // Office suites tab from the bullet to the left indent, where the
            // other lines start; a first line of its own needs a stop of its own.
            if (first != 0)
                body += "\\tx" + QByteArray::number(listLeft + left + first);
        } else {
            body += "\\fi" + twips(paragraph.textIndent()) + "\\li" +
                    twips(paragraph.leftMargin() + paragraph.indent() * document.indentWidth());
        }
        body += "\\ri" + twips(paragraph.rightMargin());
        const Qt::Alignment align = paragraph.alignment() & Qt::AlignHorizontal_Mask;
        body += align & Qt::AlignJustify                       ? "\\qj"
                : align & Qt::AlignHCenter                     ? "\\qc"
                : align & (Qt::AlignRight | Qt::AlignTrailing) ? "\\qr"
                                                               : "\\ql";

        RunFormat written;  // after \plain: the bold, italic and underline flags are off
        auto format = [&](const RunFormat &run) {
            const qsizetype before = body.size();
            if (run.font != written.font)
                body += "\\f" + QByteArray::number(run.font);
            if (run.halfPoints != written.halfPoints)
                body += "\\fs" + QByteArray::number(run.halfPoints);
            if (run.bold != written.bold)
                body += run.bold ? "\\b" : "\\b0";
            if (run.italic != written.italic)
                body += run.italic ? "\\i" : "\\i0";
            if (run.underline != written.underline)
                body += run.underline ? "\\ul" : "\\ulnone";
            afterWord = afterWord || body.size() != before;
            written = run;
        };

        format(firstRun(block));
        QTextBlock::iterator fragments = block.begin();
        if (list) {
            const bool numbered = list->format().style() == QTextListFormat::ListDecimal;
            // Text for readers that know no lists; readers that do drop it.
            body += numbered ? "{\\listtext " +
                                   QByteArray::number(listStarts.value(list) + list->itemNumber(block) + 1) + ".\\tab}"
                             : QByteArray("{\\listtext\\'95\\tab}");
            afterWord = false;
        }
        for (; !fragments.atEnd(); ++fragments) {
            const QTextFragment fragment = fragments.fragment();
            format(runOf(fragment.charFormatIndex(), fragment.charFormat()));
            appendEscaped(body, fragment.text(), afterWord);
        }
        body += "\\par\n";
    }

    out += "}\n";
    return out;
}

}  // namespace kaldex::ui

#include "text/RtfReader.h"
#include "text/RtfWriter.h"
#include "ui/WindowTesting.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextCursor>
#include <QTextList>

#include <cstring>

using namespace kaldex::ui;

namespace {

QByteArray fixture(const char *name)
{
    return QByteArray::fromStdString(kaldex::test::readBytes(kaldex::test::dataFile(std::string("editor/") + name)));
}

template <class Describe> QStringList perBlock(const QTextDocument &document, Describe describe)
{
    QStringList out;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        out << describe(block);
    return out;
}

QStringList blocks(const QTextDocument &document)
{
    return perBlock(document, [](const QTextBlock &b) { return b.text(); });
}

QTextBlock blockAt(const QTextDocument &document, int index)
{
    return document.findBlockByNumber(index);
}

// The formatting where each text first occurs, as one comparable line: "Arial 12pt bold | ...".
QString formats(const QTextDocument &document, const QStringList &texts)
{
    QStringList out;
    for (const QString &text : texts) {
        const QTextCharFormat f = document.find(text, 0, QTextDocument::FindCaseSensitively).charFormat();
        out << QStringLiteral("%1 %2pt%3%4%5")
                   .arg(f.fontFamilies().toStringList().value(0))
                   .arg(f.fontPointSize())
                   .arg(f.fontWeight() >= QFont::DemiBold ? " bold" : "")
                   .arg(f.fontItalic() ? " italic" : "")
                   .arg(f.fontUnderline() ? " underline" : "");
    }
    return out.join(QStringLiteral(" | "));
}

// One letter per paragraph: L, R, C or J.
QString alignments(const QTextDocument &document)
{
    return perBlock(document,
                    [](const QTextBlock &b) {
                        const Qt::Alignment a = b.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
                        return QString(a == Qt::AlignHCenter   ? u'C'
                                       : a == Qt::AlignJustify ? u'J'
                                       : (a & Qt::AlignRight)  ? u'R'
                                                               : u'L');
                    })
        .join(QString());
}

// Indents, margins and list of every paragraph: "first/left/right list-style:indent:count; ...".
QString paragraphs(const QTextDocument &document)
{
    return perBlock(document,
                    [](const QTextBlock &b) {
                        const QTextBlockFormat f = b.blockFormat();
                        const QTextList *list = b.textList();
                        return QStringLiteral("%1/%2/%3").arg(f.textIndent()).arg(f.leftMargin()).arg(f.rightMargin()) +
                               (list ? QStringLiteral(" %1:%2:%3")
                                           .arg(list->format().style())
                                           .arg(list->format().indent())
                                           .arg(list->count())
                                     : QString()) +
                               QStringLiteral("; ");
                    })
        .join(QString());
}

// No family or size when points is 0; style: any of "biu" for bold, italic, underline.
QTextCharFormat chars(const QString &family, qreal points, const char *style = "")
{
    QTextCharFormat f;
    if (points > 0)
        f.setFontFamilies({family}), f.setFontPointSize(points);
    f.setFontWeight(strchr(style, 'b') ? QFont::Bold : QFont::Normal);
    f.setFontItalic(strchr(style, 'i')), f.setFontUnderline(strchr(style, 'u'));
    return f;
}

bool readsBack(const QByteArray &rtf, QTextDocument &document)
{
    QString error;
    const bool ok = readRtf(rtf, document, &error);
    EXPECT_TRUE(ok) << error.toStdString();
    return ok;
}

const QString kEmoji = QString::fromUtf8("\xF0\x9F\x98\x80");  // U+1F600, outside the BMP

// The last value of a control word in the n-th list paragraph (cut at \par and \pard), empty if none.
QString listParagraphValue(const QByteArray &rtf, int n, const char *word)
{
    const QStringList listed = QString::fromLatin1(rtf).split(QStringLiteral("\\par")).filter(QStringLiteral("\\ilvl"));
    const QRegularExpression last(QStringLiteral("(?s).*\\\\%1(-?\\d+)").arg(QLatin1String(word)));
    return last.match(listed.value(n)).captured(1);
}

}  // namespace

TEST(Rtf, RoundTripKeepsTextCharacterAndParagraphFormats)
{
    QTextDocument source;
    QFont base(QStringLiteral("Liberation Serif"));
    base.setPointSizeF(11);
    source.setDefaultFont(base);
    QTextCursor cursor(&source);
    auto paragraph = [&](const QString &text, Qt::Alignment align = Qt::AlignLeft, qreal first = 0, qreal left = 0,
                         qreal right = 0) {
        QTextBlockFormat f;
        f.setAlignment(align), f.setTextIndent(first), f.setLeftMargin(left), f.setRightMargin(right);
        cursor.insertBlock(f);
        cursor.insertText(text);
    };
    cursor.insertText(QStringLiteral("Вязкость "), chars("Times New Roman", 12));
    cursor.insertText(QStringLiteral("жирно"), chars("Times New Roman", 12, "b"));
    cursor.insertText(QStringLiteral(" курсив"), chars("Times New Roman", 12, "i"));
    cursor.insertText(QStringLiteral(" черта"), chars("Times New Roman", 12, "u"));
    cursor.insertText(QStringLiteral(" всё сразу"), chars("Arial", 14.5, "biu"));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("α-σ ") + kEmoji + QStringLiteral(" \\{x}\tтаб") + QChar(QChar::LineSeparator) +
                          QStringLiteral("строка") + QChar(0x00A0) + QStringLiteral("№ €"),
                      chars("Courier New", 9));
    cursor.insertBlock();
    cursor.insertText(QStringLiteral("без размера"), chars("", 0));
    QTextListFormat disc, numbers;
    disc.setStyle(QTextListFormat::ListDisc);
    numbers.setStyle(QTextListFormat::ListDecimal);
    QTextListFormat inner = disc;
    inner.setIndent(2);
    paragraph("слева", Qt::AlignLeft, 18, 36, 9);
    paragraph("справа", Qt::AlignRight);
    paragraph("по центру", Qt::AlignHCenter);
    paragraph("по ширине", Qt::AlignJustify, -12, 72, 0);
    paragraph("Гелий");
    QTextList *first = cursor.createList(disc);
    paragraph("Аргон, вложенный");
    cursor.createList(inner);
    paragraph("Неон");
    first->add(cursor.block());
    paragraph("раз");
    QTextList *numbered = cursor.createList(numbers);
    paragraph("два");
    numbered->add(cursor.block());
    paragraph("");  // an empty paragraph stays

    QTextDocument target;
    const QByteArray rtf = writeRtf(source);
    ASSERT_TRUE(readsBack(rtf, target));
    ASSERT_EQ(blocks(target), blocks(source));
    EXPECT_EQ(formats(target, {"Вязкость", "жирно", "курсив", "черта", "всё сразу", "α-σ", "без размера"}),
              "Times New Roman 12pt | Times New Roman 12pt bold | Times New Roman 12pt italic | "
              "Times New Roman 12pt underline | Arial 14.5pt bold italic underline | Courier New 9pt | "
              "Liberation Serif 11pt");
    EXPECT_EQ(alignments(target), alignments(source));
    EXPECT_EQ(paragraphs(target), paragraphs(source));
    // Separate lists stay separate.
    EXPECT_EQ(blockAt(target, 7).textList(), blockAt(target, 9).textList());
    EXPECT_NE(blockAt(target, 7).textList(), blockAt(target, 10).textList());

    // What other readers rely on: Cyrillic fonts, cp1251 bytes, signed \u with a
    // fallback, surrogate pairs, list text and nothing but ASCII in the file.
    EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251\\deff0\\deflang1049"));
    for (const char *part :
         {"{\\f0\\froman\\fcharset204 Liberation Serif;}", "\\fmodern\\fcharset204 Courier New;",
          "\\'c2\\'ff\\'e7\\'ea\\'ee\\'f1\\'f2\\'fc", "\\u945?-\\u963?", "\\u-10179?\\u-8704?", "\\\\\\{x\\}\\tab",
          "\\fi270\\li540\\ri135\\ql", "\\ls1\\ilvl0\\fi-360\\li720", "{\\listtext\\'95\\tab}", "{\\listtext 2.\\tab}"})
        EXPECT_TRUE(rtf.contains(part)) << part;
    for (char c : rtf)
        ASSERT_TRUE(static_cast<unsigned char>(c) < 0x80) << "non-ASCII byte in the file";

    // Control characters are dropped without taking the space that ends a control word.
    QTextDocument controls;
    QTextCursor(&controls).insertText(QChar(0x7F) + QStringLiteral("f3") + QChar(0x01) + QChar(0x85) + "x",
                                      chars("Arial", 8, "b"));
    ASSERT_TRUE(readsBack(writeRtf(controls), target));
    EXPECT_EQ(blocks(target), QStringList({"f3x"}));
}

// An office suite tabs from a bullet to the next stop, else to the left indent. It saved our
// file for these paragraphs as office-bullets.rtf, each first line where the editor has it.
TEST(Rtf, ListParagraphsWithTheirOwnIndentsStartWhereTheEditorShowsThem)
{
    QTextDocument document;
    document.setIndentWidth(720 / 15);  // a list level: half an inch
    QTextCursor cursor(&document);
    for (const QPoint own : {QPoint(1420, -600), QPoint(0, 600), QPoint(720, 0)}) {  // left, first line in twips
        QTextBlockFormat format;
        format.setLeftMargin(own.x() / 15.0);
        format.setTextIndent(own.y() / 15.0);
        cursor.insertBlock(format);
        cursor.createList(QTextListFormat::ListDisc);
    }
    const QByteArray ours = writeRtf(document);
    const QByteArray office = fixture("office-bullets.rtf");
    document.size();  // lays the text out
    for (int i = 0; i < 3; ++i) {
        const QString stop = listParagraphValue(office, i, "tx");
        const QString first = stop.isEmpty() ? listParagraphValue(office, i, "li") : stop;
        const qreal editor = blockAt(document, i + 1).layout()->lineAt(0).x();
        EXPECT_EQ(QString::number(qRound(editor * 15)), first) << "first line of " << i;
        for (const char *word : {"fi", "li", "tx"})
            EXPECT_EQ(listParagraphValue(ours, i, word), listParagraphValue(office, i, word)) << word << " of " << i;
    }
}

// Another program's reader finds the same words; list items show the fallback bullet.
TEST(Rtf, PeerReaderExtractsTheSameText)
{
    const QString unrtf = QStandardPaths::findExecutable(QStringLiteral("unrtf"));
    if (unrtf.isEmpty())
        GTEST_SKIP() << "unrtf is not installed";

    QTextDocument source;
    source.setHtml(QStringLiteral("<p>Теплопроводность смеси <b style='font-family:Arial'>He–Ar</b> при 300 K: λ ≈ "
                                  "0,15 {Вт/(м·К)} \\ ") +
                   kEmoji + QStringLiteral("</p><ul><li>Первый</li><li>Второй</li></ul><p>Ёлка\tи ёж</p>"));

    kaldex::test::TempDir dir;
    kaldex::test::writeBytes(dir.file("peer.rtf"), writeRtf(source).toStdString());
    // Its plain-text mode writes the low byte of each character; its HTML mode, character references.
    QProcess process;
    process.start(unrtf, {QStringLiteral("--html"), QString::fromStdString(dir.file("peer.rtf"))});
    ASSERT_TRUE(process.waitForFinished(20000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    QTextDocument seen;
    seen.setHtml(QString::fromUtf8(process.readAllStandardOutput()));
    EXPECT_EQ(seen.toPlainText().simplified(), QStringLiteral("Теплопроводность смеси He–Ar при 300 K: λ ≈ 0,15 "
                                                              "{Вт/(м·К)} \\ ") +
                                                   kEmoji + QStringLiteral(" • Первый • Второй Ёлка и ёж"));
}

TEST(RtfReader, ReadsFilesWrittenByAnOfficeSuite)
{
    QTextDocument document;
    ASSERT_TRUE(readsBack(fixture("office-formatting.rtf"), document));
    EXPECT_EQ(blocks(document),
              QStringList({"Перенос вязкость и теплопроводность газовых смесей; α-частицы.", "Заголовок по центру",
                           "Справа", "Абзац с отступами слева, справа и первой строки."}));
    EXPECT_EQ(
        formats(document, {"Перенос", "вязкость", "теплопроводность", "смесей", "α-частицы", "Заголовок", "Справа"}),
        "Times New Roman 12pt | Times New Roman 12pt bold | Times New Roman 12pt italic | "
        "Times New Roman 12pt underline | Times New Roman 12pt | Times New Roman 14pt | Arial 10pt");
    EXPECT_EQ(alignments(document), "LCRJ");
    // One inch left, half an inch right, a quarter inch first line, at 96 pixels an inch.
    const QTextBlockFormat indented = blockAt(document, 3).blockFormat();
    EXPECT_EQ(QList<qreal>({indented.leftMargin(), indented.rightMargin(), indented.textIndent()}),
              QList<qreal>({96, 48, 24}));

    ASSERT_TRUE(readsBack(fixture("office-list.rtf"), document));
    EXPECT_EQ(blocks(document), QStringList({"Список веществ:", "Гелий ", "Неон ", "Аргон ", "После списка."}));
    EXPECT_EQ(paragraphs(document).count(QStringLiteral(" -1:1:3;")), 3);  // one disc list of three, nothing else

    ASSERT_TRUE(readsBack(fixture("office-table.rtf"), document));
    EXPECT_EQ(blocks(document), QStringList({"Таблица:", "Газ\tВязкость", "He\t19,6", "Конец."}));

    // Our own file opened and saved again by the suite: \uN with real cp1251
    // fallback bytes, which must be skipped, not doubled.
    ASSERT_TRUE(readsBack(fixture("office-resaved.rtf"), document));
    EXPECT_EQ(blocks(document).mid(0, 4), QStringList({"Вязкость газовой смеси He–Ar, σ = 2,58 Å", "Первый пункт",
                                                       "Второй пункт", "Справа и жирно"}));
    EXPECT_NE(blockAt(document, 1).textList(), nullptr);
    EXPECT_EQ(blockAt(document, 1).textList(), blockAt(document, 2).textList());
    EXPECT_EQ(alignments(document).mid(3, 1), "R");
    EXPECT_TRUE(formats(document, {"жирно"}).contains("bold"));
    EXPECT_FALSE(document.toPlainText().contains(u'?'));  // no fallback byte doubled, no table name leaked
}

TEST(RtfReader, DecodesBytesByTheFontsCodePage)
{
    const struct {
        const char *rtf;
        QString text;
    } rows[] = {
        // Per-font charsets win over \ansicpg; a font without one falls back to it, or to its name.
        {"{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fcharset204 Arial;}"
         "{\\f1\\fcharset0{\\*\\panose 02020603050405020304}Times;}{\\f2 Arial Cyr;}{\\f3\\fcharset161 Greek;}}"
         "\\'cf\\'f0\\'e8 {\\f1 \\'e9\\'e8}\\f2 \\'ff\\f3 \\'e1\\f9 \\'e9\\par}",
         QStringLiteral("При éèяαé")},
        {"{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0 Arial;}}\\'c0\\'e1\\par}", QStringLiteral("Аб")},
        // Symbol-font bytes become the characters they show, also when written as \u.
        {"{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}{\\f2\\fcharset2 Wingdings;}}"
         "{\\f1 s\\'b1l\\'b7}{\\f1\\u-3913?}{\\f2 \\'a7}\\par}",
         QStringLiteral("σ±λ••▪")},
        // \uc sets how many fallback units follow; a hex byte, a control word or a
        // symbol counts as one, the delimiting space as none, and a brace ends them.
        {"{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fcharset204 Arial;}}"
         "\\u1055\\'cf\\uc2\\u1088 ab\\u1080\\'e8\\'e8\\u1074\\tab x{\\uc0\\u1077}"
         "\\u1090{}\\uc1 \\u-10179?\\u-8704?\\u55357?\\u56832?!\\par}",
         QStringLiteral("Привет") + kEmoji + kEmoji + "!"},
    };
    QTextDocument document;
    for (const auto &row : rows) {
        ASSERT_TRUE(readsBack(row.rtf, document));
        EXPECT_EQ(blocks(document), QStringList({row.text}));
    }
}

TEST(RtfReader, UnderstandsStructureAndSkipsWhatIsNoText)
{
    QTextDocument document;
    // Exact control words: \ulc0 is a colour, \ulnone and \ul0 end underline, \b0 bold.
    ASSERT_TRUE(readsBack("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\ul\\ulc0 a\\ulnone\\ulc0 b\\ul c\\ul0 d\\b e\\b0 f"
                          "\\i g\\plain h\\par}",
                          document));
    EXPECT_EQ(formats(document, {"a", "b", "c", "d", "e", "g", "h"}),
              "Arial 12pt underline | Arial 12pt | Arial 12pt underline | Arial 12pt | Arial 12pt bold | "
              "Arial 12pt italic | Arial 12pt");

    // Groups restore character formats; paragraph properties apply wherever they
    // appear in the paragraph and the last value wins; \pard resets them.
    ASSERT_TRUE(
        readsBack("{\\rtf1{\\b x{\\i y}z}w{\\qc c}\\li0\\fi-283\\li709\\par \\ri100 r\\par\\pard p\\par}", document));
    EXPECT_EQ(formats(document, {"x", "y", "w"}), " 12pt bold |  12pt bold italic |  12pt");
    EXPECT_EQ(alignments(document), "CCL");
    // Twips over 15: pixels at 96 an inch.
    EXPECT_EQ(paragraphs(document),
              QStringLiteral("%1/%2/0; %1/%2/%3; 0/0/0; ").arg(-283 / 15.0).arg(709 / 15.0).arg(100 / 15.0));

    // Destinations that hold no text, field results that do, unknown words that
    // are ignored, \bin data with braces, control symbols and bytes after the end.
    ASSERT_TRUE(readsBack("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red0\\green0\\blue0;}"
                          "{\\stylesheet{\\s0 Normal;}}{\\info{\\title Заголовок}}{\\*\\generator Gen;}"
                          "{\\*\\pgdsctbl{\\pgdsc0 Standard;}}{\\header Колонтитул}{\\*\\unknown skipped}"
                          "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt link}} \\madeupword kept"
                          "{\\pict\\bin4 }{\\}}\\~a\\-b\\_c\\tab d\\line e\\emdash\\ldblquote q\\rdblquote\\par "
                          "one\\cell two\\cell\\cell four\\cell\\row after\\page next\\par}trailing {\\b junk",
                          document));
    EXPECT_EQ(blocks(document), QStringList({"link kept" + QString(QChar(0xA0)) + "a" + QChar(0xAD) + "b" +
                                                 QChar(0x2011) + "c\td" + QChar(QChar::LineSeparator) + "e—“q”",
                                             "one\ttwo\t\tfour", "after", "next"}));
    EXPECT_EQ(blockAt(document, 3).blockFormat().pageBreakPolicy(), QTextFormat::PageBreak_AlwaysBefore);

    // Old bullets (\pn with a Symbol \pntext): the fallback text goes, the list stays.
    // Lists from a list table: office-list.rtf.
    ASSERT_TRUE(
        readsBack("{\\rtf1{\\fonttbl{\\f0\\fcharset204 Arial;}{\\f1\\fcharset2 Symbol;}}"
                  "\\pard{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'b7}}\\fi-360\\li720 "
                  "one\\par{\\pntext\\f1\\'b7\\tab}two\\par\\pard plain\\par}",
                  document));
    EXPECT_EQ(blocks(document), QStringList({"one", "two", "plain"}));
    ASSERT_NE(blockAt(document, 0).textList(), nullptr);
    EXPECT_EQ(blockAt(document, 0).textList()->format().style(), QTextListFormat::ListDisc);
    EXPECT_EQ(blockAt(document, 1).textList(), blockAt(document, 0).textList());
    EXPECT_DOUBLE_EQ(blockAt(document, 0).blockFormat().textIndent(), 0);
    EXPECT_EQ(blockAt(document, 2).textList(), nullptr);
}

TEST(RtfReader, MalformedInputGivesAnErrorOrBestEffortNeverACrash)
{
    QTextDocument document;
    document.setPlainText(QStringLiteral("прежний текст"));
    QString error;

    // Refused with a message, and the document keeps what it had: not RTF at all,
    // nesting beyond the cap (without recursion), a too long word, a cut font table.
    const QByteArray deep = "{\\rtf1 " + QByteArray(100000, '{') + "x" + QByteArray(100000, '}') + "}";
    for (const QByteArray &bytes :
         {QByteArray(), QByteArray("plain text"), QByteArray("{\\rtfx1 a}"), QByteArray("{\\rt"),
          QByteArray("\\rtf1 a}"), deep, "{\\rtf1 \\" + QByteArray(40, 'a') + " x}",
          QByteArray("{\\rtf1{\\fonttbl{\\f0 Ari")}) {
        error.clear();
        EXPECT_FALSE(readRtf(bytes, document, &error)) << bytes.left(40).toStdString();
        EXPECT_FALSE(error.isEmpty());
        if (bytes.startsWith("{\\rtf1 ")) {
            EXPECT_TRUE(error.startsWith("Файл повреждён")) << error.toStdString();
        }
    }
    EXPECT_EQ(document.toPlainText(), "прежний текст");

    // Deep but allowed nesting, huge numbers, a \bin longer than the file, unbalanced and stray braces.
    const struct {
        QByteArray rtf;
        const char *text;
    } bestEffort[] = {
        {"{\\rtf1 " + QByteArray(500, '{') + "x" + QByteArray(500, '}') + "}", "x"},
        {"{\\rtf1 a\\u99999999999999 b\\u-99999999999?c\\uc99999999999\\u1055 dd}", "acП"},
        {"{\\rtf1 a\\bin999999999999 {}}}}", "a"},
        {"{\\rtf1 a}}}}{{{\\b b", "a"},
        {"  \r\n\t{\\rtf1 lead\\par}", "lead"},
        {"{\\rtf1 \\'\\'4x\\'\\u", "x"},
    };
    for (const auto &row : bestEffort) {
        ASSERT_TRUE(readsBack(row.rtf, document));
        EXPECT_EQ(document.toPlainText(), QString::fromUtf8(row.text));
    }
}

TEST(RtfReader, RecognisesRtfAndReadsPlainText)
{
    for (const char *rtf : {"{\\rtf1\\ansi}", " \r\n\t{\\rtf"})
        EXPECT_TRUE(looksLikeRtf(rtf)) << rtf;
    for (const char *other : {"{\\rt", "x{\\rtf1", ""})
        EXPECT_FALSE(looksLikeRtf(other)) << other;

    const struct {
        QByteArray bytes;
        QStringList lines;
    } rows[] = {
        {"\xEF\xBB\xBF"
         "Первая\r\nвторая\rтретья\nчетвёртая",
         {"Первая", "вторая", "третья", "четвёртая"}},
        {QByteArray::fromStdString(kaldex::test::cp1251("Вязкость\r\nгазов")), {"Вязкость", "газов"}},
        {"ab\xD0", {"abР"}},  // a UTF-8 sequence cut at the end is not UTF-8
    };
    QTextDocument document;
    for (const auto &row : rows) {
        readPlainText(row.bytes, document);
        EXPECT_EQ(blocks(document), row.lines);
    }
}

TEST(RtfReader, LongListsReadInPartsAndSaveAsOneListProgressCanStop)
{
    // 150 bullets and 1100 numbers: more than one part of a QTextList each.
    QByteArray rtf = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}{\\f1 Courier New;}}{\\*\\listtable"
                     "{\\list{\\listlevel\\levelnfc23}\\listid1}{\\list{\\listlevel\\levelnfc0}\\listid2}}"
                     "{\\listoverridetable{\\listoverride\\listid1\\ls1}{\\listoverride\\listid2\\ls2}}";
    for (int i = 0; i < 150; ++i)
        rtf += "\\pard\\ls1\\li1440\\fi-360 b" + QByteArray::number(i) + "\\par ";
    for (int i = 0; i < 1100; ++i)
        rtf += "\\pard\\ls2 {\\f" + QByteArray::number(i % 2) + " n" + QByteArray::number(i) + "}\\par ";
    rtf += "}";
    QTextDocument document, again;
    ASSERT_TRUE(readsBack(rtf, document));
    ASSERT_EQ(document.blockCount(), 1250);
    for (int i : {0, 149, 150, 1249}) {
        ASSERT_NE(blockAt(document, i).textList(), nullptr) << i;
        EXPECT_EQ(blockAt(document, i).textList()->format().style(),
                  i < 150 ? QTextListFormat::ListDisc : QTextListFormat::ListDecimal);
    }
    EXPECT_EQ(blockAt(document, 149).blockFormat().leftMargin(), 720 / 15);  // its own indent beyond the list's
    EXPECT_EQ(formats(document, {"n1098", "n1099"}), QStringLiteral("Arial 12pt | Courier New 12pt"));

    // Saved, the parts are one list again, numbered on.
    const QByteArray saved = writeRtf(document);
    EXPECT_EQ(saved.count("\\listoverride\\"), 2);
    EXPECT_TRUE(saved.contains("{\\listtext 1100.\\tab}"));
    ASSERT_TRUE(readsBack(saved, again));
    EXPECT_EQ(blocks(again), blocks(document));

    // Progress that says stop: false, with no message.
    QString error = QStringLiteral("x");
    EXPECT_FALSE(
        readRtf("{\\rtf1 " + QByteArray("x\\par ").repeated(5000) + "}", again, &error, [](int) { return false; }));
    EXPECT_TRUE(error.isEmpty());
    // More paragraphs than a text control holds in reason: refused, with a message.
    EXPECT_FALSE(readRtf("{\\rtf1 " + QByteArray("\\par ").repeated(2000002) + "}", again, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("2000000"))) << error.toStdString();
}

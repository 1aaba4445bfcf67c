#include "text/RtfReader.h"

#include "text/Encoding.h"
#include "text/FontSize.h"
#include "text/Indents.h"
#include "text/RtfTokenizer.h"

#include <QHash>
#include <QStringDecoder>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

namespace kaldex::ui {
namespace {

// Deeper nesting is no real document; the cap keeps memory bounded.
constexpr int kMaxDepth = 512;
constexpr int kMaxIndentTwips = 31680;  // 22 inches, the widest page word processors allow
constexpr int kSymbolPage = -2;
// Qt's work to add a block to a list grows with the list (it marks every
// block of the list changed), so a long list is read as consecutive parts of
// this many paragraphs, each marked as going on from the one before. Bullets
// look the same whatever the parts; a numbered list's numbers start again
// with each part on screen (the writer joins them), so its parts are longer.
constexpr int kBulletListPart = 64;
constexpr int kNumberedListPart = 1000;
// How often reading tells its progress: bytes read, paragraphs built.
constexpr qsizetype kProgressBytes = 256 * 1024;
constexpr size_t kProgressParagraphs = 4096;
constexpr int kReadPermille = 300;  // reading the bytes; building the document takes the rest
// Qt tells character formats apart by a hash that sees no font family (a
// list of names): a property holding the name as one string lets it.
constexpr int kFamilyKeyProperty = 0x100000 + 2;  // QTextFormat::UserProperty + 2

const char *const kNotRtf = "Файл не похож на документ RTF: в начале нет «{\\rtf».";
const char *const kTooDeep = "Файл повреждён: группы вложены глубже %1 уровней.";
const char *const kLongWord = "Файл повреждён: управляющее слово длиннее %1 букв (позиция %2).";
const char *const kCutEarly = "Файл повреждён: он обрывается, не дойдя до текста.";
// Each paragraph costs the text control some hundreds of bytes: beyond this a
// file of short lines would take gigabytes. The full pocket's report has some
// 200,000.
constexpr size_t kMaxParagraphs = 2000000;
const char *const kTooManyParagraphs = "В файле больше %1 абзацев: редактор открывает файлы поменьше.";

enum class Kw {
    Unknown,
    // destinations
    Fonttbl,
    Listtable,
    List,
    Listlevel,
    Listoverridetable,
    Listoverride,
    Listtext,
    Pntext,
    Pn,
    SkipGroup,
    // header
    Rtf,
    Ansi,
    Mac,
    Pc,
    Pca,
    Ansicpg,
    Deff,
    Fcharset,
    // characters
    Plain,
    B,
    I,
    Ul,
    UlVariant,
    Ulnone,
    F,
    Fs,
    Uc,
    U,
    Char,
    // paragraphs
    Pard,
    Ql,
    Qr,
    Qc,
    Qj,
    Fi,
    Li,
    Ri,
    Ls,
    Ilvl,
    Par,
    Sect,
    Page,
    Cell,
    Row,
    // lists
    Listid,
    Levelnfc,
    Pnlvlblt,
    Pnlvlbody,
    Pnlvl,
    Pndec,
};

struct Keyword {
    Kw kw;
    char16_t character = 0;  // Kw::Char: what the word stands for
};

const QHash<QByteArrayView, Keyword> &keywords()
{
    static const QHash<QByteArrayView, Keyword> table = [] {
        QHash<QByteArrayView, Keyword> t;
        const std::pair<const char *, Kw> words[] = {
            {"fonttbl", Kw::Fonttbl},
            {"listtable", Kw::Listtable},
            {"list", Kw::List},
            {"listlevel", Kw::Listlevel},
            {"listoverridetable", Kw::Listoverridetable},
            {"listoverride", Kw::Listoverride},
            {"listtext", Kw::Listtext},
            {"pntext", Kw::Pntext},
            {"pn", Kw::Pn},
            {"rtf", Kw::Rtf},
            {"ansi", Kw::Ansi},
            {"mac", Kw::Mac},
            {"pc", Kw::Pc},
            {"pca", Kw::Pca},
            {"ansicpg", Kw::Ansicpg},
            {"deff", Kw::Deff},
            {"fcharset", Kw::Fcharset},
            {"plain", Kw::Plain},
            {"b", Kw::B},
            {"i", Kw::I},
            {"ul", Kw::Ul},
            {"ulnone", Kw::Ulnone},
            {"f", Kw::F},
            {"fs", Kw::Fs},
            {"uc", Kw::Uc},
            {"u", Kw::U},
            {"pard", Kw::Pard},
            {"ql", Kw::Ql},
            {"qr", Kw::Qr},
            {"qc", Kw::Qc},
            {"qj", Kw::Qj},
            {"fi", Kw::Fi},
            {"li", Kw::Li},
            {"lin", Kw::Li},
            {"ri", Kw::Ri},
            {"rin", Kw::Ri},
            {"ls", Kw::Ls},
            {"ilvl", Kw::Ilvl},
            {"par", Kw::Par},
            {"sect", Kw::Sect},
            {"page", Kw::Page},
            {"cell", Kw::Cell},
            {"nestcell", Kw::Cell},
            {"row", Kw::Row},
            {"nestrow", Kw::Row},
            {"listid", Kw::Listid},
            {"levelnfc", Kw::Levelnfc},
            {"levelnfcn", Kw::Levelnfc},
            {"pnlvlblt", Kw::Pnlvlblt},
            {"pnlvlbody", Kw::Pnlvlbody},
            {"pnlvl", Kw::Pnlvl},
            {"pnlvlcont", Kw::Pnlvl},
            {"pndec", Kw::Pndec},
        };
        for (const auto &[name, kw] : words)
            t.insert(QByteArrayView(name), Keyword{kw});
        // Groups whose text is never part of the document.
        for (const char *name :
             {"colortbl",   "stylesheet",   "info",      "pict",      "object",      "header",       "headerl",
              "headerr",    "headerf",      "footer",    "footerl",   "footerr",     "footerf",      "footnote",
              "annotation", "fldinst",      "pgdsctbl",  "generator", "themedata",   "latentstyles", "datastore",
              "rsidtbl",    "nonesttables", "panose",    "falt",      "leveltext",   "levelnumbers", "pntxta",
              "pntxtb",     "filetbl",      "revtbl",    "xmlnstbl",  "listpicture", "nonshppict",   "shp",
              "do",         "xe",           "tc",        "txe",       "rxe",         "template",     "userprops",
              "docvar",     "atnid",        "atnauthor", "objdata",   "bkmkstart",   "bkmkend",      "ftnsep",
              "ftnsepc",    "ftncn",        "aftnsep",   "aftnsepc",  "aftncn",      "pgptbl",       "protusertbl",
              "background", "mmathPr"})
            t.insert(QByteArrayView(name), Keyword{Kw::SkipGroup});
        for (const char *name :
             {"uld", "uldb", "ulw", "ulwave", "uldash", "uldashd", "uldashdd", "ulth", "ulthd", "ulthdash", "ulthdashd",
              "ulthdashdd", "ulhwave", "ululdbwave", "ulldash", "ulthldash"})
            t.insert(QByteArrayView(name), Keyword{Kw::UlVariant});
        const std::pair<const char *, char16_t> characters[] = {
            {"tab", u'\t'},        {"line", 0x2028},      {"lquote", 0x2018},  {"rquote", 0x2019},
            {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"bullet", 0x2022},  {"endash", 0x2013},
            {"emdash", 0x2014},    {"enspace", 0x2002},   {"emspace", 0x2003}, {"qmspace", 0x2005},
            {"zwj", 0x200D},       {"zwnj", 0x200C},      {"ltrmark", 0x200E}, {"rtlmark", 0x200F},
        };
        for (const auto &[name, character] : characters)
            t.insert(QByteArrayView(name), Keyword{Kw::Char, character});
        return t;
    }();
    return table;
}

bool isWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDestination(Kw kw)
{
    return kw >= Kw::Fonttbl && kw <= Kw::SkipGroup;
}

// The Symbol font's bytes 0x20..0x7F and 0xA0..0xFF; 0 where it has no character.
constexpr char16_t kSymbolLow[96] = {
    0x0020, 0x0021, 0x2200, 0x0023, 0x2203, 0x0025, 0x0026, 0x220B, 0x0028, 0x0029, 0x2217, 0x002B, 0x002C, 0x2212,
    0x002E, 0x002F, 0x0030, 0x0031, 0x0032, 0x0033, 0x0034, 0x0035, 0x0036, 0x0037, 0x0038, 0x0039, 0x003A, 0x003B,
    0x003C, 0x003D, 0x003E, 0x003F, 0x2245, 0x0391, 0x0392, 0x03A7, 0x0394, 0x0395, 0x03A6, 0x0393, 0x0397, 0x0399,
    0x03D1, 0x039A, 0x039B, 0x039C, 0x039D, 0x039F, 0x03A0, 0x0398, 0x03A1, 0x03A3, 0x03A4, 0x03A5, 0x03C2, 0x03A9,
    0x039E, 0x03A8, 0x0396, 0x005B, 0x2234, 0x005D, 0x22A5, 0x005F, 0x203E, 0x03B1, 0x03B2, 0x03C7, 0x03B4, 0x03B5,
    0x03C6, 0x03B3, 0x03B7, 0x03B9, 0x03D5, 0x03BA, 0x03BB, 0x03BC, 0x03BD, 0x03BF, 0x03C0, 0x03B8, 0x03C1, 0x03C3,
    0x03C4, 0x03C5, 0x03D6, 0x03C9, 0x03BE, 0x03C8, 0x03B6, 0x007B, 0x007C, 0x007D, 0x223C, 0,
};
constexpr char16_t kSymbolHigh[96] = {
    0x20AC, 0x03D2, 0x2032, 0x2264, 0x2044, 0x221E, 0x0192, 0x2663, 0x2666, 0x2665, 0x2660, 0x2194, 0x2190, 0x2191,
    0x2192, 0x2193, 0x00B0, 0x00B1, 0x2033, 0x2265, 0x00D7, 0x221D, 0x2202, 0x2022, 0x00F7, 0x2260, 0x2261, 0x2248,
    0x2026, 0x23D0, 0x23AF, 0x21B5, 0x2135, 0x2111, 0x211C, 0x2118, 0x2297, 0x2295, 0x2205, 0x2229, 0x222A, 0x2283,
    0x2287, 0x2284, 0x2282, 0x2286, 0x2208, 0x2209, 0x2220, 0x2207, 0x00AE, 0x00A9, 0x2122, 0x220F, 0x221A, 0x22C5,
    0x00AC, 0x2227, 0x2228, 0x21D4, 0x21D0, 0x21D1, 0x21D2, 0x21D3, 0x25CA, 0x2329, 0x00AE, 0x00A9, 0x2122, 0x2211,
    0x239B, 0x239C, 0x239D, 0x23A1, 0x23A2, 0x23A3, 0x23A7, 0x23A8, 0x23A9, 0x23AA, 0,      0x232A, 0x222B, 0x2320,
    0x23AE, 0x2321, 0x239E, 0x239F, 0x23A0, 0x23A4, 0x23A5, 0x23A6, 0x23AB, 0x23AC, 0x23AD, 0,
};

// Bytes of a symbol-charset font. Wingdings bytes are mostly pictures; only the
// list bullets matter. What has no character stays in the private area, as word
// processors keep it.
char16_t symbolCharacter(unsigned char byte, bool dingbats)
{
    if (dingbats) {
        switch (byte) {
        case 0x6C: return 0x25CF;
        case 0x6E: return 0x25A0;
        case 0x71: return 0x2751;
        case 0x75: return 0x25C6;
        case 0x76: return 0x2756;
        case 0x9F: return 0x2022;
        case 0xA7: return 0x25AA;
        case 0xA8: return 0x25FB;
        case 0xD8: return 0x27A2;
        case 0xFC: return 0x2713;
        default: break;
        }
    } else {
        char16_t mapped = 0;
        if (byte >= 0x20 && byte < 0x80)
            mapped = kSymbolLow[byte - 0x20];
        else if (byte >= 0xA0)
            mapped = kSymbolHigh[byte - 0xA0];
        if (mapped)
            return mapped;
    }
    return static_cast<char16_t>(0xF000 + byte);
}

int codePageOfCharset(int charset)
{
    switch (charset) {
    case 0: return 1252;
    case 2: return kSymbolPage;
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0;  // 1 ("default") and unknown sets: the document's page
    }
}

// Old fonts without a charset told it by their name.
int codePageOfFontName(const QString &name)
{
    const std::pair<const char *, int> suffixes[] = {
        {" Cyr", 1251},      {" CE", 1250},       {" Greek", 1253},        {" Tur", 1254},   {" Baltic", 1257},
        {" (Hebrew)", 1255}, {" (Arabic)", 1256}, {" (Vietnamese)", 1258}, {" (Thai)", 874},
    };
    for (const auto &[suffix, page] : suffixes)
        if (name.endsWith(QLatin1String(suffix)))
            return page;
    return 0;
}

QByteArray codecName(int page)
{
    switch (page) {
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 950: return "Big5";
    case 10000: return "macintosh";
    case 65001: return "UTF-8";
    default: return "windows-" + QByteArray::number(page);
    }
}

struct CharState {
    int font = -1;
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;

    bool operator==(const CharState &o) const
    {
        return std::tie(font, halfPoints, bold, italic, underline) ==
               std::tie(o.font, o.halfPoints, o.bold, o.italic, o.underline);
    }
    bool operator!=(const CharState &o) const { return !(*this == o); }
    bool operator<(const CharState &o) const
    {
        return std::tie(font, halfPoints, bold, italic, underline) <
               std::tie(o.font, o.halfPoints, o.bold, o.italic, o.underline);
    }
};

enum class Dest { Body, Fallback, Skip, FontTable, ListTable, List, ListLevel, OverrideTable, Override, Pn };

struct GroupState {
    CharState chr;
    Dest dest = Dest::Body;
    int uc = 1;
    bool ownsDest = false;  // the destination started in this group, not in a parent
    bool starred = false;   // after \*: an unknown destination is skipped
};

enum class ListKind { None, Bullet, Decimal, Other };

struct ParaState {
    Qt::Alignment align = Qt::AlignLeft;
    int fi = 0;
    int li = 0;
    int ri = 0;
    int ls = 0;
    int level = 0;
    ListKind pn = ListKind::None;
};

struct Run {
    QString text;
    CharState chr;
    bool fallback = false;  // \listtext or \pntext: dropped when the list is understood
};

struct Paragraph {
    ParaState props;
    std::vector<Run> runs;
    CharState endChr;
    bool pageBreakBefore = false;
};

struct FontEntry {
    QByteArray nameBytes;
    QString name;
    int charset = -1;
    bool named = false;
};

using Levels = std::array<ListKind, 9>;

class Reader {
public:
    bool read(QByteArrayView bytes, QString *error, const RtfProgress &progress);
    bool build(QTextDocument &document, const RtfProgress &progress) const;

private:
    GroupState &top() { return stack_.back(); }
    bool inText() const { return stack_.back().dest == Dest::Body || stack_.back().dest == Dest::Fallback; }

    void word(const RtfToken &token);
    void enterDestination(Kw kw);
    void leaveGroup();
    void textBytes(QByteArrayView bytes);
    void oneByte(unsigned char byte);
    void flushBytes();
    void appendText(const QString &text);
    void endParagraph();
    void finishFontName();
    int codePage(int font) const;
    bool isDingbats(int font) const;
    QStringDecoder *decoder(int page);
    ListKind listKind(const ParaState &props) const;
    const QTextCharFormat &charFormat(const CharState &chr) const;

    std::vector<GroupState> stack_;
    std::vector<Paragraph> paragraphs_;
    Paragraph current_;
    ParaState para_;
    QByteArray pendingBytes_;
    int skip_ = 0;
    int pendingCellTabs_ = 0;  // \cell becomes a tab only when more text follows in the row

    int deff_ = 0;
    int documentPage_ = 0;    // \ansicpg
    int charsetPage_ = 1252;  // \ansi, \mac, \pc, \pca
    std::map<int, FontEntry> fonts_;
    int fontEntry_ = -1;
    std::map<int, std::unique_ptr<QStringDecoder>> decoders_;
    mutable std::map<CharState, QTextCharFormat> formats_;  // one format per character state

    std::map<int, Levels> lists_;   // \listid → kind per level
    std::map<int, int> overrides_;  // \ls → \listid
    Levels listLevels_{};
    int listId_ = 0;
    int levelIndex_ = -1;
    int overrideList_ = 0;
    int overrideLs_ = 0;
};

bool Reader::read(QByteArrayView bytes, QString *error, const RtfProgress &progress)
{
    qsizetype start = 0;
    while (start < bytes.size() && isWhiteSpace(bytes[start]))
        ++start;
    RtfTokenizer tokenizer(bytes.sliced(start));
    RtfToken first = tokenizer.next();
    RtfToken second = tokenizer.next();
    if (first.type != RtfToken::GroupOpen || second.type != RtfToken::Word || second.name != "rtf") {
        *error = QString::fromUtf8(kNotRtf);
        return false;
    }
    stack_.push_back(GroupState());
    top().ownsDest = true;

    bool closed = false;
    qsizetype nextReport = kProgressBytes;
    while (!closed) {
        if (progress && tokenizer.position() >= nextReport) {
            nextReport = tokenizer.position() + kProgressBytes;
            if (!progress(int(kReadPermille * double(tokenizer.position()) / double(bytes.size())))) {
                error->clear();
                return false;
            }
        }
        if (paragraphs_.size() > kMaxParagraphs) {
            *error = QString::fromUtf8(kTooManyParagraphs).arg(kMaxParagraphs);
            return false;
        }
        const RtfToken token = tokenizer.next();
        if (token.type == RtfToken::End)
            break;
        if (token.type == RtfToken::TooLong) {
            *error = QString::fromUtf8(kLongWord).arg(RtfTokenizer::kMaxWordLength).arg(tokenizer.position());
            return false;
        }
        if (token.type == RtfToken::GroupOpen || token.type == RtfToken::GroupClose) {
            skip_ = 0;  // a brace ends the fallback of \u
            flushBytes();
            if (token.type == RtfToken::GroupClose) {
                // Whatever follows the document's last brace is not part of it.
                if (stack_.size() == 1)
                    closed = true;
                else
                    leaveGroup();
                continue;
            }
            if (int(stack_.size()) >= kMaxDepth) {
                *error = QString::fromUtf8(kTooDeep).arg(kMaxDepth);
                return false;
            }
            GroupState inner = top();
            inner.ownsDest = false;
            inner.starred = false;
            stack_.push_back(inner);
            continue;
        }
        if (skip_ > 0) {
            if (token.type != RtfToken::Text) {
                --skip_;
                continue;
            }
            const qsizetype skipped = qMin<qsizetype>(skip_, token.name.size());
            skip_ -= int(skipped);
            textBytes(token.name.sliced(skipped));
            continue;
        }
        switch (token.type) {
        case RtfToken::Text: textBytes(token.name); break;
        case RtfToken::Hex: oneByte(token.byte); break;
        case RtfToken::Word: word(token); break;
        case RtfToken::Symbol:
            flushBytes();
            switch (token.symbol) {
            case '*': top().starred = true; break;
            case '\\':
            case '{':
            case '}': oneByte(static_cast<unsigned char>(token.symbol)); break;
            case '~': appendText(QString(QChar(0x00A0))); break;
            case '-': appendText(QString(QChar(0x00AD))); break;
            case '_': appendText(QString(QChar(0x2011))); break;
            default: break;
            }
            break;
        default: break;  // \bin data carries no text
        }
    }

    flushBytes();
    if (!current_.runs.empty())
        endParagraph();
    if (!closed && paragraphs_.empty()) {
        *error = QString::fromUtf8(kCutEarly);
        return false;
    }
    return true;
}

void Reader::leaveGroup()
{
    const GroupState closed = top();
    if (closed.dest == Dest::FontTable)
        finishFontName();
    if (closed.ownsDest) {
        switch (closed.dest) {
        case Dest::List: lists_[listId_] = listLevels_; break;
        case Dest::Override:
            if (overrideLs_ != 0)
                overrides_[overrideLs_] = overrideList_;
            break;
        default: break;
        }
    }
    stack_.pop_back();
}

void Reader::enterDestination(Kw kw)
{
    GroupState &state = top();
    state.ownsDest = true;
    switch (kw) {
    case Kw::Fonttbl:
        state.dest = Dest::FontTable;
        fontEntry_ = -1;
        break;
    case Kw::Listtable: state.dest = Dest::ListTable; break;
    case Kw::List:
        state.dest = Dest::List;
        listLevels_.fill(ListKind::Other);
        listId_ = 0;
        levelIndex_ = -1;
        break;
    case Kw::Listlevel:
        state.dest = Dest::ListLevel;
        ++levelIndex_;
        break;
    case Kw::Listoverridetable: state.dest = Dest::OverrideTable; break;
    case Kw::Listoverride:
        state.dest = Dest::Override;
        overrideList_ = 0;
        overrideLs_ = 0;
        break;
    case Kw::Listtext:
    case Kw::Pntext: state.dest = inText() ? Dest::Fallback : Dest::Skip; break;
    case Kw::Pn: state.dest = inText() ? Dest::Pn : Dest::Skip; break;
    default: state.dest = Dest::Skip; break;
    }
}

void Reader::word(const RtfToken &token)
{
    flushBytes();
    const Keyword keyword = keywords().value(token.name, Keyword{Kw::Unknown});
    GroupState &state = top();
    if (state.starred) {
        state.starred = false;
        if (!isDestination(keyword.kw)) {
            state.dest = Dest::Skip;
            state.ownsDest = true;
            return;
        }
    }
    if (isDestination(keyword.kw)) {
        if (state.dest != Dest::Skip)
            enterDestination(keyword.kw);
        return;
    }
    if (state.dest == Dest::Skip)
        return;

    const int value = token.parameter;
    const bool on = !token.hasParameter || value != 0;
    const bool text = inText();
    // Some writers repeat \pard inside \listtext, so paragraph properties count only in the body.
    const bool body = state.dest == Dest::Body;
    switch (keyword.kw) {
    case Kw::Ansi: charsetPage_ = 1252; break;
    case Kw::Mac: charsetPage_ = 10000; break;
    case Kw::Pc: charsetPage_ = 437; break;
    case Kw::Pca: charsetPage_ = 850; break;
    case Kw::Ansicpg:
        if (value > 0)
            documentPage_ = value;
        break;
    case Kw::Deff:
        deff_ = value;
        state.chr.font = value;
        break;
    case Kw::Fcharset:
        if (state.dest == Dest::FontTable && fontEntry_ >= 0)
            fonts_[fontEntry_].charset = value;
        break;
    case Kw::F:
        if (state.dest == Dest::FontTable) {
            finishFontName();
            fontEntry_ = value;
            fonts_[value] = FontEntry();
        } else {
            state.chr.font = value;
        }
        break;
    case Kw::Plain: state.chr = CharState{deff_}; break;
    case Kw::B: state.chr.bold = on; break;
    case Kw::I: state.chr.italic = on; break;
    case Kw::Ul:
    case Kw::UlVariant: state.chr.underline = on; break;
    case Kw::Ulnone: state.chr.underline = false; break;
    case Kw::Fs: state.chr.halfPoints = value > 0 ? qMin(value, 2 * kMaxFontPoints) : 24; break;
    case Kw::Uc: state.uc = qBound(0, value, 1000); break;
    case Kw::U:
        if (token.hasParameter) {
            const int code = value < 0 ? value + 65536 : value;
            if (code > 0 && code <= 0xFFFF && text) {
                char16_t unit = static_cast<char16_t>(code);
                if (unit >= 0xF020 && unit <= 0xF0FF && codePage(state.chr.font) == kSymbolPage)
                    unit = symbolCharacter(static_cast<unsigned char>(unit - 0xF000), isDingbats(state.chr.font));
                appendText(QString(QChar(unit)));
            }
            skip_ = state.uc;
        }
        break;
    case Kw::Char:
        if (text)
            appendText(QString(QChar(keyword.character)));
        break;
    case Kw::Listid:
        if (state.dest == Dest::List)
            listId_ = value;
        else if (state.dest == Dest::Override)
            overrideList_ = value;
        break;
    case Kw::Levelnfc:
        if (state.dest == Dest::ListLevel && levelIndex_ >= 0 && levelIndex_ < int(listLevels_.size()))
            listLevels_[size_t(levelIndex_)] = value == 23  ? ListKind::Bullet
                                               : value == 0 ? ListKind::Decimal
                                                            : ListKind::Other;
        break;
    case Kw::Ls:
        if (state.dest == Dest::Override)
            overrideLs_ = value;
        else if (body)
            para_.ls = value;
        break;
    case Kw::Pnlvlblt:
        if (state.dest == Dest::Pn)
            para_.pn = ListKind::Bullet;
        break;
    case Kw::Pnlvlbody:
    case Kw::Pnlvl:
        if (state.dest == Dest::Pn)
            para_.pn = ListKind::Other;
        break;
    case Kw::Pndec:
        if (state.dest == Dest::Pn && para_.pn == ListKind::Other)
            para_.pn = ListKind::Decimal;
        break;
    default: break;
    }
    if (!body)
        return;
    switch (keyword.kw) {
    case Kw::Pard: para_ = ParaState(); break;
    case Kw::Ql: para_.align = Qt::AlignLeft; break;
    case Kw::Qr: para_.align = Qt::AlignRight; break;
    case Kw::Qc: para_.align = Qt::AlignHCenter; break;
    case Kw::Qj: para_.align = Qt::AlignJustify; break;
    case Kw::Fi: para_.fi = qBound(-kMaxIndentTwips, value, kMaxIndentTwips); break;
    case Kw::Li: para_.li = qBound(-kMaxIndentTwips, value, kMaxIndentTwips); break;
    case Kw::Ri: para_.ri = qBound(-kMaxIndentTwips, value, kMaxIndentTwips); break;
    case Kw::Ilvl: para_.level = qBound(0, value, 8); break;
    case Kw::Cell: ++pendingCellTabs_; break;
    case Kw::Par:
    case Kw::Sect:
    case Kw::Row: endParagraph(); break;
    case Kw::Page:
        endParagraph();
        current_.pageBreakBefore = true;
        break;
    default: break;
    }
}

void Reader::textBytes(QByteArrayView bytes)
{
    for (char c : bytes)
        oneByte(static_cast<unsigned char>(c));
}

void Reader::oneByte(unsigned char byte)
{
    const Dest dest = top().dest;
    if (dest == Dest::FontTable) {
        if (fontEntry_ < 0)
            return;
        FontEntry &font = fonts_[fontEntry_];
        if (byte == ';')
            finishFontName();
        else if (!font.named)
            font.nameBytes.append(char(byte));
        return;
    }
    if (dest != Dest::Body && dest != Dest::Fallback)
        return;
    if (byte == '\t') {
        flushBytes();
        appendText(QStringLiteral("\t"));
    } else if (byte >= 0x20) {
        pendingBytes_.append(char(byte));
    }
}

void Reader::flushBytes()
{
    if (pendingBytes_.isEmpty())
        return;
    const int font = top().chr.font;
    const int page = codePage(font);
    QString text;
    if (page == kSymbolPage) {
        const bool dingbats = isDingbats(font);
        for (char c : std::as_const(pendingBytes_))
            text.append(QChar(symbolCharacter(static_cast<unsigned char>(c), dingbats)));
    } else {
        text = decoder(page)->decode(pendingBytes_);
    }
    pendingBytes_.clear();
    appendText(text);
}

void Reader::appendText(const QString &text)
{
    const GroupState &state = top();
    if (state.dest != Dest::Body && state.dest != Dest::Fallback)
        return;
    const bool fallback = state.dest == Dest::Fallback;
    QString piece = text;
    if (pendingCellTabs_ > 0 && !fallback) {
        piece.prepend(QString(pendingCellTabs_, QLatin1Char('\t')));
        pendingCellTabs_ = 0;
    }
    std::vector<Run> &runs = current_.runs;
    if (runs.empty() || runs.back().chr != state.chr || runs.back().fallback != fallback)
        runs.push_back(Run{QString(), state.chr, fallback});
    runs.back().text += piece;
}

void Reader::endParagraph()
{
    flushBytes();
    pendingCellTabs_ = 0;
    current_.props = para_;
    current_.endChr = top().chr;
    paragraphs_.push_back(std::move(current_));
    current_ = Paragraph();
}

void Reader::finishFontName()
{
    if (fontEntry_ < 0)
        return;
    FontEntry &font = fonts_[fontEntry_];
    if (font.named)
        return;
    font.named = true;
    const int page = codePageOfCharset(font.charset);
    QStringDecoder *names = decoder(page > 0 ? page : documentPage_ > 0 ? documentPage_ : charsetPage_);
    font.name = QString(names->decode(font.nameBytes)).trimmed();
}

int Reader::codePage(int font) const
{
    const int fallback = documentPage_ > 0 ? documentPage_ : charsetPage_;
    const auto it = fonts_.find(font < 0 ? deff_ : font);
    if (it == fonts_.end())
        return fallback;
    if (const int page = codePageOfCharset(it->second.charset))
        return page;
    if (const int page = codePageOfFontName(it->second.name))
        return page;
    return fallback;
}

bool Reader::isDingbats(int font) const
{
    const auto it = fonts_.find(font < 0 ? deff_ : font);
    return it != fonts_.end() && it->second.name.contains(QLatin1String("Wingdings"), Qt::CaseInsensitive);
}

QStringDecoder *Reader::decoder(int page)
{
    auto &slot = decoders_[page];
    if (!slot) {
        for (int candidate : {page, documentPage_, 1252}) {
            if (candidate <= 0)
                continue;
            auto made =
                std::make_unique<QStringDecoder>(codecName(candidate).constData(), QStringDecoder::Flag::Stateless);
            if (made->isValid()) {
                slot = std::move(made);
                break;
            }
        }
        if (!slot)
            slot = std::make_unique<QStringDecoder>(QStringDecoder::Latin1);
    }
    return slot.get();
}

ListKind Reader::listKind(const ParaState &props) const
{
    if (props.pn == ListKind::Bullet || props.pn == ListKind::Decimal)
        return props.pn;
    if (props.ls == 0)
        return ListKind::None;
    const auto override = overrides_.find(props.ls);
    if (override == overrides_.end())
        return ListKind::None;
    const auto list = lists_.find(override->second);
    if (list == lists_.end())
        return ListKind::None;
    return list->second[size_t(props.level)];
}

const QTextCharFormat &Reader::charFormat(const CharState &chr) const
{
    const auto cached = formats_.find(chr);
    if (cached != formats_.end())
        return cached->second;
    QTextCharFormat &format = formats_[chr];
    const auto font = fonts_.find(chr.font < 0 ? deff_ : chr.font);
    // Symbol fonts were decoded to Unicode, so their text needs an ordinary font.
    if (font != fonts_.end() && !font->second.name.isEmpty() &&
        codePageOfCharset(font->second.charset) != kSymbolPage) {
        format.setFontFamilies({font->second.name});
        format.setProperty(kFamilyKeyProperty, font->second.name);
    }
    format.setFontPointSize(chr.halfPoints / 2.0);
    format.setFontWeight(chr.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(chr.italic);
    format.setFontUnderline(chr.underline);
    return format;
}

// Lone surrogates from broken \u pairs, and the characters QTextDocument keeps
// for its own structure, must not reach the document.
QString cleaned(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out.append(c);
            out.append(text[++i]);
        } else if (c.isSurrogate()) {
            out.append(QChar(QChar::ReplacementCharacter));
        } else if (c == QChar::ParagraphSeparator || c == u'\n' || c == u'\r') {
            out.append(QChar(QChar::LineSeparator));
        } else if ((c.unicode() < 0x20 && c != u'\t') || (c.unicode() >= 0x7F && c.unicode() < 0xA0) ||
                   c == QChar::ObjectReplacementCharacter || (c.unicode() >= 0xFDD0 && c.unicode() <= 0xFDEF) ||
                   c.unicode() >= 0xFFFE) {
            continue;
        } else {
            out.append(c);
        }
    }
    return out;
}

bool Reader::build(QTextDocument &document, const RtfProgress &progress) const
{
    document.clear();
    document.setIndentWidth(kListLevelPixels);
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    // Consecutive paragraphs of one list and level share a QTextList (or its parts).
    struct OpenList {
        QTextList *list;
        int count;
    };
    std::map<std::tuple<int, int, int>, OpenList> open;
    bool first = true;
    size_t built = 0;
    for (const Paragraph &paragraph : paragraphs_) {
        if (progress && ++built % kProgressParagraphs == 0 &&
            !progress(kReadPermille + int((1000 - kReadPermille) * double(built) / double(paragraphs_.size())))) {
            cursor.endEditBlock();
            return false;
        }
        const ParaState &props = paragraph.props;
        const ListKind kind = listKind(props);
        const bool listed = kind == ListKind::Bullet || kind == ListKind::Decimal;

        QTextBlockFormat block;
        block.setAlignment(props.align);
        // A list brings its own indent (one level, with the bullet before the
        // text); the paragraph's own \li and \fi count beyond that.
        const int list = listed ? kListLevelTwips * (props.level + 1) : 0;
        // No line may start left of the text area, where it would be cut off.
        const int li = std::max(props.li - list, -list);
        const int fi = std::max(listed ? props.fi - kBulletTwips : props.fi, -(list + li));
        block.setTextIndent(pixelsFromTwips(fi));
        block.setLeftMargin(pixelsFromTwips(li));
        block.setRightMargin(pixelsFromTwips(props.ri));
        if (paragraph.pageBreakBefore)
            block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);

        const QTextCharFormat &blockChars =
            charFormat(paragraph.runs.empty() ? paragraph.endChr : paragraph.runs.front().chr);
        if (first) {
            cursor.setBlockFormat(block);
            cursor.setBlockCharFormat(blockChars);
        } else {
            cursor.insertBlock(block, blockChars);
        }
        first = false;

        if (listed) {
            const auto key = std::make_tuple(props.pn != ListKind::None ? -1 : props.ls, int(kind), props.level);
            const auto found = open.find(key);
            const int part = kind == ListKind::Bullet ? kBulletListPart : kNumberedListPart;
            if (found != open.end() && found->second.count < part) {
                found->second.list->add(cursor.block());
                ++found->second.count;
            } else {
                QTextListFormat format;
                format.setStyle(kind == ListKind::Bullet ? QTextListFormat::ListDisc : QTextListFormat::ListDecimal);
                format.setIndent(props.level + 1);
                if (found != open.end())
                    format.setProperty(kContinuedListProperty, true);
                open[key] = OpenList{cursor.createList(format), 1};
            }
        } else {
            open.clear();
        }
        for (const Run &run : paragraph.runs)
            if (!(run.fallback && listed))
                cursor.insertText(cleaned(run.text), charFormat(run.chr));
    }
    cursor.endEditBlock();
    return true;
}

}  // namespace

bool looksLikeRtf(const QByteArray &bytes)
{
    qsizetype start = 0;
    while (start < bytes.size() && isWhiteSpace(bytes[start]))
        ++start;
    return QByteArrayView(bytes).sliced(start).startsWith("{\\rtf");
}

bool readRtf(const QByteArray &bytes, QTextDocument &document, QString *error, const RtfProgress &progress)
{
    QString message;
    Reader reader;
    if (!reader.read(bytes, &message, progress) || !reader.build(document, progress)) {
        if (error)
            *error = message;
        return false;
    }
    if (error)
        error->clear();
    return true;
}

void readPlainText(const QByteArray &bytes, QTextDocument &document)
{
    QByteArrayView content(bytes);
    if (content.startsWith("\xEF\xBB\xBF"))
        content = content.sliced(3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(content);
    if (utf8.hasError())
        text = fromCp1251(std::string_view(content.data(), static_cast<size_t>(content.size())));
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    document.setPlainText(text);
}

}  // namespace kaldex::ui

#include "core/report/PocketReport.h"

#include "core/encoding/CodePage.h"
#include "core/store/Number.h"

#include <algorithm>

namespace kaldex {
namespace {

struct Texts {
    std::string header = "$$" + std::string(30, ' ') + "KALDEX";
    std::string number = cp1251FromUtf8("    Номер документа= ");
    std::string categories = cp1251FromUtf8("  Состояние ключей Oth Vis Con Tdi Dif Pot Vir Bea Spe The Exp ");
    std::string categoryRow = "     0/1:No/Yes     ";
    std::string year = cp1251FromUtf8("   Год издания =");
    std::string pairs =
        cp1251FromUtf8("  Состояние ключей   11  12  22  13  23   33  14  24  34  44  15  25  35  45  55");
    std::string pairRow = " 0/1:No/Yes     ";
    std::string substance1 = cp1251FromUtf8("  Первое вещество: :  ");
    std::string substance2 = cp1251FromUtf8("  Второе: ");
    std::string substance3 = cp1251FromUtf8(" Третье: ");
    std::string substance4 = cp1251FromUtf8(" Четвертое : ");
    std::string substance5 = cp1251FromUtf8(" Пятое: ");
    std::string notes = cp1251FromUtf8(" Дополнительные сведения  ");
    std::string provenance = cp1251FromUtf8("    Референт, время рефериривания, место нахождения документа");
    std::string end = cp1251FromUtf8(" Конец документа ");
};

const Texts &texts()
{
    static const Texts instance;
    return instance;
}

template <size_t N> void appendFlags(std::string &line, const std::array<int32_t, N> &flags)
{
    for (size_t i = 0; i < N; ++i) {
        if (i)
            line += ' ';
        appendNumber(line, flags[i]);
    }
}

size_t pieces(std::string_view text)
{
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
}

// The lines a text takes in the block: its stored count, but never fewer
// than `least` (below 1 the abstract's and notes' closing line feed would
// cover the text) and never more than the text's own lines, whatever a file
// says.
size_t shownCount(int32_t count, std::string_view text, int32_t least)
{
    return static_cast<size_t>(std::clamp<int64_t>(count, least, static_cast<int64_t>(pieces(text))));
}

class Report {
public:
    std::string &at(size_t position)
    {
        if (position >= lines_.size())
            lines_.resize(position + 1);
        return lines_[position];
    }
    std::vector<std::string> take(size_t end)
    {
        at(end);
        lines_.resize(end + 1);
        return std::move(lines_);
    }

private:
    std::vector<std::string> lines_;
};

size_t writeBlock(Report &report, size_t b, int slot, const DocumentRecord &d)
{
    const Texts &t = texts();
    std::string line;

    report.at(b) = t.header + "\n";
    line = t.number;
    appendNumber(line, slot);
    report.at(b + 1) = line + "\n";
    report.at(b + 3) = t.categories + "\n";
    line = t.categoryRow;
    appendFlags(line, d.categoryFlags);
    report.at(b + 4) = line;  // this row alone has no line feed
    line = t.year;
    appendNumber(line, d.year);
    report.at(b + 6) = line + "\n";
    report.at(b + 7) = "\n";

    line = " " + d.authors[0];
    if (d.authorCount > 1)
        line += ", " + d.authors[1];
    if (d.authorCount > 2)
        line += ", " + d.authors[2];
    report.at(b + 8) = line + "\n";
    report.at(b + 9) = t.pairs + "\n";
    line = t.pairRow;
    appendFlags(line, d.pairFlags);
    report.at(b + 10) = line + "\n";

    line = t.substance1 + d.substances[0] + t.substance2 + d.substances[1];
    if (d.substanceCount > 2)
        line += t.substance3 + d.substances[2];
    if (d.substanceCount > 3)
        line += t.substance4 + d.substances[3];
    if (d.substanceCount > 4)
        line += t.substance5 + d.substances[4];
    report.at(b + 12) = line + "\n";

    // The citation is cut at its line feeds, one piece a position.
    size_t c = b + 15;
    size_t start = 0;
    for (size_t lf; (lf = d.citation.find('\n', start)) != std::string::npos; start = lf + 1)
        report.at(c++) = d.citation.substr(start, lf - start);
    report.at(c) = d.citation.substr(start);

    report.at(c + 1) = " \n";
    const size_t a = c + 2;
    const size_t abstractLines = shownCount(d.abstractLines, d.abstract, 1);
    report.at(a) = " " + d.abstract + "\n";
    report.at(a + abstractLines) = "\n";
    report.at(a + abstractLines + 1) = t.notes + "\n";
    const size_t n = a + abstractLines + 2;
    const size_t notesLines = shownCount(d.notesLines, d.notes, 1);
    report.at(n) = " " + d.notes + "\n";
    report.at(n + notesLines) = "\n";
    report.at(n + notesLines + 1) = t.provenance + "\n";
    const size_t r = n + notesLines + 2;
    const size_t provenanceLines = shownCount(d.provenanceLines, d.provenance, 0);
    report.at(r) = " " + d.provenance + "\n";
    line = t.end;
    appendNumber(line, slot);
    report.at(r + provenanceLines + 1) = line + "\n";
    report.at(r + provenanceLines + 2) = "\n";
    report.at(r + provenanceLines + 3) = "\n";
    return r + provenanceLines + 4;
}

}  // namespace

std::vector<std::string> buildReport(const DocumentStore &store)
{
    Report report;
    size_t b = 0;
    for (int entry = 1; entry <= store.pocketCount; ++entry) {
        const int slot = store.pocket[static_cast<size_t>(entry)];
        b = writeBlock(report, b, slot, store.record(slot));
    }
    return report.take(b);
}

std::string reportText(const std::vector<std::string> &lines)
{
    size_t size = 0;
    for (const std::string &line : lines)
        size += line.size() + 1;
    std::string text;
    text.reserve(size);
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i)
            text += '\n';
        text += lines[i];
    }
    return text;
}

}  // namespace kaldex

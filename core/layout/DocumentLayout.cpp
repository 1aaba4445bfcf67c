#include "core/layout/DocumentLayout.h"

#include "core/encoding/CodePage.h"
#include "core/store/Number.h"

#include <algorithm>
#include <array>

namespace kaldex {
namespace {

struct Texts {
    std::string number = cp1251FromUtf8("Номер документа= ");
    std::string categories = cp1251FromUtf8("Сост.ключей Oth Vis Con Tdi Dif Pot Vir Bea Spe The Exp ");
    std::string year = cp1251FromUtf8(" Год издания =");
    std::string pairs = cp1251FromUtf8("Сост.ключей   11  12  22  13  23   33  14  24  34  44  15  25  35  45  55");
    std::string flagsLabel = "0/1:No/Yes     ";
    std::string author1 = cp1251FromUtf8("Первый автор:  ");
    std::string author2 = cp1251FromUtf8("     Второй автор: ");
    std::string author3 = cp1251FromUtf8("    Третий автор: ");
    std::string substance1 = cp1251FromUtf8("Первое вещество:  ");
    std::string substance2 = cp1251FromUtf8("     Второе: ");
    std::string substance3 = cp1251FromUtf8("    Третье : ");
    std::string substance4 = cp1251FromUtf8("    Четвертое : ");
    std::string substance5 = cp1251FromUtf8("    Пятое : ");
    std::array<std::string, 4> headings = {
        cp1251FromUtf8("    Авторы ,название статьи, название журнала ,издательство,год,стр. "),
        cp1251FromUtf8("    Реферат ...."),
        cp1251FromUtf8("    Дополнительные сведения  "),
        cp1251FromUtf8("    Референт, время рефериривания, место нахождения документа "),
    };
    std::string end = cp1251FromUtf8("   Конец документа ");
};

const Texts &texts()
{
    static const Texts instance;
    return instance;
}

// Spaces between consecutive flags of the two rows.
constexpr std::array<int, 10> kCategoryGaps = {5, 4, 5, 4, 5, 4, 4, 4, 4, 4};
constexpr std::array<int, 14> kPairGaps = {5, 4, 5, 4, 5, 4, 4, 4, 4, 4, 4, 4, 4, 4};

template <size_t N, size_t G> std::string flagRow(const std::array<int32_t, N> &flags, const std::array<int, G> &gaps)
{
    static_assert(G + 1 == N);
    std::string row = texts().flagsLabel;
    for (size_t i = 0; i < N; ++i) {
        if (i)
            row.append(static_cast<size_t>(gaps[i - 1]), ' ');
        appendNumber(row, flags[i]);
    }
    return row + "\n";
}

size_t pieces(std::string_view text)
{
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1;
}

}  // namespace

void LineBuffer::write(size_t index, std::string_view text)
{
    if (index >= lines_.size())
        return;
    size_t lf = text.find('\n');
    lines_[index].assign(text.substr(0, lf));
    std::vector<std::string> inserted;
    while (lf != std::string_view::npos) {
        text.remove_prefix(lf + 1);
        lf = text.find('\n');
        inserted.emplace_back(text.substr(0, lf));
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(index) + 1, inserted.begin(), inserted.end());
}

std::vector<std::string> layoutDocument(const DocumentRecord &r, int slot)
{
    const Texts &t = texts();
    LineBuffer display;

    std::string line = t.number;
    appendNumber(line, slot);
    display.write(0, line + "\n");
    display.write(1, "\n");
    display.write(2, t.categories + "\n");
    display.write(3, flagRow(r.categoryFlags, kCategoryGaps));
    display.write(4, "\n");
    line = t.year;
    appendNumber(line, r.year);
    display.write(5, line + "\n");
    display.write(6, "\n");

    line = t.author1 + r.authors[0];
    if (r.authorCount > 1)
        line += t.author2 + r.authors[1];
    if (r.authorCount > 2)
        line += t.author3 + r.authors[2];
    if (r.authorCount <= 1)
        line += ' ';
    display.write(7, line + "\n");
    display.write(8, "\n");
    display.write(9, t.pairs + "\n");
    display.write(10, flagRow(r.pairFlags, kPairGaps));
    display.write(11, "\n");

    line = t.substance1 + r.substances[0] + t.substance2 + r.substances[1];
    if (r.substanceCount > 2)
        line += t.substance3 + r.substances[2];
    if (r.substanceCount > 3)
        line += t.substance4 + r.substances[3];
    if (r.substanceCount > 4)
        line += t.substance5 + r.substances[4];
    display.write(12, line + "\n");
    display.write(13, "\n");

    // Each text is followed by its lone line feed where its own pieces end, so
    // a stored line count that disagrees with the text cannot hide or
    // scramble what follows it.
    size_t k = 14;
    const std::array<const FieldText *, 4> bodies = {&r.citation, &r.abstract, &r.notes, &r.provenance};
    for (size_t i = 0; i < bodies.size(); ++i) {
        display.write(k++, t.headings[i] + "\n");
        display.write(k, bodies[i]->str() + "\n");
        k += pieces(*bodies[i]);
        display.write(k++, "\n");
    }
    line = t.end;
    appendNumber(line, slot);
    display.write(k, line + "\n");
    return display.lines();
}

}  // namespace kaldex

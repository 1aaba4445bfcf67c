#include "core/exchange/ImportDocument.h"

#include "core/encoding/CodePage.h"
#include "core/exchange/CitationSplit.h"
#include "core/store/FieldRules.h"
#include "core/store/Number.h"

#include <algorithm>

namespace kaldex::tool {

namespace {

constexpr size_t kWidth = 100;     // the sample's texts wrap near here; the file keeps 126
constexpr size_t kNameBytes = 19;  // what a name cell of the file keeps intact

size_t characterLength(unsigned char lead)
{
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

bool hasCyrillicUtf8(std::string_view text)
{
    // U+0400..U+04FF are encoded with the lead bytes 0xD0..0xD3.
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 0xD0 && b <= 0xD3;
    });
}

// "Hans-Jürgen" as "H.-J."; a given name already in initials ("R.", "Дж.") as it is.
std::string initials(const std::string &given)
{
    if (given.find('.') != std::string::npos)
        return given;
    std::string out;
    bool atStart = true;
    for (size_t at = 0; at < given.size();) {
        const size_t length = characterLength(static_cast<unsigned char>(given[at]));
        const std::string c = given.substr(at, length);
        at += length;
        if (c == "-" || c == " ") {
            if (c == "-" && !out.empty())
                out += "-";
            atStart = true;
        } else if (atStart) {
            out += c + ".";
            atStart = false;
        }
    }
    return out;
}

std::string houseName(const PersonName &name)
{
    std::string given;
    for (const std::string &part : name.given)
        given += initials(part);
    return given.empty() ? name.family : name.family + " " + given;
}

std::string withoutFinalPeriod(std::string text)
{
    while (!text.empty() && (text.back() == '.' || text.back() == ' '))
        text.pop_back();
    return text;
}

// A Russian place as the house style abbreviates it.
std::string russianPlace(const std::string &place)
{
    static const struct {
        const char *names[2];
        const char *shortName;
    } places[] = {
        {{"Москва", "Moscow"}, "М."},
        {{"Ленинград", "Leningrad"}, "Л."},
        {{"Санкт-Петербург", "St. Petersburg"}, "СПб."},
    };
    for (const auto &p : places)
        for (const char *name : p.names)
            if (place == name)
                return p.shortName;
    return place;
}

std::string citationText(const Reference &r, const std::vector<std::string> &names)
{
    const bool russian = hasCyrillicUtf8(r.title);
    std::string out;
    for (size_t i = 0; i < names.size(); ++i)
        out += names[i] + (i + 1 < names.size() ? ", " : " ");
    const std::string title = withoutFinalPeriod(r.title);
    const std::string pages = r.firstPage.empty()  ? ""
                              : r.lastPage.empty() ? r.firstPage
                                                   : r.firstPage + "–" + r.lastPage;
    if (!r.host.empty()) {
        out += title + " // " + withoutFinalPeriod(r.host) + ".";
        if (!r.year.empty())
            out += " " + r.year + ".";
        if (!r.volume.empty())
            out += std::string(russian ? " Т. " : " V. ") + r.volume + (r.issue.empty() ? "." : ",");
        if (!r.issue.empty())
            out += std::string(russian ? " № " : " N ") + r.issue + ".";
        if (!pages.empty())
            out += std::string(russian ? " С. " : " P. ") + pages + ".";
        return out;
    }
    out += title + ".";
    const std::string place = russian ? russianPlace(r.address) : r.address;
    if (!place.empty())
        out += std::string(russian ? " — " : " ") + place + ":";
    if (!r.publisher.empty())
        out += " " + r.publisher + (r.year.empty() ? "." : ",");
    if (!r.year.empty())
        out += " " + r.year + ".";
    return out;
}

// Lines of at most kWidth characters, broken at spaces, each ended by LF.
std::string wrapped(const std::string &text)
{
    std::string out;
    std::string line;
    for (size_t at = 0; at <= text.size();) {
        size_t end = text.find_first_of(" \n", at);
        if (end == std::string::npos)
            end = text.size();
        std::string word = text.substr(at, end - at);
        while (word.size() > kWidth) {  // a long address gets lines of its own
            if (!line.empty())
                out += line + "\n";
            out += word.substr(0, kWidth) + "\n";
            line.clear();
            word.erase(0, kWidth);
        }
        if (!word.empty()) {
            if (!line.empty() && line.size() + 1 + word.size() > kWidth) {
                out += line + "\n";
                line.clear();
            }
            line += (line.empty() ? "" : " ") + word;
        }
        if ((end == text.size() || text[end] == '\n') && !line.empty()) {
            out += line + "\n";
            line.clear();
        }
        at = end + 1;
    }
    return out;
}

int32_t lineCount(std::string_view text)
{
    return static_cast<int32_t>(std::count(text.begin(), text.end(), '\n')) + 1;
}

/** Lower case, letters and digits only: what two spellings of one title share. */
std::string plainKey(std::string_view cp1251)
{
    std::string out;
    for (char c : cp1251) {
        auto b = static_cast<unsigned char>(c);
        if (b >= 'A' && b <= 'Z')
            b = static_cast<unsigned char>(b - 'A' + 'a');
        else if (b >= 0xC0 && b <= 0xDF)
            b = static_cast<unsigned char>(b + 0x20);
        else if (b == 0xA8)
            b = 0xB8;
        const bool letterOrDigit = (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b >= 0xC0 || b == 0xB8;
        if (letterOrDigit)
            out += static_cast<char>(b);
    }
    return out;
}

// A stored name without its initials: "van der Waals J.D." gives "van der Waals".
std::string surnameOf(std::string_view name)
{
    std::string words = oneLine(name);
    for (size_t space = words.rfind(' '); space != std::string::npos; space = words.rfind(' ')) {
        if (!isInitials(std::string_view(words).substr(space + 1)))
            break;
        words.erase(space);
    }
    return words;
}

bool containsWord(const std::string &text, const std::string &word)
{
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        auto alnum = [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
        const bool before = at > 0 && alnum(text[at - 1]);
        const bool after = at + word.size() < text.size() && alnum(text[at + word.size()]);
        if (!before && !after)
            return true;
    }
    return false;
}

std::string lowerCp1251(std::string_view text)
{
    std::string out(text);
    for (char &c : out) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 'A' && b <= 'Z')
            c = static_cast<char>(b - 'A' + 'a');
        else if (b >= 0xC0 && b <= 0xDF)
            c = static_cast<char>(b + 0x20);
    }
    return out;
}

}  // namespace

void classify(DocumentRecord &record, std::string_view text)
{
    static const struct {
        Category key;
        std::vector<const char *> stems;
    } properties[] = {
        {Vis, {"viscosit", "вязкост"}},
        {Con, {"thermal conductivit", "теплопроводност"}},
        {Tdi, {"thermal diffusion", "thermodiffusion", "термодиффуз"}},
        {Dif, {"diffusion", "diffusivit", "диффуз"}},
        {Pot, {"potential", "потенциал"}},
        {Vir, {"virial", "вириальн"}},
        {Bea, {"beam", "пучк", "пучок"}},
        {Spe, {"spectr", "спектр"}},
        {The, {"theor", "теор"}},
        {Exp, {"experiment", "measure", "эксперимент", "измерен"}},
    };
    static const struct {
        const char *formula;
        std::vector<const char *> names;
    } gases[] = {
        {"He", {"helium", "гели"}},
        {"Ne", {"neon", "неон"}},
        {"Ar", {"argon", "аргон"}},
        {"Kr", {"krypton", "криптон"}},
        {"Xe", {"xenon", "ксенон"}},
        {"H2", {"hydrogen", "водород"}},
        {"N2", {"nitrogen", "азот"}},
        {"O2", {"oxygen", "кислород"}},
        {"CO2", {"carbon dioxide", "диоксид углерода", "углекислый газ", "углекислого газа"}},
        {"CH4", {"methane", "метан"}},
        {"CO", {"carbon monoxide", "оксид углерода", "окись углерода"}},
    };
    std::string lower = lowerCp1251(text);
    // "thermal diffusion" is not diffusion as well.
    for (const char *phrase : properties[2].stems) {
        const std::string stem = lowerCp1251(cp1251FromUtf8(phrase));
        if (lower.find(stem) != std::string::npos)
            record.categoryFlags[Tdi] = 1;
        for (size_t at = lower.find(stem); at != std::string::npos; at = lower.find(stem, at))
            lower.replace(at, stem.size(), stem.size(), '#');
    }
    for (const auto &p : properties)
        for (const char *stem : p.stems)
            if (lower.find(lowerCp1251(cp1251FromUtf8(stem))) != std::string::npos)
                record.categoryFlags[p.key] = 1;
    const std::string cased(text);
    std::vector<std::pair<size_t, const char *>> found;
    for (const auto &g : gases) {
        size_t first = containsWord(cased, g.formula) ? cased.find(g.formula) : std::string::npos;
        for (const char *name : g.names)
            first = std::min(first, lower.find(lowerCp1251(cp1251FromUtf8(name))));
        if (first != std::string::npos)
            found.emplace_back(first, g.formula);
    }
    std::sort(found.begin(), found.end());
    const size_t count = std::min<size_t>(found.size(), kSubstanceCount);
    for (size_t i = 0; i < count; ++i)
        record.substances[i] = found[i].second;
    record.substanceCount = static_cast<int32_t>(count);
    const bool mixtures = lower.find("mixture") != std::string::npos ||
                          lower.find(lowerCp1251(cp1251FromUtf8("смес"))) != std::string::npos;
    for (int j = 1; j <= static_cast<int>(count); ++j)
        for (int i = 1; i <= j; ++i)
            if (i == j || mixtures)
                record.pairFlags[static_cast<size_t>(pairIndex(i, j))] = 1;
}

ImportedDocument importedDocument(const Reference &r, const ImportSource &source, Transliterator &cp1251)
{
    ImportedDocument out;
    DocumentRecord &d = out.record;
    std::vector<std::string> &changes = out.changes;
    auto text = [&](const std::string &utf8) {
        std::string bytes = cp1251.toCp1251(utf8, changes);
        if (hasDollar(bytes)) {
            bytes.erase(std::remove(bytes.begin(), bytes.end(), '$'), bytes.end());
            if (std::find(changes.begin(), changes.end(), "$ dropped") == changes.end())
                changes.emplace_back("$ dropped");
        }
        return bytes;
    };
    std::vector<std::string> names;
    for (const PersonName &name : r.authors)
        names.push_back(houseName(name));
    for (size_t i = 0; i < names.size() && i < kAuthorCount; ++i) {
        std::string name = text(names[i]);
        name.erase(std::remove(name.begin(), name.end(), '@'), name.end());
        if (name.size() > kNameBytes) {
            std::string surname = text(r.authors[i].family);
            surname.erase(std::remove(surname.begin(), surname.end(), '@'), surname.end());
            changes.push_back("name cut to " + std::to_string(kNameBytes) + " characters: " + names[i]);
            name = surname.substr(0, kNameBytes);
        }
        d.authors[i] = name;
        d.authorCount = static_cast<int32_t>(i + 1);
    }
    d.year = readNumber(r.year);
    d.citation = wrapped(text(citationText(r, names)));
    d.abstract = wrapped(text(r.abstract));
    std::string notes;
    if (!r.doi.empty())
        notes += "DOI: " + r.doi + "\n";
    if (!r.url.empty())
        notes += "URL: " + r.url + "\n";
    std::string keywords;
    for (const std::string &word : r.keywords)
        keywords += (keywords.empty() ? "" : "; ") + word;
    if (!keywords.empty())
        notes += "Ключевые слова: " + keywords + "\n";
    d.notes = wrapped(text(notes));
    std::string provenance =
        "Импортировано kaldex-tool из файла " + source.fileName + " (" + source.format + "), " + source.date + ".\n";
    if (source.classify)
        provenance += "Ключи и вещества подобраны автоматически по заглавию, реферату и ключевым словам.\n";
    d.provenance = wrapped(text(provenance));
    d.citationLines = lineCount(d.citation);
    d.abstractLines = lineCount(d.abstract);
    d.notesLines = lineCount(d.notes);
    d.provenanceLines = lineCount(d.provenance);
    out.title = text(r.title);
    out.surname = r.authors.empty() ? std::string() : text(r.authors[0].family);
    if (source.classify)
        classify(d, out.title + "\n" + std::string(d.abstract) + "\n" + text(keywords));
    return out;
}

bool holdsReference(const DocumentRecord &document, const ImportedDocument &imported)
{
    if (document.year != imported.record.year)
        return false;
    if (plainKey(surnameOf(document.authors[0])) != plainKey(imported.surname))
        return false;
    const std::string title = plainKey(imported.title);
    return !title.empty() && plainKey(document.citation).find(title) != std::string::npos;
}

}  // namespace kaldex::tool

#include "core/exchange/Csv.h"

#include "core/store/Number.h"

namespace kaldex::tool {

std::vector<std::string> csvHeader()
{
    std::vector<std::string> names = {"number",     "author1",    "author2",    "author3",   "substance1",
                                      "substance2", "substance3", "substance4", "substance5"};
    for (int j = 1; j <= kSubstanceCount; ++j)
        for (int i = 1; i <= j; ++i)
            names.push_back("pair" + std::to_string(i) + std::to_string(j));  // pairIndex order
    for (const char *name : {"year",
                             "upperYear",
                             "lowerYear",
                             "wantedNumber",
                             "Oth",
                             "Vis",
                             "Con",
                             "Tdi",
                             "Dif",
                             "Pot",
                             "Vir",
                             "Bea",
                             "Spe",
                             "The",
                             "Exp",
                             "authorCount",
                             "substanceCount",
                             "citationLines",
                             "abstractLines",
                             "notesLines",
                             "provenanceLines",
                             "fileLine",
                             "citation",
                             "abstract",
                             "notes",
                             "provenance"})
        names.emplace_back(name);
    return names;
}

std::vector<std::string> csvFields(const DocumentRecord &r)
{
    std::vector<std::string> fields;
    fields.push_back(formatNumber(r.number));
    fields.insert(fields.end(), r.authors.begin(), r.authors.end());
    fields.insert(fields.end(), r.substances.begin(), r.substances.end());
    for (int32_t flag : r.pairFlags)
        fields.push_back(formatNumber(flag));
    for (int32_t value : {r.year, r.upperYear, r.lowerYear, r.wantedNumber})
        fields.push_back(formatNumber(value));
    for (int32_t flag : r.categoryFlags)
        fields.push_back(formatNumber(flag));
    for (int32_t value : {r.authorCount, r.substanceCount, r.citationLines, r.abstractLines, r.notesLines,
                          r.provenanceLines, r.fileLine})
        fields.push_back(formatNumber(value));
    for (const FieldText *text : {&r.citation, &r.abstract, &r.notes, &r.provenance})
        fields.push_back(text->str());
    return fields;
}

std::string csvRow(const std::vector<std::string> &fields)
{
    std::string row;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (i)
            row += ',';
        const std::string &field = fields[i];
        if (field.find_first_of(",\"\r\n") == std::string::npos) {
            row += field;
            continue;
        }
        row += '"';
        for (char c : field) {
            if (c == '"')
                row += '"';
            row += c;
        }
        row += '"';
    }
    return row + "\r\n";
}

}  // namespace kaldex::tool

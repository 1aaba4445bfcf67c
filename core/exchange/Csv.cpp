#include "core/exchange/Csv.h"

#include "core/store/Number.h"
#include "core/store/RecordFormat.h"

namespace kaldex::tool {
namespace {

// The columns follow the record's own order of fields: the number, the
// names, the second number line, the first, the texts.
constexpr Section kColumnOrder[] = {
    kNumberSection,   kAuthorSection,   kSubstanceSection, kSecondNumberSection, kFirstNumberSection,
    kCitationSection, kAbstractSection, kNotesSection,     kProvenanceSection,
};

// Calls column(name, value) for each column; value(r) gives the field's text.
template <typename F> void forEachColumn(F &&column)
{
    for (Section s : kColumnOrder) {
        const SectionFormat &format = kSections[s];
        switch (format.kind) {
        case SectionKind::Number:
            column(format.column, [&format](const DocumentRecord &r) { return formatNumber(format.number.in(r)); });
            break;
        case SectionKind::Numbers:
            for (const NumberItem &item : *format.items)
                if (item.column)
                    column(item.column, [&item](const DocumentRecord &r) { return formatNumber(item.field.in(r)); });
            break;
        case SectionKind::Names:
            for (size_t i = 0; i < format.nameCount; ++i)
                column(format.column + std::to_string(i + 1),
                       [&format, i](const DocumentRecord &r) { return format.names[i].in(r).str(); });
            break;
        case SectionKind::Text:
            column(format.column, [&format](const DocumentRecord &r) { return format.text.in(r).str(); });
            break;
        case SectionKind::Lead: break;
        }
    }
}

}  // namespace

std::vector<std::string> csvHeader()
{
    std::vector<std::string> names;
    forEachColumn([&names](std::string name, auto) { names.push_back(std::move(name)); });
    return names;
}

std::vector<std::string> csvFields(const DocumentRecord &r)
{
    std::vector<std::string> fields;
    forEachColumn([&](const std::string &, auto value) { fields.push_back(value(r)); });
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

#include "core/exchange/ReferenceReader.h"

#include <bibutils/bibutils.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kaldex::tool {

namespace {

struct Format {
    const char *name;
    int mode;
    const char *entryStart;  // what the first line of an entry starts with, after spaces
};

const Format kFormats[] = {
    {"ris", BIBL_RISIN, "TY  -"},
    {"bibtex", BIBL_BIBTEXIN, "@"},
    {"biblatex", BIBL_BIBLATEXIN, "@"},
    {"endnote", BIBL_ENDNOTEIN, "%0"},
    {"endnotexml", BIBL_ENDNOTEXMLIN, "<record>"},
    {"medline", BIBL_MEDLINEIN, "<PubmedArticle>"},
    {"nbib", BIBL_NBIBIN, "PMID-"},
    {"isi", BIBL_ISIIN, "PT "},
    {"mods", BIBL_MODSIN, "<mods"},
};

const Format *findFormat(const std::string &name)
{
    for (const Format &f : kFormats)
        if (name == f.name)
            return &f;
    return nullptr;
}

bool startsWith(const std::string &text, size_t at, const char *prefix)
{
    return text.compare(at, std::strlen(prefix), prefix) == 0;
}

// The lines (from 1) on which the file's entries start, in order.
std::vector<int> entryLines(const std::string &bytes, const Format &format)
{
    std::vector<int> lines;
    int line = 1;
    for (size_t at = 0; at < bytes.size(); ++line) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            end = bytes.size();
        const size_t text = bytes.find_first_not_of(" \t", at);
        if (text < end && startsWith(bytes, text, format.entryStart)) {
            // BibTeX's @string, @preamble and @comment are no references.
            bool reference = true;
            for (const char *other : {"@string", "@preamble", "@comment"})
                if (strncasecmp(bytes.c_str() + text, other, std::strlen(other)) == 0)
                    reference = false;
            if (reference)
                lines.push_back(line);
        }
        at = end + 1;
    }
    return lines;
}

// Braces opened and not closed from line first up to line next (0: the end).
int openBraces(const std::string &bytes, int first, int next)
{
    int depth = 0;
    int line = 1;
    for (size_t at = 0; at < bytes.size() && (next == 0 || line < next); ++at) {
        if (bytes[at] == '\n')
            ++line;
        else if (line >= first && (at == 0 || bytes[at - 1] != '\\'))
            depth += bytes[at] == '{' ? 1 : bytes[at] == '}' ? -1 : 0;
    }
    return depth;
}

/** What libbibutils writes to stderr while it reads, caught in a file instead. */
class CaughtStderr {
public:
    CaughtStderr() : file_(std::tmpfile())
    {
        std::fflush(stderr);
        saved_ = ::dup(2);
        if (file_ != nullptr && saved_ >= 0)
            ::dup2(::fileno(file_.get()), 2);
    }
    ~CaughtStderr() { restore(); }
    std::string text()
    {
        restore();
        std::string out;
        if (file_ == nullptr)
            return out;
        std::rewind(file_.get());
        char buffer[4096];
        for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file_.get())) > 0;)
            out.append(buffer, n);
        return out;
    }

private:
    void restore()
    {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
        saved_ = -1;
    }
    struct Closer {
        void operator()(FILE *f) const { std::fclose(f); }
    };
    std::unique_ptr<FILE, Closer> file_;
    int saved_ = -1;
};

// The reference number a libbibutils message names ("... reference 3."), or 0.
int referenceNumber(const std::string &message)
{
    const size_t at = message.find("reference ");
    return at == std::string::npos ? 0 : std::atoi(message.c_str() + at + 10);
}

std::string firstYear(const std::string &date)
{
    for (size_t at = 0; at + 4 <= date.size(); ++at)
        if (std::isdigit(static_cast<unsigned char>(date[at])) && date.find_first_not_of("0123456789", at) >= at + 4)
            return date.substr(at, 4);
    return {};
}

PersonName personName(const std::string &value, bool whole)
{
    PersonName name;
    if (whole) {
        name.family = value;
        return name;
    }
    std::vector<std::string> parts;
    std::stringstream in(value);
    for (std::string part; std::getline(in, part, '|');)
        parts.push_back(part);
    if (!parts.empty())
        name.family = parts[0];
    // Given names run to the empty part before a suffix ("Smith|John||Jr.").
    for (size_t i = 1; i < parts.size() && !parts[i].empty(); ++i)
        name.given.push_back(parts[i]);
    return name;
}

Reference referenceOf(fields *f)
{
    Reference r;
    std::vector<PersonName> others;
    std::string subtitle;
    std::string hostSubtitle;
    for (int i = 0; i < fields_num(f); ++i) {
        const std::string tag = static_cast<const char *>(fields_tag(f, i, FIELDS_CHRP_NOUSE));
        const std::string value = static_cast<const char *>(fields_value(f, i, FIELDS_CHRP_NOUSE));
        const int level = fields_level(f, i);
        if (value.empty())
            continue;
        auto first = [&value](std::string &field) {
            if (field.empty())
                field = value;
        };
        if (tag == "AUTHOR" || tag == "AUTHOR:CORP" || tag == "AUTHOR:ASIS")
            (level == LEVEL_MAIN ? r.authors : others).push_back(personName(value, tag != "AUTHOR"));
        else if (tag == "TITLE")
            first(level == LEVEL_MAIN ? r.title : r.host);
        else if (tag == "SUBTITLE")
            first(level == LEVEL_MAIN ? subtitle : hostSubtitle);
        else if (tag == "DATE:YEAR" || tag == "PARTDATE:YEAR")
            r.year = r.year.empty() ? firstYear(value) : r.year;
        else if (tag == "VOLUME")
            first(r.volume);
        else if (tag == "ISSUE" || tag == "NUMBER")
            first(r.issue);
        else if (tag == "PAGES:START" || tag == "ARTICLENUMBER")
            first(r.firstPage);
        else if (tag == "PAGES:STOP")
            first(r.lastPage);
        else if (tag == "PUBLISHER")
            first(r.publisher);
        else if (tag == "ADDRESS" || tag == "ADDRESS:PUBLISHER" || tag == "PUBLISHER:PLACE")
            first(r.address);
        else if (tag == "ABSTRACT")
            first(r.abstract);
        else if (tag == "DOI")
            first(r.doi);
        else if (tag == "URL")
            first(r.url);
        else if (tag == "KEYWORD")
            r.keywords.push_back(value);
    }
    if (r.authors.empty())
        r.authors = others;
    if (!subtitle.empty())
        r.title += ": " + subtitle;
    if (!hostSubtitle.empty() && !r.host.empty())
        r.host += ": " + hostSubtitle;
    return r;
}

}  // namespace

const std::vector<std::string> &referenceFormats()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> list;
        for (const Format &f : kFormats)
            list.emplace_back(f.name);
        return list;
    }();
    return names;
}

std::string guessFormat(const std::string &bytes)
{
    const size_t limit = std::min<size_t>(bytes.size(), 65536);
    if (bytes.find("<PubmedArticle") < limit || bytes.find("<MedlineCitation") < limit)
        return "medline";
    if (bytes.find("<mods") < limit)
        return "mods";
    if (bytes.find("<records>") < limit)
        return "endnotexml";
    // The first line that only one format starts an entry with decides.
    for (size_t at = 0; at < limit;) {
        size_t end = bytes.find('\n', at);
        if (end == std::string::npos)
            end = bytes.size();
        size_t text = bytes.find_first_not_of(" \t\r\xEF\xBB\xBF", at);
        if (text < end) {
            if (bytes[text] == '@')
                return "bibtex";
            if (startsWith(bytes, text, "TY  -"))
                return "ris";
            if (bytes[text] == '%' && text + 2 < end && bytes[text + 2] == ' ')
                return "endnote";
            if (startsWith(bytes, text, "PMID-"))
                return "nbib";
            if (startsWith(bytes, text, "FN ") || startsWith(bytes, text, "PT "))
                return "isi";
        }
        at = end + 1;
    }
    return {};
}

std::vector<Reference> readReferences(const std::string &path, std::string &format, std::vector<std::string> &warnings)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        throw ReadError("cannot read " + path + ": " + std::strerror(errno));
    if (!S_ISREG(info.st_mode))
        throw ReadError("cannot read " + path + ": not a plain file");
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    if (!in)
        throw ReadError("cannot read " + path + ": " + std::strerror(errno));
    const std::string bytes = content.str();
    if (format.empty())
        format = guessFormat(bytes);
    if (format.empty())
        throw ReadError(path + ", line 1: no reference format recognised (RIS, BibTeX, EndNote, MEDLINE, NBIB, "
                               "ISI, MODS); name it with --from");
    const Format *f = findFormat(format);
    if (f == nullptr)
        throw ReadError("unknown reference format " + format);

    param p;
    char program[] = "kaldex-tool";
    if (bibl_initparams(&p, f->mode, BIBL_MODSOUT, program) != BIBL_OK)
        throw ReadError("libbibutils cannot read " + format);
    bibl b;
    bibl_init(&b);
    FILE *fp = std::fopen(path.c_str(), "r");
    int status = BIBL_ERR_CANTOPEN;
    std::string said;
    if (fp != nullptr) {
        CaughtStderr caught;
        std::vector<char> name(path.begin(), path.end());
        name.push_back('\0');
        status = bibl_read(&b, fp, name.data(), &p);
        std::fclose(fp);
        said = caught.text();
    }
    std::vector<Reference> references;
    for (long i = 0; i < b.n; ++i)
        references.push_back(referenceOf(b.ref[i]));
    bibl_free(&b);
    bibl_freeparams(&p);

    const std::vector<int> lines = entryLines(bytes, *f);
    auto lineOf = [&lines](int reference) {
        return reference >= 1 && static_cast<size_t>(reference) <= lines.size()
                   ? lines[static_cast<size_t>(reference - 1)]
                   : 0;
    };
    auto where = [&](int reference) {
        const int line = lineOf(reference);
        return path + (line > 0 ? ", line " + std::to_string(line) : std::string()) + " (reference " +
               std::to_string(reference) + ")";
    };
    if (status != BIBL_OK)
        throw ReadError(path + ", line 1: libbibutils cannot read it as " + format);
    // libbibutils takes an entry whose braces do not close as running on into the next ones.
    if (f->mode == BIBL_BIBTEXIN || f->mode == BIBL_BIBLATEXIN)
        for (size_t k = 0; k < lines.size(); ++k)
            if (const int open = openBraces(bytes, lines[k], k + 1 < lines.size() ? lines[k + 1] : 0); open != 0)
                throw ReadError(path + ", line " + std::to_string(lines[k]) + ": the braces of this entry do not " +
                                "close (" + std::to_string(open) + " more { than }); nothing imported");
    std::stringstream messages(said);
    for (std::string message; std::getline(messages, message);) {
        if (message.empty())
            continue;
        const int n = referenceNumber(message);
        const bool broken = message.find("Mismatch") != std::string::npos ||
                            message.find("Unmatched") != std::string::npos || message.find("rror") != std::string::npos;
        const std::string text = (n > 0 ? where(n) : path) + ": libbibutils: " + message;
        if (broken)
            throw ReadError(text + "; nothing imported");
        warnings.push_back(text);
    }
    if (references.empty())
        throw ReadError(path + ", line 1: no reference in it (read as " + format + ")");
    for (size_t i = 0; i < references.size(); ++i) {
        references[i].line = lineOf(static_cast<int>(i + 1));
        if (references[i].title.empty() && references[i].authors.empty())
            throw ReadError(where(static_cast<int>(i + 1)) + ": a reference with neither title nor author; nothing "
                                                             "imported");
    }
    return references;
}

}  // namespace kaldex::tool

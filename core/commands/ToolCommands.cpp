// kaldex-tool's commands: the database from the command line, without a display.

#include "core/commands/ToolCommands.h"
#include "core/encoding/CodePage.h"
#include "core/exchange/Check.h"
#include "core/exchange/Csv.h"
#include "core/exchange/ImportDocument.h"
#include "core/exchange/References.h"
#include "core/layout/DocumentLayout.h"
#include "core/query/Query.h"
#include "core/report/PlainRtf.h"
#include "core/report/PocketReport.h"
#include "core/store/ChangeMark.h"
#include "core/store/DatabaseFile.h"
#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"
#include "core/store/FileBytes.h"
#include "core/store/Number.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <unordered_set>
#include <utility>
#include <vector>

namespace {

using namespace kaldex;

#ifndef KALDEX_VERSION
#define KALDEX_VERSION "(unknown version)"
#endif

constexpr int kDone = 0;
constexpr int kRefused = 1;  // problems found, a rejected query, a document not there
constexpr int kFailed = 2;   // wrong use, unreadable input, unwritable output
constexpr int kNoHits = 3;

const char *const kMainHelp = "usage: kaldex-tool [--cp1251] COMMAND [options] [FILE]\n"
                              "       kaldex-tool --version\n"
                              "\n"
                              "Reads a database file as the program loads it; only append writes one.\n"
                              "FILE and INTO default to \"ba0\" in the working directory.\n"
                              "\n"
                              "commands:\n"
                              "  check [FILE]                    list what a load would lose or misread\n"
                              "  find [criteria] [FILE]          search as the search window does\n"
                              "  show N [FILE]                   the viewer's text of document N\n"
                              "  report N... [FILE] [--rtf OUT]  the pocket report of documents N...\n"
                              "  export --csv [N...] [FILE]      documents as CSV rows\n"
                              "  export --ris|--bibtex [N...] [FILE]\n"
                              "                                  documents as references for Zotero,\n"
                              "                                  JabRef, BibTeX\n"
                              "  append FROM [INTO]              add FROM's documents to INTO (a side file\n"
                              "                                  of a refused save), saved as the program\n"
                              "                                  saves\n"
                              "  import FILE [INTO] [--from FORMAT] [--classify]\n"
                              "                                  add the references of FILE (RIS, BibTeX,\n"
                              "                                  EndNote, MEDLINE, NBIB, ISI, MODS) to INTO,\n"
                              "                                  saved as append saves\n"
                              "\n"
                              "Output is UTF-8 unless --cp1251 is given; arguments are read as UTF-8.\n"
                              "\"kaldex-tool COMMAND --help\" describes a command.\n";

const char *const kCheckHelp = "usage: kaldex-tool check [FILE]\n"
                               "\n"
                               "Lists each problem as \"document D, line L: what\": records beyond 4999, a\n"
                               "truncated last record, sections cut short by a line that looks like a marker,\n"
                               "numbers that are not numbers, names after a gap, line counts that disagree\n"
                               "with their texts, bytes that are not Windows-1251 text.\n"
                               "Exit status: 0 sound, 1 problems, 2 unreadable or no database (a pipe, a\n"
                               "device, binary data, over 1 GiB, or text without a document).\n";

const char *const kFindHelp = "usage: kaldex-tool find [criteria] [FILE]\n"
                              "\n"
                              "criteria (all given must hold; --number overrides the rest):\n"
                              "  --key NAME       key word ticked: Other Visc Cond TDF Dif Pot Vir Beam\n"
                              "                   Spectr The Exp (repeatable)\n"
                              "  --sub A B        substances A and B studied together (B = 7: A alone)\n"
                              "  --aut PREFIX     an author's name starts with PREFIX\n"
                              "  --ymax Y         year <= Y\n"
                              "  --ymin Y         year >= Y\n"
                              "  --text FRAGMENT  the notes contain FRAGMENT\n"
                              "  --number N       document N itself\n"
                              "\n"
                              "Prints the found documents one per line; the search window's message, when\n"
                              "there is no hit, goes to standard error.\n"
                              "Exit status: 0 found, 1 rejected or contradictory query, 3 nothing found.\n";

const char *const kShowHelp = "usage: kaldex-tool show N [FILE]\n"
                              "\n"
                              "Prints the viewer's text of document N. Exit status 1 when there is no N.\n";

const char *const kReportHelp = "usage: kaldex-tool report N... [FILE] [--rtf OUT]\n"
                                "\n"
                                "Prints the pocket report of documents N... in that order, or writes it\n"
                                "to OUT as RTF. The last argument is FILE when it is not a number\n"
                                "(write \"./12\" for a file named 12).\n";

const char *const kExportHelp = "usage: kaldex-tool export --csv|--ris|--bibtex [N...] [FILE]\n"
                                "\n"
                                "Prints documents N... in that order, or every document:\n"
                                "  --csv     one CSV row each (RFC 4180) after a header row naming every field\n"
                                "  --ris     one RIS reference each (type GEN), lines ended by CR LF\n"
                                "  --bibtex  one BibTeX @misc entry each, special characters escaped\n"
                                "A reference holds the authors (\"Surname, I.O.\" when stored as \"Surname\n"
                                "I.O.\", else as stored), the year, the citation text whole (RIS N1, BibTeX\n"
                                "howpublished), the abstract, the notes (N1, note), the ticked subject keys\n"
                                "in words and the substances as keywords, and \"kaldexN\" as its identifier\n"
                                "(N the document number). Empty fields are left out.\n"
                                "The last argument is FILE when it is not a number.\n";

const char *const kAppendHelp = "usage: kaldex-tool append [--without-lock] FROM [INTO]\n"
                                "\n"
                                "Adds the documents of FROM after those of INTO (default \"ba0\"), skipping\n"
                                "each that equals one already there in every stored field, and numbers them\n"
                                "by their place. INTO is saved as the program saves it: under the same lock,\n"
                                "the old file kept under the day's backup name (b + day + month + year\n"
                                "modulo 100 + _ + 0..10) beside INTO, the new one written beside it and put\n"
                                "in its place only if INTO is still the file that was read; a link INTO is\n"
                                "saved through to its target.\n"
                                "Nothing is written when INTO cannot be read or is no database, when\n"
                                "another program holds INTO for changes or changed it meanwhile, when no\n"
                                "lock can be had (--without-lock: write all the same), or when the result\n"
                                "would hold more than 4999 documents.\n"
                                "Prints how many documents were added and how many skipped.\n"
                                "Exit status: 0 done (also when nothing was new), 1 refused, 2 unreadable\n"
                                "input or a failed save.\n";

const char *const kImportHelp = "usage: kaldex-tool import FILE [INTO] [--from FORMAT] [--classify]\n"
                                "\n"
                                "Adds each reference of FILE to INTO (default \"ba0\") as a document in the\n"
                                "database's own style: the first three authors as \"Surname I.O.\", the year,\n"
                                "the citation naming every author (\"Authors Title // Journal. Year. V. 67,\n"
                                "N 3. P. 5719-5726.\" or \"Authors Title. Place: Publisher, Year.\", with\n"
                                "Т., №, С. and М.: for a Cyrillic title), the abstract, the DOI, URL and\n"
                                "keywords in the notes, and where it came from in the provenance.\n"
                                "  --from FORMAT  ris, bibtex, biblatex, endnote, endnotexml, medline, nbib,\n"
                                "                 isi or mods; without it the format is told from the content\n"
                                "  --classify     set subject keys and substances from the property words and\n"
                                "                 gas names of title, abstract and keywords (said so in the\n"
                                "                 provenance); without it they stay empty\n"
                                "Characters Windows-1251 cannot hold are written in the closest form it holds,\n"
                                "and each replacement is listed. A reference INTO already holds (same year,\n"
                                "same first author, its title in the citation) is skipped and named.\n"
                                "INTO is saved as append saves it. Nothing is written when FILE cannot be\n"
                                "read, is broken or holds no reference, or when the result would hold more\n"
                                "than 4999 documents.\n"
                                "Exit status: 0 done, 1 refused, 2 unreadable input or a failed save.\n";

/** Wrong use: the command's usage goes to stderr. */
struct UsageError {
    std::string message;
    const char *help;
};

/** A message for stderr and the exit status that goes with it. */
struct Failure {
    int status;
    std::string message;
};

bool cp1251Output = false;

void print(const std::string &cp1251Text)
{
    std::string bytes = cp1251Output ? cp1251Text : utf8FromCp1251(cp1251Text);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void printLine(const std::string &cp1251Text)
{
    print(cp1251Text + "\n");
}

// A message, not a result: to stderr, in the output's code page.
void printMessage(const std::string &cp1251Text)
{
    std::fflush(stdout);
    const std::string bytes = cp1251Output ? cp1251Text : utf8FromCp1251(cp1251Text);
    std::fprintf(stderr, "%s\n", bytes.c_str());
}

// "1 document", "2 documents": a count with its noun.
std::string counted(size_t count, const std::string &noun)
{
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// Where the bytes stop being UTF-8, or npos.
size_t notUtf8At(const std::string &bytes)
{
    for (size_t at = 0; at < bytes.size();) {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        const size_t length = lead < 0x80         ? 1
                              : (lead >> 5) == 6  ? 2
                              : (lead >> 4) == 14 ? 3
                              : (lead >> 3) == 30 ? 4
                                                  : 0;
        if (length == 0 || at + length > bytes.size())
            return at;
        for (size_t i = 1; i < length; ++i)
            if ((static_cast<unsigned char>(bytes[at + i]) >> 6) != 2)
                return at;
        at += length;
    }
    return std::string::npos;
}

std::string fromArgument(const std::string &utf8)
{
    if (const size_t bad = notUtf8At(utf8); bad != std::string::npos) {
        std::string shown;
        for (char c : utf8) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
            shown += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : std::string(hex);
        }
        throw Failure{kFailed, "kaldex-tool: the argument \"" + shown + "\" is not UTF-8 (byte " +
                                   std::to_string(bad + 1) +
                                   "); arguments are read as UTF-8: set a UTF-8 locale or convert them"};
    }
    try {
        return cp1251FromUtf8(utf8);
    } catch (const std::invalid_argument &) {
        throw Failure{kFailed, "kaldex-tool: \"" + utf8 + "\" holds a character that Windows-1251 cannot hold"};
    }
}

// Why the program would not take the file as a database, for stderr; empty when it would.
std::string problemText(const std::string &path, FileProblem problem, int error, unsigned type, int64_t size)
{
    switch (problem) {
    case FileProblem::None: return {};
    case FileProblem::Missing:
    case FileProblem::Unreadable: return "kaldex-tool: cannot read " + path + ": " + std::strerror(error);
    case FileProblem::NotAFile:
        return "kaldex-tool: " + path + " is not a plain file but " +
               (type == S_IFDIR                      ? "a directory"
                : type == S_IFIFO                    ? "a named pipe"
                : type == S_IFCHR || type == S_IFBLK ? "a device"
                : type == S_IFSOCK                   ? "a socket"
                                                     : "something else") +
               "; the program does not read it either";
    case FileProblem::TooLarge:
        return "kaldex-tool: " + path + " holds " + std::to_string(size) +
               " bytes, more than any database can (the limit is " + std::to_string(kMaxDatabaseBytes) +
               " bytes); not read";
    case FileProblem::NotText:
        return "kaldex-tool: " + path +
               " is not a database: it holds binary data (runs of NUL bytes or control "
               "bytes), not text";
    case FileProblem::NoDocuments:
        return "kaldex-tool: " + path + " is not a database: it is not empty but holds no document";
    }
    return {};
}

// The whole file, opened as the program opens "ba0", or a Failure naming why not.
DatabaseBytes readFile(const std::string &path)
{
    DatabaseBytes file = readDatabaseBytes(path);
    if (file.problem != FileProblem::None && file.problem != FileProblem::NotText)
        throw Failure{kFailed, problemText(path, file.problem, file.errorNumber, file.fileType, file.size)};
    return file;
}

// sayOverflow false: the caller says what a file larger than the store means for it.
std::unique_ptr<DocumentStore> load(const std::string &path, bool sayOverflow = true)
{
    auto store = std::make_unique<DocumentStore>();
    LoadResult result = loadDatabaseFile(*store, path);
    if (result.problem != FileProblem::None || !result.opened)
        throw Failure{kFailed,
                      problemText(path, result.problem == FileProblem::None ? FileProblem::Unreadable : result.problem,
                                  result.errorNumber, result.fileType, result.fileSize)};
    if (result.overflow && sayOverflow)
        std::fprintf(stderr, "kaldex-tool: %s: only the first %d records are loaded (line %ld on is not)\n",
                     path.c_str(), DocumentStore::kMaxDocuments, result.overflowLine);
    return store;
}

// A whole decimal number, or false.
bool parseNumber(const std::string &text, long &value)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = std::strtol(text.c_str(), nullptr, 10);
    return true;
}

/** The words after the command: options with their values, then FILE. */
class Arguments {
public:
    Arguments(std::vector<std::string> words, const char *help) : words_(std::move(words)), help_(help) {}

    bool done() const { return next_ >= words_.size(); }
    const std::string &take() { return words_[next_++]; }
    const std::string &value(const std::string &option)
    {
        if (done())
            fail(option + " needs a value");
        return take();
    }
    [[noreturn]] void fail(const std::string &message) const { throw UsageError{message, help_}; }

    // Whether the word is an option word (after "--" none is).
    bool isOption(const std::string &word)
    {
        if (afterDashes_)
            return false;
        if (word == "--") {
            afterDashes_ = true;
            return false;
        }
        return word.size() > 1 && word[0] == '-';
    }

private:
    std::vector<std::string> words_;
    const char *help_;
    size_t next_ = 0;
    bool afterDashes_ = false;
};

void addFile(Arguments &args, std::string &file, const std::string &word)
{
    if (!file.empty())
        args.fail("more than one FILE: " + word);
    file = word;
}

std::string orDefault(const std::string &file)
{
    return file.empty() ? "ba0" : file;
}

int check(Arguments &args)
{
    std::string file;
    while (!args.done()) {
        const std::string &word = args.take();
        if (args.isOption(word))
            args.fail("unknown option " + word);
        if (word != "--")
            addFile(args, file, word);
    }
    const std::string path = orDefault(file);
    // Read a piece at a time, as cat reads a file: the check needs no more.
    DatabaseBytes found;
    struct stat info {};
    const int fd = openDatabaseFile(path, found, info);
    if (fd < 0)
        throw Failure{kFailed, problemText(path, found.problem, found.errorNumber, found.fileType, found.size)};
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    // Binary data is named, not listed line by line. Only bytes that no text
    // holds make a file binary: the whole file is read and classified once
    // the check meets enough of them, or at its end if it met any.
    int classified = -1;
    auto binary = [&] {
        if (classified < 0)
            classified = readFile(path).problem == FileProblem::NotText;
        return classified == 1;
    };
    tool::CheckSummary summary;
    std::vector<tool::Problem> problems;
    try {
        problems = tool::checkDatabaseFile(fd, static_cast<size_t>(found.size), &summary, binary);
    } catch (const std::system_error &error) {
        throw Failure{kFailed, "kaldex-tool: cannot read " + path + ": " + std::strerror(error.code().value())};
    }
    if (summary.stopped || (summary.foreignBytes && binary()))
        throw Failure{kFailed, problemText(path, FileProblem::NotText, 0, found.fileType, found.size)};
    const int documents = summary.documents;
    for (const tool::Problem &problem : problems)
        printLine("document " + std::to_string(problem.document) + ", line " + std::to_string(problem.line) + ": " +
                  problem.message);
    std::fprintf(stderr, "%s: %s, %s\n", path.c_str(), counted(static_cast<size_t>(documents), "document").c_str(),
                 counted(problems.size(), "problem").c_str());
    // A file the program would refuse as no database says so, after what check found in it.
    if (documents == 0 && hasContent(readFile(path).bytes())) {
        std::fprintf(stderr, "%s\n", problemText(path, FileProblem::NoDocuments, 0, 0, 0).c_str());
        return kFailed;
    }
    return problems.empty() ? kDone : kRefused;
}

bool keyFromName(std::string name, Category &key)
{
    struct Name {
        const char *caption;
        const char *record;
        Category key;
    };
    static const Name names[] = {
        {"other", "oth", Oth},  {"visc", "vis", Vis}, {"cond", "con", Con}, {"tdf", "tdi", Tdi},
        {"dif", "dif", Dif},    {"pot", "pot", Pot},  {"vir", "vir", Vir},  {"beam", "bea", Bea},
        {"spectr", "spe", Spe}, {"the", "the", The},  {"exp", "exp", Exp},
    };
    for (char &c : name)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    for (const Name &n : names) {
        if (name == n.caption || name == n.record) {
            key = n.key;
            return true;
        }
    }
    return false;
}

int find(Arguments &args)
{
    QueryInput input;
    std::string file;
    while (!args.done()) {
        const std::string &word = args.take();
        if (!args.isOption(word)) {
            if (word != "--")
                addFile(args, file, word);
        } else if (word == "--key") {
            Category key;
            const std::string &name = args.value(word);
            if (!keyFromName(name, key))
                args.fail("unknown key word " + name);
            input.categories[key] = true;
        } else if (word == "--sub") {
            input.bySubstances = true;
            input.substance1 = fromArgument(args.value(word));
            input.substance2 = fromArgument(args.value(word));
        } else if (word == "--aut") {
            input.byAuthor = true;
            input.author = fromArgument(args.value(word));
        } else if (word == "--ymax") {
            input.byUpperYear = true;
            input.upperYear = fromArgument(args.value(word));
        } else if (word == "--ymin") {
            input.byLowerYear = true;
            input.lowerYear = fromArgument(args.value(word));
        } else if (word == "--text") {
            input.text = fromArgument(args.value(word));
        } else if (word == "--number") {
            input.byNumber = true;
            input.number = fromArgument(args.value(word));
        } else {
            args.fail("unknown option " + word);
        }
    }
    auto store = load(orDefault(file));
    const QueryOutcome outcome = runQuery(*store, input);
    switch (outcome) {
    case QueryOutcome::Rejected: printMessage(cp1251FromUtf8("Ошибки в задании")); return kRefused;
    case QueryOutcome::Contradiction: printMessage(outcomeMessage(QueryOutcome::Contradiction)); return kRefused;
    case QueryOutcome::NotFound:
    case QueryOutcome::NumberNotFound: printMessage(outcomeMessage(outcome)); return kNoHits;
    case QueryOutcome::NumberFound: printLine(std::to_string(store->query().wantedNumber)); return kDone;
    case QueryOutcome::Found: break;
    }
    std::string lines;
    for (int i = 1; i <= store->foundCount; ++i)
        lines += std::to_string(store->foundList[static_cast<size_t>(i)]) + "\n";
    print(lines);
    return kDone;
}

void requireDocument(const DocumentStore &store, long slot, const std::string &path)
{
    if (slot < 1 || slot > store.documentCount)
        throw Failure{kRefused, "kaldex-tool: no document " + std::to_string(slot) + " in " + path + " (it holds " +
                                    std::to_string(store.documentCount) + ")"};
}

// The rest of the arguments, none of which may be an option.
std::vector<std::string> plainWords(Arguments &args)
{
    std::vector<std::string> words;
    while (!args.done()) {
        const std::string &word = args.take();
        if (args.isOption(word))
            args.fail("unknown option " + word);
        if (word != "--")
            words.push_back(word);
    }
    return words;
}

int show(Arguments &args)
{
    std::vector<std::string> words = plainWords(args);
    long slot = 0;
    if (words.empty() || words.size() > 2)
        args.fail("show takes N and at most one FILE");
    if (!parseNumber(words[0], slot))
        args.fail("not a document number: " + words[0]);
    const std::string path = orDefault(words.size() == 2 ? words[1] : "");
    auto store = load(path);
    requireDocument(*store, slot, path);
    std::string text;
    for (const std::string &line : layoutDocument(store->record(static_cast<int>(slot)), static_cast<int>(slot)))
        text += line + "\n";
    print(text);
    return kDone;
}

// Writes OUT only once the whole report is there: a failure leaves OUT as it
// was. The report is in the font the editor shows it in.
void writeRtfFile(const std::string &text, const std::string &out)
{
    if (!replaceFile(out, plainTextRtf(text, "MS Sans Serif", 16)))
        throw Failure{kFailed, "kaldex-tool: cannot write " + out + ": " + std::strerror(errno)};
}

// Document numbers, then a database file when the last word is no number.
std::vector<long> numbersThenFile(Arguments &args, std::vector<std::string> words, std::string &file)
{
    long slot = 0;
    if (!words.empty() && !parseNumber(words.back(), slot)) {
        file = words.back();
        words.pop_back();
    }
    std::vector<long> wanted;
    for (const std::string &word : words) {
        if (!parseNumber(word, slot))
            args.fail("not a document number: " + word);
        wanted.push_back(slot);
    }
    return wanted;
}

int report(Arguments &args)
{
    std::vector<std::string> words;
    std::string rtf;
    bool toRtf = false;
    while (!args.done()) {
        const std::string &word = args.take();
        if (!args.isOption(word)) {
            if (word != "--")
                words.push_back(word);
        } else if (word == "--rtf") {
            toRtf = true;
            rtf = args.value(word);
        } else {
            args.fail("unknown option " + word);
        }
    }
    std::string file;
    const std::vector<long> wanted = numbersThenFile(args, words, file);
    if (wanted.empty())
        args.fail("report needs at least one document number");
    if (wanted.size() > static_cast<size_t>(DocumentStore::kMaxPocket))
        args.fail("the pocket holds at most " + std::to_string(DocumentStore::kMaxPocket) + " documents");
    const std::string path = orDefault(file);
    if (toRtf) {
        std::error_code error;
        if (rtf.empty() || std::filesystem::path(rtf).filename() == "ba0" ||
            std::filesystem::equivalent(rtf, path, error))
            throw Failure{kFailed, "kaldex-tool: will not write the report over a database file: " + rtf};
    }
    auto store = load(path);
    store->pocketCount = 0;
    for (long s : wanted) {
        requireDocument(*store, s, path);
        store->pocket[static_cast<size_t>(++store->pocketCount)] = static_cast<int32_t>(s);
    }
    std::string text = reportText(buildReport(*store));
    if (toRtf)
        writeRtfFile(text, rtf);
    else
        print(text);
    return kDone;
}

// How many references were split into fields, and which were not.
std::string exportSummary(int references, const std::string &whole)
{
    const size_t kept = whole.empty() ? 0 : static_cast<size_t>(std::count(whole.begin(), whole.end(), ',') + 1);
    std::string line = counted(static_cast<size_t>(references), "reference") + ", " +
                       std::to_string(static_cast<size_t>(references) - kept) + " split into fields";
    if (kept > 0)
        line += "; " + std::to_string(kept) + " kept whole (citation not in the house style): " + whole;
    return line;
}

int exportDocuments(Arguments &args)
{
    std::vector<std::string> words;
    std::string format;
    while (!args.done()) {
        const std::string &word = args.take();
        if (!args.isOption(word)) {
            if (word != "--")
                words.push_back(word);
        } else if (word == "--csv" || word == "--ris" || word == "--bibtex") {
            if (!format.empty() && format != word)
                args.fail("choose one of --csv, --ris, --bibtex");
            format = word;
        } else {
            args.fail("unknown option " + word);
        }
    }
    if (format.empty())
        args.fail("export needs --csv, --ris or --bibtex");
    std::string file;
    std::vector<long> wanted = numbersThenFile(args, words, file);
    const std::string path = orDefault(file);
    auto store = load(path);
    for (long s : wanted)
        requireDocument(*store, s, path);
    if (wanted.empty())
        for (int s = 1; s <= store->documentCount; ++s)
            wanted.push_back(s);
    std::string text = format == "--csv" ? tool::csvRow(tool::csvHeader()) : "";
    std::unordered_set<long> written;
    std::string whole;
    int references = 0;
    for (long s : wanted) {
        const bool first = text.empty();
        const DocumentRecord &record = store->record(static_cast<int>(s));
        if (format == "--csv") {
            text += tool::csvRow(tool::csvFields(record));
            continue;
        }
        // A key names one reference: a document named again is written once.
        if (!written.insert(s).second) {
            std::fprintf(stderr, "kaldex-tool: document %ld is named more than once; written once\n", s);
            continue;
        }
        ++references;
        if (!tool::splitsIntoFields(record))
            whole += (whole.empty() ? "" : ", ") + std::to_string(s);
        if (format == "--ris")
            text += tool::risReference(record, static_cast<int>(s));
        else
            text += (first ? "" : "\n") + tool::bibtexReference(record, static_cast<int>(s));
    }
    print(text);
    if (format != "--csv")
        std::fprintf(stderr, "kaldex-tool: %s\n", exportSummary(references, whole).c_str());
    return kDone;
}

std::string processText(const LockHolder &holder)
{
    if (holder.pid <= 0)
        return {};
    return " (process " + std::to_string(holder.pid) + (holder.host.empty() ? "" : " on " + holder.host) + ")";
}

// Why the save did not happen, for "INTO not saved: ...".
std::string saveFailureText(const SaveResult &saved, const std::string &into)
{
    const std::string error = std::strerror(saved.errorNumber);
    switch (saved.status) {
    case SaveStatus::Changed:
        switch (saved.change) {
        case FileChange::Removed: return "it was removed or renamed after it was read";
        case FileChange::Replaced: return "another program saved it after it was read";
        default: return "another program changed it after it was read";
        }
    case SaveStatus::LockedElsewhere: return "another KALDEX program holds it for changes" + processText(saved.holder);
    case SaveStatus::BeingSaved:
        return "another program is saving it this moment" + processText(saved.holder) + " and holds " + saved.fileName +
               "; if none is, that file was left by one that died: delete it";
    case SaveStatus::NotWritable: return "it is write-protected";
    case SaveStatus::NotAFile: return "it is not a plain file";
    case SaveStatus::NoBackupName: return "all eleven backup names of the day are taken";
    case SaveStatus::WriteFailed:
        return "cannot write the new file " + saved.fileName + ": " + error +
               (saved.errorNumber == EFBIG ? " (the file-size limit, see ulimit -f)" : "");
    case SaveStatus::BackupFailed: return "cannot keep the old file as " + saved.backupName + ": " + error;
    case SaveStatus::ReplaceFailed:
        if (saved.errorNumber == ENOENT && saved.fileName == saved.temporaryName)
            return "the new file " + saved.temporaryName + " was removed by another program before it could replace " +
                   into;
        return "cannot rename the new file " + saved.temporaryName + " to " + into + ": " + error;
    default: return error;
    }
}

// INTO's directory and file name, as the save takes them.
std::pair<std::string, std::string> placeOf(const std::string &into)
{
    return {folderOf(into), into.substr(into.rfind('/') + 1)};
}

// The lock on INTO, taken as the program takes it at "CONT"; a Failure when
// another program holds it, or when none can be had and withoutLock is false.
DatabaseLock lockForChanges(const std::string &into, bool withoutLock)
{
    const auto [dir, name] = placeOf(into);
    DatabaseLock lock = DatabaseLock::acquire(dir, name);
    const std::string lockName =
        into.find('/') == std::string::npos && lock.path().rfind("./", 0) == 0 ? lock.path().substr(2) : lock.path();
    if (lock.state() == DatabaseLock::State::HeldElsewhere) {
        const LockHolder &holder = lock.holder();
        std::string local(256, '\0');
        ::gethostname(local.data(), local.size() - 1);
        local.resize(std::strlen(local.c_str()));
        const std::string elsewhere =
            !holder.host.empty() && holder.host != local
                ? "; if that process no longer runs on " + holder.host + ", delete " + lockName
                : "";
        if (holder.program == "kaldex-tool")
            throw Failure{kRefused, "kaldex-tool: " + into + " is being changed by another kaldex-tool" +
                                        processText(holder) + "; nothing written, try again when it has finished" +
                                        elsewhere};
        throw Failure{kRefused, "kaldex-tool: " + into + " is open for changes in another KALDEX program" +
                                    processText(holder) +
                                    "; nothing written, try again when its search window is closed" + elsewhere};
    }
    if (lock.state() == DatabaseLock::State::Unavailable && !withoutLock)
        throw Failure{kRefused,
                      "kaldex-tool: cannot lock " + into + ": " +
                          (lock.errorNumber() == EISDIR ? lockName + " is a directory"
                                                        : lockName + ": " + std::strerror(lock.errorNumber())) +
                          "; nothing written. Without the lock another program may save " + into +
                          " at the same moment; --without-lock writes all the same, replacing " + into +
                          " only if it is still the file that was read"};
    return lock;
}

// INTO saved as "OK" saves it, leftovers of unfinished saves named; the name
// of the backup, or a Failure.
std::string saveOrFail(DocumentStore &store, const std::string &into)
{
    const auto [dir, name] = placeOf(into);
    store.modified = 1;
    const SaveResult saved = saveDatabaseAs(store, dir, name, LocalDate::today());
    for (const Leftover &left : saved.leftovers) {
        char when[32] = {};
        const std::time_t time = static_cast<std::time_t>(left.modifiedSeconds);
        std::tm local{};
        std::strftime(when, sizeof when, "%d.%m.%Y %H:%M", localtime_r(&time, &local));
        std::fprintf(stderr,
                     "kaldex-tool: %s is left beside %s by a save that did not finish (last written %s); it is not "
                     "the database and may be deleted\n",
                     left.name.c_str(), into.c_str(), when);
    }
    if (!saved.ok())
        throw Failure{kFailed, "kaldex-tool: " + into + " not saved: " + saveFailureText(saved, into) +
                                   "; it is left as it was"};
    return saved.backupName;
}

int append(Arguments &args)
{
    std::vector<std::string> words;
    bool withoutLock = false;
    while (!args.done()) {
        const std::string &word = args.take();
        if (!args.isOption(word)) {
            if (word != "--")
                words.push_back(word);
        } else if (word == "--without-lock") {
            withoutLock = true;
        } else {
            args.fail("unknown option " + word);
        }
    }
    if (words.empty() || words.size() > 2)
        args.fail("append takes FROM and at most one INTO");
    const std::string from = words[0];
    const std::string into = orDefault(words.size() == 2 ? words[1] : "");
    std::error_code same;
    if (std::filesystem::equivalent(from, into, same))
        throw Failure{kRefused, "kaldex-tool: " + from + " and " + into + " are the same file"};

    // The lock first, as the program takes it at "CONT": nobody saves INTO between the load and the save.
    DatabaseLock lock = lockForChanges(into, withoutLock);

    auto source = load(from);
    if (source->loadOverflow)
        throw Failure{kRefused, "kaldex-tool: " + from + " holds more than " +
                                    std::to_string(DocumentStore::kMaxDocuments) + " documents; nothing written"};
    const std::vector<ChangeMark> marks = changeMarks(readFile(from).bytes());
    {
        struct stat info {};
        if (::stat(into.c_str(), &info) != 0 && errno == ENOENT)
            throw Failure{kFailed, "kaldex-tool: cannot read " + into + ": " + std::strerror(ENOENT) +
                                       "; nothing written (to start a database from " + from + ", copy it)"};
    }
    auto store = load(into, false);
    store->withoutLock = lock.state() != DatabaseLock::State::Held;
    const int loaded = store->documentCount;

    // A side file's changed document replaces the one it changed while INTO
    // still holds that as the session loaded it; otherwise both are kept.
    std::unordered_set<std::string> there;
    for (int slot = 1; slot <= loaded; ++slot)
        there.insert(storedFields(store->record(slot)));
    std::vector<std::pair<int, int>> replaced;  // INTO's slot, FROM's slot
    std::vector<int> added;
    std::vector<int> conflicts;  // the number each conflicting change was for, by added
    int skipped = 0;
    for (int slot = 1; slot <= source->documentCount; ++slot) {
        const ChangeMark mark = static_cast<size_t>(slot) <= marks.size() ? marks[slot - 1] : ChangeMark{};
        std::string fields = storedFields(source->record(slot));
        if (there.count(fields)) {
            ++skipped;
            continue;
        }
        const bool inPlace =
            mark.number != 0 && mark.number <= loaded && storedState(store->record(mark.number)) == mark.state &&
            std::none_of(replaced.begin(), replaced.end(), [&](const auto &done) { return done.first == mark.number; });
        if (inPlace) {
            replaced.emplace_back(mark.number, slot);
        } else {
            added.push_back(slot);
            conflicts.push_back(mark.number);
        }
        there.insert(std::move(fields));
    }
    const int before = store->documentCount;
    if (store->loadOverflow && !added.empty())
        throw Failure{kRefused, "kaldex-tool: " + into + " holds more than " +
                                    std::to_string(DocumentStore::kMaxDocuments) + " documents, so the " +
                                    counted(added.size(), "document") + " of " + from +
                                    " that must be added cannot be; nothing written"};
    if (before + static_cast<int>(added.size()) > DocumentStore::kMaxDocuments)
        throw Failure{kRefused, "kaldex-tool: " + into + " holds " + std::to_string(before) + " documents and " + from +
                                    " adds " + std::to_string(added.size()) + ": more than " +
                                    std::to_string(DocumentStore::kMaxDocuments) + "; nothing written"};
    if (added.empty() && replaced.empty()) {
        printLine("added 0 documents to " + into + ", skipped " + std::to_string(skipped) +
                  " already there; nothing written");
        return kDone;
    }
    for (const auto &[slot, changed] : replaced) {
        store->record(slot) = source->record(changed);
        store->record(slot).number = slot;
    }
    for (size_t i = 0; i < added.size(); ++i) {
        DocumentRecord &record = store->record(++store->documentCount);
        record = source->record(added[i]);
        record.number = store->documentCount;
        if (conflicts[i] != 0)
            std::fprintf(stderr,
                         "kaldex-tool: document %d of %s is no longer as the session that changed it loaded it; "
                         "both are kept: the session's version is document %d\n",
                         conflicts[i], into.c_str(), store->documentCount);
    }
    store->keepUnloaded = true;
    const std::string backup = saveOrFail(*store, into);
    std::string done = "added " + counted(added.size(), "document") + " to " + into;
    done += store->loadOverflow ? " (past its first " + std::to_string(loaded) + " documents kept as it was)"
                                : " (now " + std::to_string(store->documentCount) + ")";
    if (!replaced.empty())
        done += ", changed " + std::to_string(replaced.size()) + " in place";
    printLine(done + ", skipped " + std::to_string(skipped) + " already there; the old file is kept as " + backup);
    return kDone;
}

int importReferences(Arguments &args)
{
    std::vector<std::string> words;
    std::string format;
    bool classify = false;
    while (!args.done()) {
        const std::string &word = args.take();
        if (!args.isOption(word)) {
            if (word != "--")
                words.push_back(word);
        } else if (word == "--from") {
            format = args.value(word);
            const auto &known = tool::referenceFormats();
            if (std::find(known.begin(), known.end(), format) == known.end())
                args.fail("unknown format " + format);
        } else if (word == "--classify") {
            classify = true;
        } else {
            args.fail("unknown option " + word);
        }
    }
    if (words.empty() || words.size() > 2)
        args.fail("import takes FILE and at most one INTO");
    const std::string from = words[0];
    const std::string into = orDefault(words.size() == 2 ? words[1] : "");
    DatabaseLock lock = lockForChanges(into, false);
    std::vector<std::string> warnings;
    std::vector<tool::Reference> references;
    try {
        references = tool::readReferences(from, format, warnings);
    } catch (const tool::ReadError &error) {
        throw Failure{kFailed, "kaldex-tool: " + std::string(error.what())};
    }
    for (const std::string &warning : warnings)
        std::fprintf(stderr, "kaldex-tool: %s\n", warning.c_str());
    struct stat info {};
    if (::stat(into.c_str(), &info) != 0 && errno == ENOENT)
        throw Failure{kFailed, "kaldex-tool: cannot read " + into + ": " + std::strerror(ENOENT) + "; nothing written"};
    auto store = load(into);
    if (store->loadOverflow)
        throw Failure{kRefused, "kaldex-tool: " + into + " holds more than " +
                                    std::to_string(DocumentStore::kMaxDocuments) +
                                    " documents, which a save would drop; nothing written"};

    const LocalDate today = LocalDate::today();
    char date[16];
    std::snprintf(date, sizeof date, "%02d.%02d.%04d", today.day, today.month, today.year);
    const tool::ImportSource source{placeOf(from).second, format, date, classify};
    tool::Transliterator cp1251;
    const int before = store->documentCount;
    size_t skipped = 0;
    size_t beyond = 0;
    for (size_t i = 0; i < references.size(); ++i) {
        const tool::Reference &reference = references[i];
        tool::ImportedDocument document = tool::importedDocument(reference, source, cp1251);
        const std::string where = from + (reference.line > 0 ? ", line " + std::to_string(reference.line)
                                                             : ", reference " + std::to_string(i + 1));
        const std::string label = utf8FromCp1251(document.surname + " " + formatNumber(document.record.year));
        int there = 0;
        for (int slot = 1; slot <= store->documentCount && there == 0; ++slot)
            if (tool::holdsReference(store->record(slot), document))
                there = slot;
        if (there != 0) {
            std::fprintf(stderr, "kaldex-tool: %s: %s is already in %s as document %d; skipped\n", where.c_str(),
                         label.c_str(), into.c_str(), there);
            ++skipped;
            continue;
        }
        if (store->documentCount == DocumentStore::kMaxDocuments) {
            ++beyond;
            continue;
        }
        std::string changes;
        for (const std::string &change : document.changes)
            changes += (changes.empty() ? "" : ", ") + change;
        if (!changes.empty())
            std::fprintf(stderr, "kaldex-tool: %s: %s: %s\n", where.c_str(), label.c_str(), changes.c_str());
        DocumentRecord &record = store->record(++store->documentCount);
        record = document.record;
        record.number = store->documentCount;
    }
    const size_t added = static_cast<size_t>(store->documentCount - before);
    if (beyond > 0)
        throw Failure{kRefused, "kaldex-tool: " + into + " holds " + counted(static_cast<size_t>(before), "document") +
                                    " and " + from + " adds " + std::to_string(added + beyond) + ": more than " +
                                    std::to_string(DocumentStore::kMaxDocuments) + "; nothing written"};
    if (added == 0) {
        printLine("imported 0 references into " + into + ", skipped " + std::to_string(skipped) +
                  " already there; nothing written");
        return kDone;
    }
    const std::string backup = saveOrFail(*store, into);
    printLine("imported " + counted(added, "reference") + " into " + into + " (now " +
              std::to_string(store->documentCount) + "), skipped " + std::to_string(skipped) +
              " already there; the old file is kept as " + backup);
    return kDone;
}

int run(int argc, char **argv)
{
    std::vector<std::string> words(argv + 1, argv + argc);
    size_t at = 0;
    for (; at < words.size() && words[at] == "--cp1251"; ++at)
        cp1251Output = true;
    if (at == words.size())
        throw UsageError{"no command", kMainHelp};
    const std::string command = words[at];
    if (command == "--help" || command == "-h") {
        std::fputs(kMainHelp, stdout);
        return kDone;
    }
    if (command == "--version") {
        std::fputs("kaldex-tool " KALDEX_VERSION "\n", stdout);
        return kDone;
    }
    struct Command {
        const char *name;
        int (*run)(Arguments &);
        const char *help;
    };
    static const Command commands[] = {
        {"check", check, kCheckHelp},
        {"find", find, kFindHelp},
        {"show", show, kShowHelp},
        {"report", report, kReportHelp},
        {"export", exportDocuments, kExportHelp},
        {"append", append, kAppendHelp},
        {"import", importReferences, kImportHelp},
    };
    for (const Command &c : commands) {
        if (command != c.name)
            continue;
        // --help and --cp1251 hold anywhere before "--".
        std::vector<std::string> rest;
        bool dashes = false;
        for (size_t i = at + 1; i < words.size(); ++i) {
            const std::string &word = words[i];
            dashes = dashes || word == "--";
            if (!dashes && (word == "--help" || word == "-h")) {
                std::fputs(c.help, stdout);
                return kDone;
            }
            if (!dashes && word == "--cp1251")
                cp1251Output = true;
            else
                rest.push_back(word);
        }
        Arguments args(std::move(rest), c.help);
        return c.run(args);
    }
    throw UsageError{"unknown command " + command, kMainHelp};
}

}  // namespace

namespace kaldex {

int runTool(int argc, char **argv)
{
    // Past a file-size limit a write fails with EFBIG and is reported like
    // any failed write; the signal would end the tool without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    int status;
    try {
        status = run(argc, argv);
    } catch (const UsageError &error) {
        std::fprintf(stderr, "kaldex-tool: %s\n\n%s", error.message.c_str(), error.help);
        return kFailed;
    } catch (const Failure &failure) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", failure.message.c_str());
        return failure.status;
    } catch (const std::exception &error) {
        std::fprintf(stderr, "kaldex-tool: %s\n", error.what());
        return kFailed;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "kaldex-tool: cannot write the output: %s\n", std::strerror(errno));
        return kFailed;
    }
    return status;
}

}  // namespace kaldex

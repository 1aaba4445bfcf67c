#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kaldex::tool {

/**
 * The fields of a citation written in the database's house style, in
 * Windows-1251 bytes as the record holds them:
 *   article  "Authors Title // Journal. Year. V. 67, N 3. P. 5719–5726."
 *            (also "Т. 59, № 3. С. 561–565." and "Bd. 88. S. 997–1002.")
 *   book     "Authors Title. Place: Publisher, Year."  (also "Title. — М.: …")
 * Authors are "Surname I.O." separated by ", ". A book title may be followed
 * by an edition ("3rd ed.", "Изд. 2-е …"), a translation note ("Пер. с …")
 * or a series in parentheses; they get fields of their own.
 */
struct CitationParts {
    enum class Kind { None, Article, Book };
    Kind kind = Kind::None;
    std::vector<std::string> authors;
    std::string title;
    std::string year;
    // article
    std::string journal;
    std::string volume;
    std::string number;
    std::string firstPage;
    std::string lastPage;
    // book
    std::string publisher;
    std::string address;
    std::string edition;
    std::string series;
    std::string note;
};

/** The lines of a text as one line: runs of white space become one space. */
std::string oneLine(std::string_view text);

/**
 * Splits a citation (its lines are joined first). Kind::None when it follows
 * neither form; the author list is filled whenever the citation opens with one.
 */
CitationParts splitCitation(std::string_view citation);

/** Whether the Windows-1251 text holds a Cyrillic letter. */
bool hasCyrillic(std::string_view text);

/** Initials: one to three letters and a period, once or more ("S.", "T.G.", "Дж.", "H.-J."). */
bool isInitials(std::string_view word);

}  // namespace kaldex::tool

#include "core/query/Query.h"
#include "TestFiles.h"

using namespace kaldex;
using test::cp1251;

namespace {

// The query fixture is tests/data/search/query.ba0: nine documents chosen for the cases below.
QueryInput categories(std::initializer_list<Category> keys)
{
    QueryInput q;
    for (Category key : keys)
        q.categories[key] = true;
    return q;
}
QueryInput substances(const char *a, const char *b)
{
    QueryInput q;
    q.bySubstances = true;
    q.substance1 = cp1251(a);
    q.substance2 = cp1251(b);
    return q;
}
QueryInput author(const char *prefix)
{
    QueryInput q;
    q.byAuthor = true;
    q.author = cp1251(prefix);
    return q;
}
QueryInput text(const char *fragment)
{
    QueryInput q;
    q.text = cp1251(fragment);
    return q;
}
QueryInput number(const char *typed, QueryInput q = {})
{
    q.byNumber = true;
    q.number = typed;
    return q;
}
QueryInput years(const char *upper, const char *lower)
{
    QueryInput q;
    q.byUpperYear = upper != nullptr;
    q.upperYear = upper ? upper : "";
    q.byLowerYear = lower != nullptr;
    q.lowerYear = lower ? lower : "";
    return q;
}

struct Case {
    const char *name;
    QueryInput input;
    QueryOutcome outcome;
    std::vector<int> slots;  // the found list, or the wanted number after "N"
};

std::vector<int> found(const DocumentStore &s)
{
    return {s.foundList.begin() + 1, s.foundList.begin() + 1 + s.foundCount};
}

}  // namespace

TEST(Query, CasesOverTheFixture)
{
    using O = QueryOutcome;
    QueryInput everything = author("Kes");
    everything.categories[Vis] = true;
    everything.byLowerYear = true;
    everything.lowerYear = "1970";
    QueryInput emptyThenCrossed = years("1970", "1980");
    emptyThenCrossed.bySubstances = true;
    emptyThenCrossed.substance1 = "Ar";

    const Case cases[] = {
        {"nothing ticked", {}, O::Rejected, {}},
        {"substance field empty", substances("Ar", ""), O::Rejected, {}},
        {"author field empty", author(""), O::Rejected, {}},
        {"upper year empty", years("", nullptr), O::Rejected, {}},
        {"lower year empty", years(nullptr, ""), O::Rejected, {}},
        {"blanks count as filled", author(" "), O::NotFound, {}},
        {"empty field checked before crossed years", emptyThenCrossed, O::Rejected, {}},
        {"crossed years", years("1970", "1980"), O::Contradiction, {}},
        {"equal years", years("1980", "1980"), O::Found, {6}},
        {"upper year only", years("1959", nullptr), O::Found, {4, 7}},
        {"non-numeric year reads 0", years("abc", nullptr), O::NotFound, {}},
        {"one category", categories({Vis}), O::Found, {1, 4, 5}},
        {"two categories", categories({Vis, Con}), O::Found, {5}},
        {"Ar and 7: every document listing Ar", substances("Ar", "7"), O::Found, {1, 2, 3, 5, 6, 9}},
        {"Ar and Ar: the diagonal flag", substances("Ar", "Ar"), O::Found, {3}},
        {"Latin case ignored", substances("ar", "NE"), O::Found, {6}},
        {"Kr at 1, Ar at 3: flag 1-3", substances("Kr", "Ar"), O::Found, {1, 2, 9}},
        {"first equal position only", substances("He", "Ar"), O::NotFound, {}},
        {"Cyrillic case not folded", substances("аргон", "Ксенон"), O::NotFound, {}},
        {"Cyrillic exact", substances("Аргон", "Ксенон"), O::Found, {4}},
        {"author prefix", author("Kes"), O::Found, {1}},
        {"author prefix other case", author("kes"), O::Found, {6}},
        {"any of the three authors", author("Wakeham"), O::Found, {1, 6}},
        {"fragment longer than the name", author("Kestinn"), O::NotFound, {}},
        {"Cyrillic author", author("Го"), O::Found, {4}},
        {"text in the notes", text("колб"), O::Found, {2}},
        {"text is case-sensitive", text("КОЛБ"), O::NotFound, {}},
        {"short Latin text", text("HFDID1"), O::Found, {3}},
        {"short Latin text in other case", text("hfdid1"), O::NotFound, {}},
        {"Latin text over 16 bytes", text("вискозиметр, 300-700 K"), O::Found, {1}},
        {"Latin text over 16 bytes in other case", text("вискозиметр, 300-700 k"), O::NotFound, {}},
        {"text at the end of the notes", text("точность 0.1%"), O::Found, {5}},
        {"text beyond the end of the notes", text("точность 0.1%!"), O::NotFound, {}},
        {"text across a line break", text("аргона,\nточность"), O::Found, {5}},
        {"text outside the notes is not searched", text("Viscosity"), O::NotFound, {}},
        {"fragment of more than 39 characters", text("Прецизионные измерения вязкости гелия и аргона"), O::Found, {5}},
        {"every criterion at once", everything, O::Found, {1}},
        {"number overrides every criterion", number("3", categories({Exp})), O::NumberFound, {3}},
        {"number with leading blanks and a tail", number(" 2x"), O::NumberFound, {2}},
        {"number field empty", number("", categories({Vis})), O::Rejected, {}},
        {"number zero", number("0"), O::NumberNotFound, {}},
        {"number negative", number("-1"), O::NumberNotFound, {}},
        {"number without digits", number("abc"), O::NumberNotFound, {}},
        {"number above the count", number("10"), O::NumberNotFound, {}},
    };

    for (const Case &c : cases) {
        auto store = test::queryStore();
        ASSERT_EQ(store->documentCount, 9);
        store->foundCount = 4;  // whatever the last search left
        EXPECT_EQ(runQuery(*store, c.input), c.outcome) << c.name;
        if (c.outcome == O::NumberFound) {
            EXPECT_EQ(store->query().wantedNumber, c.slots.at(0)) << c.name;
            EXPECT_EQ(store->foundCount, 0) << c.name;
        } else {
            EXPECT_EQ(found(*store), c.slots) << c.name;
        }
    }
}

// The fixture's documents by subject key, read off tests/data/search/query.ba0.
TEST(Query, EachSubjectKeyAlone)
{
    const struct {
        Category key;
        std::vector<int> slots;
    } rows[] = {
        {Oth, {7, 8}}, {Vis, {1, 4, 5}}, {Con, {5}}, {Tdi, {6}},    {Dif, {2}}, {Pot, {3}},
        {Vir, {9}},    {Bea, {}},        {Spe, {}},  {The, {2, 3}}, {Exp, {1}},
    };
    for (const auto &row : rows) {
        auto store = test::queryStore();
        const QueryOutcome outcome = runQuery(*store, categories({row.key}));
        EXPECT_EQ(outcome, row.slots.empty() ? QueryOutcome::NotFound : QueryOutcome::Found) << "key " << row.key;
        EXPECT_EQ(found(*store), row.slots) << "key " << row.key;
    }
}

TEST(Query, WritesTheCriteriaIntoTheQueryRecord)
{
    auto store = test::queryStore();
    QueryInput input = substances("Ar", "7");
    input.categories[Pot] = true;
    input.byLowerYear = true;
    input.lowerYear = "1950";
    // Copied even though their boxes are clear:
    input.upperYear = "-12";
    input.number = "44";
    input.author = "Az";
    runQuery(*store, input);
    const DocumentRecord &query = store->query();
    // The switches go to authorCount ("Sub1+Sub2"), substanceCount ("Aut"), citationLines ("Y<=") and abstractLines
    // ("Y>=").
    EXPECT_EQ(test::fields(query), "number 0\nnames [Az] [] [] [Ar] [7] [] [] []\nnumbers 0 0 0 0 0 1 0 0 0 0 0"
                                   " 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 0 -12 1950 44 1 0 0 1 0 0\ntexts [] [] [] []");
    EXPECT_EQ(found(*store), std::vector<int>({3}));

    // A number lookup reads nothing else and leaves the rest of the record.
    runQuery(*store, number("2", author("Zz")));
    EXPECT_EQ(store->query().wantedNumber, 2);
    EXPECT_EQ(store->query().authors[0], "Az");
}

// Texts and Cyrillic case: the cases above; the messages: Find.MessagesAndTheBanner.
TEST(Query, OnlyLatinLettersFoldInSubstances)
{
    EXPECT_TRUE(sameSubstance("co2", "CO2"));
    EXPECT_FALSE(sameSubstance("Ar", "Ar "));
    EXPECT_FALSE(sameSubstance("[", "{"));  // only A-Z fold, not their neighbours
}

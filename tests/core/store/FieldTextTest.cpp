#include "core/store/FieldText.h"
#include "TestFiles.h"
#include "core/store/DatabaseLoader.h"

#include <cstring>

using namespace kaldex;

namespace {

// Where a field's bytes are tells its kind: inside the field, in the buffer
// it was given, or in memory of its own.
bool liesInside(const FieldText &field)
{
    const char *self = reinterpret_cast<const char *>(&field);
    return field.data() >= self && field.data() < self + sizeof field;
}

const std::string kLong = "Longer than twelve bytes";

}  // namespace

TEST(FieldText, ShortTextsLieInsideAndLongOnesReferToTheirBuffer)
{
    std::string buffer = "twelve bytes" + kLong;
    FieldText twelve;
    twelve.refer(std::string_view(buffer).substr(0, 12));
    EXPECT_TRUE(liesInside(twelve)) << "twelve bytes fit inside";
    EXPECT_FALSE(twelve.refersInto(buffer.data(), buffer.data() + buffer.size()));

    FieldText referred;
    referred.refer(std::string_view(buffer).substr(12));
    EXPECT_EQ(referred.data(), buffer.data() + 12) << "a longer loaded text is not copied";
    EXPECT_TRUE(referred.refersInto(buffer.data(), buffer.data() + buffer.size()));
    EXPECT_FALSE(referred.refersInto(buffer.data(), buffer.data() + 12)) << "another range";

    FieldText owned(kLong);
    EXPECT_NE(owned.data(), kLong.data()) << "an assigned text is copied";
    EXPECT_FALSE(liesInside(owned));
    EXPECT_EQ(owned, kLong);
}

TEST(FieldText, CopiesAreTheirOwnAndMovesTakeTheBytesAlong)
{
    std::string buffer = kLong;
    FieldText referred;
    referred.refer(buffer);

    FieldText copy(referred);
    EXPECT_NE(copy.data(), buffer.data()) << "a copy never refers";
    FieldText assigned;
    assigned = referred;
    EXPECT_NE(assigned.data(), buffer.data()) << "nor does an assigned copy";

    FieldText moved(std::move(referred));
    EXPECT_EQ(moved.data(), buffer.data()) << "a move keeps the reference";
    EXPECT_TRUE(referred.empty()) << "and leaves the source empty";

    const char *ownBytes = copy.data();
    FieldText movedOwn;
    movedOwn = std::move(copy);
    EXPECT_EQ(movedOwn.data(), ownBytes) << "a move takes owned memory along";
    EXPECT_TRUE(copy.empty());

    buffer.assign(buffer.size(), 'x');
    EXPECT_EQ(assigned, kLong) << "copies outlive the buffer's bytes";
    EXPECT_EQ(movedOwn, kLong);
}

TEST(FieldText, DetachMakesAReferenceItsOwn)
{
    std::string buffer = kLong;
    FieldText field;
    field.refer(buffer);
    field.detach();
    EXPECT_FALSE(field.refersInto(buffer.data(), buffer.data() + buffer.size()));
    buffer.assign(buffer.size(), 'x');
    EXPECT_EQ(field, kLong);

    FieldText inside("short");
    inside.detach();
    EXPECT_EQ(inside, "short");
}

TEST(FieldText, TheStoreKeepsOneBufferAndFreesTheLastOneSafely)
{
    const std::string first = "$\n1\n$\n0\n$\nFirstAuthorSurname@SecondAuthorSurname@@@\n$\n0\n$\n@\n$\n"
                              "A citation longer than the inside\n$\n$\n$\n$@$\n";
    DocumentStore store;
    loadDatabase(store, first);
    const FieldText &author = store.record(1).authors[1];
    EXPECT_FALSE(liesInside(author)) << "a long loaded name refers into the kept buffer";

    // The second load holds one name only; the old second name stays in the
    // slot and must not point into the freed first buffer.
    store.record(1).authors[0] = "OwnStoredAuthorName";
    loadDatabase(store, "$\n1\n$\n0\n$\nX@@@\n$\n0\n$\n@\n$\nc\n$\n$\n$\n$@$\n");
    loadDatabase(store, std::string(4096, '\n'));  // frees the second buffer too
    EXPECT_EQ(store.record(1).authors[1], "SecondAuthorSurname");
    EXPECT_EQ(store.record(1).authors[0], "X") << "a load replaces a stored value";
}

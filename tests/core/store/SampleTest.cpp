#include "TestFiles.h"
#include "core/store/DatabaseLoader.h"
#include "core/store/DatabaseWriter.h"

using namespace kaldex;

namespace {

int filled(const FieldText *names, int count)
{
    int last = 0;
    for (int i = 0; i < count; ++i)
        if (!names[i].empty())
            last = i + 1;
    return last;
}

}  // namespace

// The database a newcomer first sees must be sound in every record.
TEST(SampleDatabase, LoadsWholeAndSavesBackByteForByte)
{
    const std::string bytes = test::readBytes(KALDEX_SAMPLE);
    DocumentStore store;
    loadDatabase(store, bytes);
    ASSERT_GE(store.documentCount, 40);
    EXPECT_EQ(formatDatabase(store), bytes);

    for (int slot = 1; slot <= store.documentCount; ++slot) {
        const DocumentRecord &r = store.record(slot);
        SCOPED_TRACE("document " + std::to_string(slot));
        EXPECT_EQ(r.number, slot);
        // Line counts and name gaps: ToolCheck.SoundFilesPass runs the check over this file.
        EXPECT_EQ(r.authorCount, filled(r.authors.data(), kAuthorCount));
        EXPECT_EQ(r.substanceCount, filled(r.substances.data(), kSubstanceCount));
        EXPECT_GT(r.year, 1900);
    }
}

#include "TestFiles.h"
#include "core/store/DatabaseLocation.h"

#include <unistd.h>

using namespace kaldex;

TEST(DatabaseLocation, FoldersFilesAndLinksLeadToTheRealFile)
{
    test::TempDir dir;
    const std::string shared = dir.file("shared");
    ::mkdir(shared.c_str(), 0755);
    test::writeBytes(shared + "/kaldex.db", "");
    ASSERT_EQ(::symlink((shared + "/kaldex.db").c_str(), dir.file("ba0").c_str()), 0);

    DatabaseLocation location;
    ASSERT_TRUE(locateDatabase(dir.path(), location));
    EXPECT_EQ(location.folder, shared) << "the folder's ba0 is a link: its target's folder";
    EXPECT_EQ(location.name, "kaldex.db");

    ASSERT_TRUE(locateDatabase(shared + "/../shared/kaldex.db", location));
    EXPECT_EQ(location.path(), shared + "/kaldex.db");

    ASSERT_TRUE(locateDatabase(shared + "/new", location));
    EXPECT_EQ(location.path(), shared + "/new") << "a file not there yet";

    char here[4096];
    ASSERT_NE(::getcwd(here, sizeof here), nullptr);
    ASSERT_EQ(::chdir(shared.c_str()), 0);
    const bool found = locateDatabase("", location);
    ASSERT_EQ(::chdir(here), 0);
    ASSERT_TRUE(found);
    EXPECT_EQ(location.path(), shared + "/ba0") << "nothing named: ba0 in the working folder";

    ASSERT_EQ(::symlink("loop", dir.file("loop").c_str()), 0);
    EXPECT_FALSE(locateDatabase(dir.file("loop"), location));
}

// Directory listing through a fixed buffer: more names than one read holds.
#include "directory_entries.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <unistd.h>

namespace {

TEST(DirectoryEntries, EveryNameOnceAcrossManyReads)
{
    char pattern[] = "/tmp/portdump-dir-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string directory = pattern;
    // 200 names of 200 characters: about 44 KiB of records, 11 reads of 4 KiB.
    std::set<std::string> made;
    for (int i = 0; i < 200; ++i) {
        char number[8];
        std::snprintf(number, sizeof number, "%03d", i);
        const std::string name = number + std::string(197, 'n');
        made.insert(name);
        FILE* file = std::fopen((directory + "/" + name).c_str(), "w");
        ASSERT_NE(file, nullptr);
        std::fclose(file);
    }

    std::multiset<std::string> listed;
    DirectoryEntries entries;
    ASSERT_TRUE(OpenDirectoryEntries(entries, directory.c_str()));
    while (const char* name = NextDirectoryEntry(entries)) {
        listed.insert(name);
    }
    CloseDirectoryEntries(entries);
    EXPECT_EQ(listed, std::multiset<std::string>(made.begin(), made.end()));  // no "." or ".."

    for (const std::string& name : made) {
        unlink((directory + "/" + name).c_str());
    }
    rmdir(directory.c_str());
    EXPECT_FALSE(OpenDirectoryEntries(entries, directory.c_str()));
    EXPECT_EQ(NextDirectoryEntry(entries), nullptr);
}

}  // namespace

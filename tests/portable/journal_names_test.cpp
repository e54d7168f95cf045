// The stem of a log's side files: the log's own path while ".jnl.tmp"
// still fits, else a hash of its name, never cut.
#include <gtest/gtest.h>

#include <string>

#include "core/log/journal_names.h"
#include "core/setup_limits.h"

namespace {

std::string Stem(const std::string &folder, const std::string &name,
                 bool hashed, size_t size = PATH_SIZE)
{
    char stem[PATH_SIZE];
    return JoinJournalStem(stem, size, folder.c_str(), name.c_str(), hashed)
               ? stem
               : "<none>";
}

TEST(JournalNames, TheLogsPathServesWhileTheLongestSideNameFits)
{
    EXPECT_EQ("C:\\logs\\a.log", Stem("C:\\logs", "a.log", false));
    EXPECT_EQ("C:\\a.log", Stem("C:\\", "a.log", false));
    // 259 characters in all with ".jnl.tmp": the limit, and one past it.
    std::string folder = "C:\\" + std::string(240, 'f');
    std::string fits(259 - folder.size() - 1 - 8, 'n');
    EXPECT_EQ(folder + "\\" + fits, Stem(folder, fits, false));
    EXPECT_EQ("<none>", Stem(folder, fits + "n", false));
}

TEST(JournalNames, AHashedNameIsShortAndIgnoresLetterCase)
{
    std::string folder = "C:\\" + std::string(230, 'f');
    std::string name(16, 'n');
    std::string hashed = Stem(folder, name, true);
    ASSERT_NE("<none>", hashed);
    EXPECT_EQ(folder.size() + 1 + 8, hashed.size());
    EXPECT_EQ(hashed, Stem(folder, std::string(16, 'N'), true));
    EXPECT_NE(hashed, Stem(folder, std::string(15, 'n'), true));
    // A folder that leaves no room even for eight characters.
    EXPECT_EQ("<none>", Stem("C:\\" + std::string(245, 'f'), name, true));
    EXPECT_EQ("<none>", Stem("", name, true));
    EXPECT_EQ("<none>", Stem("C:\\", "", false));
}

}  // namespace

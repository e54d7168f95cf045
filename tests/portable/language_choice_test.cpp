// The language the dialog preselects and the folder a file entry's folder
// field gives: the portable rules the dialog, the unattended run, the
// install run and the media checker share.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "core/script/folder_field.h"
#include "core/script/language_choice.h"
#include "core/setup_limits.h"
#include "core/text/ascii_case.h"

namespace {

int ByFoldedBytes(const char *a, const char *b)
{
    return CompareAsciiNoCase(a, b);
}

struct ChoiceCase {
    const char *what;
    std::vector<const char *> names;   // file order
    const char *wanted;
    int codePage;
    int expected;
};

TEST(FindDefaultLanguage, FollowsTheSortedListBoxSearch)
{
    const ChoiceCase cases[] = {
        {"exact name", {"\x93\xfa\x96\x7b\x8c\xea", "English"}, "English",
         932, 1},
        {"prefix, any case of the ASCII letters", {"Deutsch", "English"},
         "eng", 1252, 1},
        {"search starts behind the first sorted row",
         {"English (US)", "English"}, "Eng", 1252, 0},
        {"the first sorted row is tried last", {"English"}, "E", 1252, 0},
        {"equal names give the first in file order",
         {"Deutsch", "English", "English"}, "English", 1252, 1},
        {"a folder row matches behind its bracket", {"Deutsch", "[English]"},
         "English", 1252, 1},
        {"a drive row behind its bracket and dash", {"Deutsch", "[-e-]"}, "e",
         1252, 1},
        {"a second byte is not folded", {"\x83\x61", "Deutsch"}, "\x83\x41",
         932, -1},
        {"a longer Default begins no name", {"Eng", "Deutsch"}, "English",
         1252, -1},
        {"an empty Default preselects nothing", {"English"}, "", 1252, -1},
        {"no names", {}, "English", 1252, -1},
    };
    for (const ChoiceCase &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected,
                  FindDefaultLanguage(c.names.data(), (int)c.names.size(),
                                      c.wanted, ByFoldedBytes, c.codePage));
    }
}

bool ExpandStandIns(void *, char *expanded, size_t size, const char *field)
{
    std::string text = field;
    size_t at = text.find("@STARTUPDIR");
    if (at != std::string::npos)
        text.replace(at, strlen("@STARTUPDIR"), "C:\\Startup");
    if (text.size() + 1 > size)
        return false;
    memcpy(expanded, text.c_str(), text.size() + 1);
    return true;
}

std::string Resolve(const char *base, const char *field, bool *ok,
                    size_t size = PATH_SIZE)
{
    std::vector<char> folder(size, 'X');
    *ok = ResolveFolderField(folder.data(), size, base, field,
                             ExpandStandIns, NULL, 1252);
    return *ok ? folder.data() : "";
}

TEST(ResolveFolderField, BaseJoinedOrCompleteFolderOrRefused)
{
    bool ok = false;
    EXPECT_EQ("C:\\App", Resolve("C:\\App", "", &ok));
    EXPECT_TRUE(ok);
    EXPECT_EQ("C:\\App\\Docs@2x", Resolve("C:\\App", "\\Docs@2x", &ok));
    EXPECT_TRUE(ok);
    EXPECT_EQ("C:\\Startup\\x", Resolve("C:\\App", "@STARTUPDIR\\x", &ok));
    EXPECT_TRUE(ok);
    // An expansion that does not fit is refused, never kept unexpanded.
    std::string field = "@STARTUPDIR\\" + std::string(200, 'd');
    std::string fits = "C:\\Startup\\" + std::string(200, 'd');
    EXPECT_EQ(fits, Resolve("C:\\App", field.c_str(), &ok, fits.size() + 1));
    EXPECT_TRUE(ok);
    Resolve("C:\\App", field.c_str(), &ok, fits.size());
    EXPECT_FALSE(ok);
    std::string tooLong = "@STARTUPDIR\\" + std::string(PATH_SIZE - 11, 'd');
    Resolve("C:\\App", tooLong.c_str(), &ok);
    EXPECT_FALSE(ok);
    Resolve(std::string(250, 'b').c_str(), "\\0123456789", &ok);
    EXPECT_FALSE(ok);
}

}  // namespace

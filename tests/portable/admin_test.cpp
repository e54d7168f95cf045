// What deployment tools read: the Windows Installer twins of the exit
// codes, the uninstaller's and setup's switches for them, the quiet
// uninstall command and the free-space sums.
#include <gtest/gtest.h>

#include <string>

#include "core/admin/msi_codes.h"
#include "core/admin/quiet_uninstall.h"
#include "core/admin/space_need.h"
#include "core/exit_codes.h"
#include "core/log/log_reader.h"
#include "core/text/text_split.h"

namespace {

// Every code of both programs as the README's table gives it; a tool
// tells "retry later", "restart", "failed" and "done" apart by these.
TEST(MsiCodes, EveryCodeOfBothPrograms)
{
    const int setup[][2] = {
        {0, 0},     {1, 1619},  {2, 1638},  {3, 1638},  {4, 1618},
        {5, 1603},  {6, 1639},  {7, 1603},  {8, 1618},  {9, 112},
        {10, 1620}, {11, 1602}, {12, 1603}, {13, 1603}, {14, 1603},
        {15, 1620}, {3010, 3010}};
    for (const auto &pair : setup)
        EXPECT_EQ(pair[1], SetupMsiCode(pair[0])) << pair[0];
    const int uninstall[][2] = {{0, 0},    {1, 1602}, {2, 1603},   {4, 1603},
                                {5, 1603}, {8, 1618}, {3010, 3010}};
    for (const auto &pair : uninstall)
        EXPECT_EQ(pair[1], UninstallMsiCode(pair[0])) << pair[0];
    EXPECT_EQ(1603, SetupMsiCode(-1));
    EXPECT_EQ(1603, UninstallMsiCode(3));
}

TEST(MsiCodes, SwitchesOfBothPrograms)
{
    char code[LANGUAGE_CODE_SIZE];
    CommandLineOptions options =
        ParseCommandLine("-s -M -oC:\\r.txt -a a.ini", code, sizeof(code));
    EXPECT_TRUE(options.msiCodes);
    EXPECT_TRUE(options.reportGiven);
    EXPECT_STREQ("C:\\r.txt", options.reportFile);
    EXPECT_FALSE(ParseCommandLine("-mx -s", code, sizeof(code)).msiCodes);
    // A name that runs to the end of a cut command line may be cut.
    std::string cut = "-o" + std::string(COMMAND_LINE_SIZE - 3, 'r');
    EXPECT_TRUE(ParseCommandLine(cut.c_str(), code, sizeof(code)).reportMayBeCut);

    bool silent;
    char log[PATH_SIZE];
    UninstallSwitches switches;
    EXPECT_EQ(1, ParseUninstallCommandLine(
                     "-s -m -o\"C:\\a b\\u.txt\" \"C:\\x y.log\"", &silent,
                     log, sizeof(log), &switches));
    EXPECT_TRUE(silent && switches.msiCodes);
    EXPECT_STREQ("C:\\a b\\u.txt", switches.report);
    EXPECT_STREQ("C:\\x y.log", log);
    // Without a place for them the switches are unknown options.
    EXPECT_EQ(0, ParseUninstallCommandLine("-m C:\\x.log", &silent, log,
                                           sizeof(log)));
    EXPECT_EQ(0, ParseUninstallCommandLine("-o\"C:\\x C:\\x.log", &silent,
                                           log, sizeof(log), &switches));
    std::string fits = "-o" + std::string(PATH_SIZE - 1, 'r') + " C:\\x.log";
    EXPECT_EQ(1, ParseUninstallCommandLine(fits.c_str(), &silent, log,
                                           sizeof(log), &switches));
    EXPECT_FALSE(switches.reportTooLong);
    fits.insert(2, "r");
    EXPECT_EQ(1, ParseUninstallCommandLine(fits.c_str(), &silent, log,
                                           sizeof(log), &switches));
    EXPECT_TRUE(switches.reportTooLong);
    EXPECT_STREQ("", switches.report);
}

TEST(QuietUninstall, UninstallerFoundAndQuoted)
{
    const char log[] = "C:\\windows\\Kit.log";
    const struct {
        const char *command;
        const char *program;
    } cases[] = {
        {"C:\\windows\\un.exe C:\\windows\\Kit.log", "C:\\windows\\un.exe"},
        {"C:\\Program Files\\K\\un.exe c:\\WINDOWS\\kit.log",
         "C:\\Program Files\\K\\un.exe"},
        {"\"C:\\Program Files\\K\\un.exe\" \"C:\\windows\\Kit.log\"",
         "C:\\Program Files\\K\\un.exe"},
        {"C:\\Pro gram\\un.EXE C:\\other.log", "C:\\Pro gram\\un.EXE"},
        {"C:\\un.exe", "C:\\un.exe"},
        // Shift-JIS: "ソ" (0x83 0x5C) before the blank is one character.
        {"C:\\\x83\x5C\\un.exe C:\\windows\\Kit.log", "C:\\\x83\x5C\\un.exe"},
    };
    SetDbcsCodePage(932);
    for (const auto &c : cases) {
        char program[PATH_SIZE];
        EXPECT_TRUE(FindUninstallerPath(c.command, log, program,
                                        sizeof(program)))
            << c.command;
        EXPECT_STREQ(c.program, program);
    }
    SetDbcsCodePage(0);
    char program[PATH_SIZE];
    EXPECT_FALSE(FindUninstallerPath("C:\\a b\\tool C:\\x", log, program,
                                     sizeof(program)));
    EXPECT_FALSE(FindUninstallerPath("\"C:\\a", log, program,
                                     sizeof(program)));

    char quiet[2 * PATH_SIZE + 16];
    EXPECT_TRUE(FormQuietUninstallCommand("C:\\P F\\un.exe", "C:\\a b.log",
                                          quiet, sizeof(quiet)));
    EXPECT_STREQ("\"C:\\P F\\un.exe\" -s \"C:\\a b.log\"", quiet);
    // At the limit and one past.
    std::string name(10, 'n');
    size_t whole = name.size() + 2 + 4 + strlen(log) + 2;
    EXPECT_TRUE(FormQuietUninstallCommand(name.c_str(), log, quiet,
                                          whole + 1));
    EXPECT_FALSE(FormQuietUninstallCommand(name.c_str(), log, quiet, whole));
    EXPECT_STREQ("", quiet);
}

TEST(SpaceNeed, VolumesClustersAndSums)
{
    char root[PATH_SIZE];
    EXPECT_TRUE(FormVolumeRoot("q:\\App\\x.txt", root, sizeof(root)));
    EXPECT_STREQ("q:\\", root);
    EXPECT_TRUE(FormVolumeRoot("\\\\srv\\share\\a\\b", root, sizeof(root)));
    EXPECT_STREQ("\\\\srv\\share\\", root);
    SetDbcsCodePage(932);
    // The share's name ends in a character whose second byte is 0x5C.
    EXPECT_TRUE(FormVolumeRoot("\\\\srv\\\x95\x5C\\a", root, sizeof(root)));
    EXPECT_STREQ("\\\\srv\\\x95\x5C\\", root);
    SetDbcsCodePage(0);
    for (const char *path : {"relative\\x", "C:x", "\\\\srv", "\\\\srv\\s",
                             "\\\\?\\C:\\x", ""})
        EXPECT_FALSE(FormVolumeRoot(path, root, sizeof(root))) << path;
    EXPECT_FALSE(FormVolumeRoot("C:\\x", root, 3));

    EXPECT_EQ(0u, WholeClusters(0, 4096));
    EXPECT_EQ(4096u, WholeClusters(1, 4096));
    EXPECT_EQ(4096u, WholeClusters(4096, 4096));
    EXPECT_EQ(8192u, WholeClusters(4097, 4096));
    EXPECT_EQ(~0ULL, WholeClusters(~0ULL - 1, 4096));

    static SpaceNeeds needs = {};
    VolumeNeed *q = AddVolumeNeed(&needs, "Q:\\", 4096);
    EXPECT_EQ(q, FindVolumeNeed(&needs, "q:\\"));
    AddFileNeed(&needs, q, 4097, 0);
    AddFileNeed(&needs, q, 10, 20000);   // replaced: its backup stays
    AddFileNeed(&needs, q, ~0ULL, 0);
    EXPECT_EQ(~0ULL, q->bytes);
    EXPECT_EQ(20480u, q->largestReplaced);
    EXPECT_EQ(~0ULL, VolumeTotal(q));
    for (int i = needs.count; i < SPACE_VOLUMES_KEPT; i++)
        EXPECT_NE(nullptr, AddVolumeNeed(&needs, "X:\\", 512));
    EXPECT_EQ(nullptr, AddVolumeNeed(&needs, "Y:\\", 512));

    char text[24];
    FormatByteCount(18446744073709551615ULL, text, sizeof(text));
    EXPECT_STREQ("18446744073709551615", text);
    FormatByteCount(0, text, sizeof(text));
    EXPECT_STREQ("0", text);
    FormatByteCount(12345, text, 3);
    EXPECT_STREQ("12", text);
}

}  // namespace

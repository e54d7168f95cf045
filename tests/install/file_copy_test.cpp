// Copying one file section: entries and their folders, progress, the
// uninstall log with its numbering and duplicate rules, attributes, and
// hostile entries. Real files and profile strings; the shell folders come
// from a sandboxed registry.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <ctype.h>
#include <stdlib.h>

#include <string>

#include "common/copy_memory.h"
#include "common/platform.h"
#include "common/setup_state.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "install/file_copy.h"
#include "log/log_files.h"
#include "tests/install/install_media.h"
#include "tests/support/test_support.h"

namespace {

class FileCopy : public testing::Test {
protected:
    void SetUp() override
    {
        progress_ = CreateWindowExA(0, PROGRESS_CLASSA, "", WS_POPUP, 0, 0,
                                    100, 10, NULL, NULL, NULL, NULL);
        label_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 10,
                                 NULL, NULL, NULL, NULL);
    }
    void TearDown() override
    {
        DestroyWindow(progress_);
        DestroyWindow(label_);
    }

    // The script header every test shares, then the given sections.
    void Script(const std::string &sections)
    {
        media_.WriteScript("[UnInstLog]\nUnInstLog=" + media_.logPath() +
                           "\n" + sections);
    }
    void Copy(const char *section, const char *shortcuts = "ShortCut_File",
              const char *startup = "StartUp_File")
    {
        CopySection(g_scriptPath, g_destinationFolder, progress_, label_,
                    g_programGroup, section, shortcuts, startup, g_allUsers,
                    &failures_);
    }
    int Position() { return (int)SendMessageA(progress_, PBM_GETPOS, 0, 0); }
    int RangeMax()
    {
        return (int)SendMessageA(progress_, PBM_GETRANGE, FALSE, 0);
    }
    std::string Label()
    {
        char text[512];
        GetWindowTextA(label_, text, sizeof(text));
        return text;
    }
    std::string Fill(const std::string &text)
    {
        return ::Fill(text, {{"DEST", media_.destination()},
                             {"MEDIA", media_.media()},
                             {"PROGRAMS", media_.programs()},
                             {"STARTUP", media_.startup()}});
    }

    InstallMedia media_;
    HWND progress_ = NULL;
    HWND label_ = NULL;
    CopyFailures failures_ = {};
};

}  // namespace

TEST_F(FileCopy, CopiesEntriesAndRecordsEverythingInTheLog)
{
    media_.WriteSource("a.txt", "A");
    media_.WriteSource("disk1\\b.txt", "B");
    media_.WriteSource("sub\\c.txt", "C");
    Script("[Files_File]\n"
           "file000=a.txt\n"
           "file001=b.txt;\\disk1;\\bin\n"
           "file002=sub\\c.txt\n"
           "[ShortCut_File]\n"
           "Icon000=Tool;a.txt\n"
           "Icon001=Help;b.txt;@LANGDIR\n"
           "[StartUp_File]\n"
           "Icon000=Agent;a.txt\n");
    Copy("Files_File");

    EXPECT_EQ("A", ReadFileBytes(media_.Dest("a.txt")));
    EXPECT_EQ("B", ReadFileBytes(media_.Dest("bin\\b.txt")));
    EXPECT_EQ("C", ReadFileBytes(media_.Dest("sub\\c.txt")));
    EXPECT_EQ(0, failures_.count);
    EXPECT_EQ(3, Position());
    EXPECT_EQ(3, RangeMax());
    EXPECT_EQ("sub\\c.txt", Label());

    // A file name with a subfolder gets that folder created and listed.
    EXPECT_EQ(Fill("[Paths_File]\r\n"
                   "PATH00={DEST}\r\n"
                   "PATH01={DEST}\\bin\r\n"
                   "PATH02={DEST}\\sub\r\n"
                   "PATH03={PROGRAMS}\\Kit\r\n"
                   "[UNINSTALL_Files_File]\r\n"
                   "PATH={DEST}\r\n"
                   "[Files_File]\r\n"
                   "FILE00={DEST}\\a.txt\r\n"
                   "FILE01={DEST}\\bin\\b.txt\r\n"
                   "FILE02={DEST}\\sub\\c.txt\r\n"
                   "FILE03={PROGRAMS}\\Kit\\Tool.lnk\r\n"
                   "FILE04={PROGRAMS}\\Kit\\Help.lnk\r\n"
                   "FILE05={STARTUP}\\Agent.lnk\r\n"),
              media_.Log());
}

TEST_F(FileCopy, SectionFilesLimitsTheEntriesAndAGapEndsTheCount)
{
    for (const char *name : {"0", "1", "2", "3", "4"})
        media_.WriteSource(std::string(name) + ".txt", name);
    Script("[Files_DLL]\nSectionFiles=3\n"
           "file000=0.txt\nfile001=1.txt\nfile002=2.txt\nfile003=3.txt\n"
           "file004=4.txt\n"
           "[Files_File]\nfile001=1.txt\n");
    Copy("Files_DLL", "ShortCut_Common", "StartUp_DLL");
    EXPECT_TRUE(FileExists(media_.Dest("2.txt")));
    EXPECT_FALSE(FileExists(media_.Dest("3.txt")));
    EXPECT_EQ("<missing>", media_.LogValue("Files_DLL", "FILE03"));

    // file001 without file000: no entries, but the section still records
    // its destination and the group folder.
    Copy("Files_File");
    EXPECT_EQ(Fill("{DEST}"), media_.LogValue("UNINSTALL_Files_File", "PATH"));
    EXPECT_EQ(Fill("{DEST}"), media_.LogValue("Paths_File", "PATH00"));
    EXPECT_EQ(Fill("{PROGRAMS}\\Kit"),
              media_.LogValue("Paths_File", "PATH01"));
    EXPECT_EQ("<missing>", media_.LogValue("Files_File", "FILE00"));
    EXPECT_EQ(0, RangeMax());
}

TEST_F(FileCopy, RerunAddsNothingButALetterCaseDifferenceCounts)
{
    media_.WriteSource("a.txt", "A");
    Script("[Files_File]\nfile000=a.txt\n[ShortCut_File]\nIcon000=Tool;a.txt\n");
    Copy("Files_File");
    std::string first = media_.Log();
    Copy("Files_File");
    EXPECT_EQ(first, media_.Log());

    g_programGroup[0] = 'k';   // "kit": another folder as far as the log goes
    Copy("Files_File");
    EXPECT_EQ(Fill("{PROGRAMS}\\kit\\Tool.lnk"),
              media_.LogValue("Files_File", "FILE02"));
    EXPECT_EQ(Fill("{PROGRAMS}\\kit"), media_.LogValue("Paths_File", "PATH02"));
}

TEST_F(FileCopy, NumberingGoesOnPastNinetyNine)
{
    std::string sections = "[Files_File]\n";
    for (int i = 0; i < 101; i++) {
        std::string name = "f" + std::to_string(i) + ".txt";
        media_.WriteSource(name, name);
        char key[16];
        snprintf(key, sizeof(key), "file%03d", i);
        sections += std::string(key) + "=" + name + "\n";
    }
    Script(sections);
    Copy("Files_File", "None", NULL);
    EXPECT_EQ(Fill("{DEST}\\f99.txt"), media_.LogValue("Files_File", "FILE99"));
    EXPECT_EQ(Fill("{DEST}\\f100.txt"),
              media_.LogValue("Files_File", "FILE100"));
    EXPECT_EQ(101, Position());
}

TEST_F(FileCopy, ProgressStartsBehindCountStart)
{
    media_.WriteSource("a.txt", "A");
    Script("[Files_File]\nTotalFiles=30\nCountStart=10\nfile000=a.txt\n");
    Copy("Files_File");
    EXPECT_EQ(30, RangeMax());
    EXPECT_EQ(11, Position());

    // The range is two 16-bit fields: 65537 is taken as 1.
    Script("[Files_File]\nTotalFiles=65537\nfile000=a.txt\n");
    Copy("Files_File");
    EXPECT_EQ(1, RangeMax());
}

TEST_F(FileCopy, ExistingFileIsReplacedAndFailedCopiesAreCounted)
{
    media_.WriteSource("a.txt", "new");
    media_.WriteSource("taken", "new");
    MakeFolders(media_.Dest("taken"));   // a folder where the file goes
    WriteFileBytes(media_.Dest("a.txt"), "old");
    SetFileAttributesA(media_.Dest("a.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    Script("[Files_File]\nfile000=a.txt\nfile001=missing.txt\n"
           "file002=taken\n");
    Copy("Files_File");
    EXPECT_EQ("new", ReadFileBytes(media_.Dest("a.txt")));
    EXPECT_EQ(0u, GetFileAttributesA(media_.Dest("a.txt").c_str()) &
                      (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(2, failures_.count);
    EXPECT_EQ(media_.Dest("missing.txt"), failures_.firstFile);
    // As designed, every entry is still listed in the log.
    EXPECT_EQ(media_.Dest("missing.txt"),
              media_.LogValue("Files_File", "FILE01"));
    EXPECT_EQ(media_.Dest("taken"), media_.LogValue("Files_File", "FILE02"));
}

// The copy reads and writes a buffer at a time: a file of exactly one
// buffer and one of a byte more arrive whole; a read-only source from the
// media arrives writable, with the source's time.
TEST_F(FileCopy, FilesAtTheCopyBufferLimitArriveWholeWritableAndDated)
{
    std::string exact(COPY_BUFFER_SIZE, 'x');
    exact[COPY_BUFFER_SIZE - 1] = 'e';
    std::string past = exact + "p";
    media_.WriteSource("exact.bin", exact);
    media_.WriteSource("past.bin", past);
    std::string source = media_.media() + "\\exact.bin";
    FILETIME written = {0x12345000u, 0x01B00000u};
    HANDLE file = CreateFileA(source.c_str(), GENERIC_WRITE, 0, NULL,
                              OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    SetFileTime(file, NULL, NULL, &written);
    CloseHandle(file);
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY);
    Script("[Files_File]\nfile000=exact.bin\nfile001=past.bin\n");
    Copy("Files_File");
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_NORMAL);

    EXPECT_EQ(0, failures_.count);
    EXPECT_TRUE(ReadFileBytes(media_.Dest("exact.bin")) == exact);
    EXPECT_TRUE(ReadFileBytes(media_.Dest("past.bin")) == past);
    WIN32_FILE_ATTRIBUTE_DATA installed;
    ASSERT_TRUE(GetFileAttributesExA(media_.Dest("exact.bin").c_str(),
                                     GetFileExInfoStandard, &installed));
    EXPECT_EQ(0u, installed.dwFileAttributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(written.dwLowDateTime, installed.ftLastWriteTime.dwLowDateTime);
    EXPECT_EQ(written.dwHighDateTime, installed.ftLastWriteTime.dwHighDateTime);
}

TEST_F(FileCopy, FolderMacrosInSourceAndDestinationFields)
{
    media_.WriteSource("jpn\\lang.txt", "L");
    media_.WriteSource("s.txt", "S");
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof(windows));
    std::string unique = "setup_macro_" + std::to_string(GetCurrentProcessId());
    Script("[Files_File]\n"
           "file000=lang.txt;\\@LANGDIR;\\@LANGDIR\n"
           "file001=s.txt;\\;@STARTUPDIR\n"
           "file002=s.txt;\\;@WINDOWSDIR\\" + unique + "\n");
    Copy("Files_File");
    EXPECT_EQ("L", ReadFileBytes(media_.Dest("jpn\\lang.txt")));
    EXPECT_EQ("S", ReadFileBytes(media_.startup() + "\\s.txt"));
    std::string windowsCopy = std::string(windows) + "\\" + unique;
    EXPECT_EQ("S", ReadFileBytes(windowsCopy + "\\s.txt"));
    EXPECT_EQ(Fill("{DEST}\\jpn"), media_.LogValue("Paths_File", "PATH01"));
    EXPECT_EQ(Fill("{STARTUP}"), media_.LogValue("Paths_File", "PATH02"));
    EXPECT_EQ(windowsCopy, media_.LogValue("Paths_File", "PATH03"));
    RemoveTree(windowsCopy);
}

TEST_F(FileCopy, SetSectionAttributesTouchesOnlyTheEntriesFiles)
{
    media_.WriteSource("a.txt", "A");
    Script("[Files_Common]\nfile000=a.txt;\\;\\common\n");
    Copy("Files_Common", "ShortCut_Common", "StartUp_Common");
    std::string logBefore = media_.Log();
    SetSectionAttributes(g_scriptPath, g_destinationFolder, "Files_Common",
                         FILE_ATTRIBUTE_READONLY, g_allUsers);
    EXPECT_EQ((DWORD)FILE_ATTRIBUTE_READONLY,
              GetFileAttributesA(media_.Dest("common\\a.txt").c_str()) &
                  FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(logBefore, media_.Log());
    SetSectionAttributes(g_scriptPath, g_destinationFolder, "Files_Common",
                         FILE_ATTRIBUTE_NORMAL, g_allUsers);
    EXPECT_EQ(0u, GetFileAttributesA(media_.Dest("common\\a.txt").c_str()) &
                      FILE_ATTRIBUTE_READONLY);
}

TEST_F(FileCopy, OverlongEntriesAreSkippedAndCounted)
{
    media_.WriteSource("a.txt", "A");
    std::string longName(300, 'n');
    std::string longFolder(250, 'd');
    std::string longTitle(300, 't');
    // The Startup folder and 200 characters more do not fit a path: the
    // macro must not stay unexpanded (a folder "@STARTUPDIR\..." below the
    // current one).
    std::string pastStartup = "@STARTUPDIR\\" + std::string(200, 's');
    Script("[Files_File]\n"
           "file000=" + longName + "\n"
           "file001=a.txt;;\\" + longFolder + "\n"
           "file002=a.txt\n"
           "file003=a.txt;;" + pastStartup + "\n"
           "[ShortCut_File]\n"
           "Icon000=" + longTitle + ";a.txt\n"
           "Icon001=;;;\n"
           "Icon002=Tool;a.txt\n");
    Copy("Files_File");
    EXPECT_EQ(3, failures_.count);
    EXPECT_EQ(4, Position());
    EXPECT_EQ("A", ReadFileBytes(media_.Dest("a.txt")));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA("@STARTUPDIR"));
    // Only what exists whole is listed: no cut file name, no folder as a
    // file, no shortcut without a title.
    EXPECT_EQ(Fill("[Paths_File]\r\n"
                   "PATH00={DEST}\r\n"
                   "PATH01={PROGRAMS}\\Kit\r\n"
                   "[UNINSTALL_Files_File]\r\n"
                   "PATH={DEST}\r\n"
                   "[Files_File]\r\n"
                   "FILE00={DEST}\\a.txt\r\n"
                   "FILE01={PROGRAMS}\\Kit\\Tool.lnk\r\n"),
              media_.Log());
}

// The log lists the link the shortcut rule makes: one that fills its path
// whole, none for a title one character longer (never a cut name).
TEST_F(FileCopy, ShortcutLinkAtItsLimitIsListedAndOnePastIsNot)
{
    media_.WriteSource("a.txt", "A");
    std::string folder = media_.programs() + "\\Kit";
    std::string title(PATH_SIZE - 1 - folder.size() - 1 - 4, 't');
    Script("[Files_File]\nfile000=a.txt\n"
           "[ShortCut_File]\n"
           "Icon000=" + title + ";a.txt\n"
           "Icon001=" + title + "u;a.txt\n");
    Copy("Files_File");
    std::string log = media_.Log();
    EXPECT_NE(std::string::npos, log.find(folder + "\\" + title + ".lnk\r\n"))
        << log;
    EXPECT_EQ(std::string::npos, log.find(title + "u")) << log;
}

TEST_F(FileCopy, SectionFilesAboveTheEntriesPresentCopiesNoFolder)
{
    media_.WriteSource("a.txt", "A");
    Script("[Files_File]\nSectionFiles=4\nfile000=a.txt\nfile002=;;\n");
    Copy("Files_File", "None", NULL);
    EXPECT_EQ(0, failures_.count);
    EXPECT_EQ(4, Position());
    EXPECT_EQ(media_.Dest("a.txt"), media_.LogValue("Files_File", "FILE00"));
    EXPECT_EQ("<missing>", media_.LogValue("Files_File", "FILE01"));
}

TEST_F(FileCopy, NoLogNamedStillCopies)
{
    media_.WriteSource("a.txt", "A");
    media_.WriteScript("[Files_File]\nfile000=a.txt\n");
    Copy("Files_File");
    EXPECT_EQ("A", ReadFileBytes(media_.Dest("a.txt")));
    EXPECT_EQ("<missing>", media_.Log());
}

TEST_F(FileCopy, ALogPathThatFillsItsBufferIsKept)
{
    // 259 characters name the log; 260 would be cut, so they keep none.
    std::string folder = media_.media() + "\\logs";
    CreateDirectoryA(folder.c_str(), NULL);
    std::string fits = folder + "\\" +
                       std::string(PATH_SIZE - 1 - folder.size() - 1, 'l');
    media_.WriteSource("a.txt", "A");
    for (const std::string &log : {fits, fits + "l"}) {
        SCOPED_TRACE(log.size());
        media_.WriteScript("[UnInstLog]\nUnInstLog=" + log +
                           "\n[Files_File]\nfile000=a.txt\n");
        char read[PATH_SIZE];
        EXPECT_EQ(log == fits ? 1 : 0,
                  ReadUninstallLogPath(g_scriptPath, read, sizeof(read)));
        EXPECT_EQ(log == fits ? log : "", std::string(read));
        Copy("Files_File", "None", NULL);
    }
    char logged[PATH_SIZE];
    GetPrivateProfileStringA("Files_File", "FILE00", "", logged,
                             sizeof(logged), fits.c_str());
    EXPECT_EQ(media_.Dest("a.txt"), std::string(logged));
}

TEST_F(FileCopy, FailedShellFolderLookupRecordsNoShortcut)
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft");
    media_.WriteSource("a.txt", "A");
    Script("[Files_File]\nfile000=a.txt\n[ShortCut_File]\nIcon000=T;a.txt\n"
           "[StartUp_File]\nIcon000=S;a.txt\n");
    Copy("Files_File");
    EXPECT_EQ(Fill("[Paths_File]\r\n"
                   "PATH00={DEST}\r\n"
                   "[UNINSTALL_Files_File]\r\n"
                   "PATH={DEST}\r\n"
                   "[Files_File]\r\n"
                   "FILE00={DEST}\\a.txt\r\n"),
              media_.Log());
}

TEST_F(FileCopy, ShiftJisNamesWithBackslashTrailBytes)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the Shift-JIS code page";
    // "ソフト\表示.txt": both first characters end in the byte 0x5C.
    const std::string so = "\x83\x5C\x83\x74\x83\x67";
    const std::string hyo = "\x95\x5C\x8E\xA6.txt";
    media_.WriteSource(so + "\\" + hyo, "J");
    CopyText(g_destinationFolder, sizeof(g_destinationFolder),
             (media_.destination() + "\\" + so).c_str());
    Script("[Files_File]\nfile000=" + hyo + ";\\" + so + ";\\" + so + "\n"
           "[ShortCut_File]\nIcon000=" + hyo + ";" + hyo + "\n");
    Copy("Files_File");
    std::string target = media_.destination() + "\\" + so + "\\" + so;
    EXPECT_EQ("J", ReadFileBytes(target + "\\" + hyo));
    EXPECT_EQ(0, failures_.count);
    EXPECT_EQ(target, media_.LogValue("Paths_File", "PATH01"));
    EXPECT_EQ(target + "\\" + hyo, media_.LogValue("Files_File", "FILE00"));
    EXPECT_EQ(hyo, Label());
}

namespace {

// A table that can never be had: the lists are read back from the file and
// written key by key, the reference for what the kept tables must write.
void *NoTable(void *, size_t)
{
    return NULL;
}

// Memory that runs out after g_growthsLeft allocations: what was kept goes
// on key by key from there.
int g_growthsLeft = 0;
void *GrowWhileAllowed(void *block, size_t size)
{
    return g_growthsLeft-- > 0 ? realloc(block, size) : NULL;
}

class LogTables : public FileCopy {
protected:
    // The log the sections leave, written to a log of its own for the
    // given allocator.
    std::string LogOf(void *(*reallocate)(void *, size_t),
                      const std::string &logName, const std::string &sections)
    {
        std::string log = media_.media() + "\\" + logName;
        media_.WriteScript("[UnInstLog]\nUnInstLog=" + log + "\n" + sections);
        SetCopyMemoryAllocator(reallocate);
        Copy("Files_Common", "ShortCut_Common", "StartUp_Common");
        Copy("Files_File");
        SetCopyMemoryAllocator(NULL);
        return ReadFileBytes(log);
    }
    // Returns the reference log. With trimBlanks the logs are compared
    // as the profile service reads them back, without blanks ending a
    // value: a key-by-key write leaves them in the file until the next
    // write reloads it, so the bytes depend on what is written later.
    std::string ExpectSameLogAsKeyByKey(const std::string &sections,
                                        bool trimBlanks = false)
    {
        std::string reference = LogOf(NoTable, "keyed.ini", sections);
        if (trimBlanks)
            reference = TrimBlanks(reference);
        std::string kept = LogOf(NULL, "kept.ini", sections);
        EXPECT_EQ(reference, trimBlanks ? TrimBlanks(kept) : kept);
        // Memory running out at the second, fifth or seventh allocation:
        // in the middle of the first section, of the second, of a table.
        for (int growths : {1, 4, 6}) {
            g_growthsLeft = growths;
            std::string cut = LogOf(GrowWhileAllowed,
                                    "cut" + std::to_string(growths) + ".ini",
                                    sections);
            EXPECT_EQ(reference, trimBlanks ? TrimBlanks(cut) : cut)
                << growths;
        }
        return reference;
    }
    static std::string TrimBlanks(std::string text)
    {
        size_t blank;
        while ((blank = text.find(" \r\n")) != std::string::npos)
            text.erase(blank, 1);
        return text;
    }
};

// Entries of a file section: every third in one of four subfolders, every
// tenth a second time; the names padded to padding characters. The
// sources need not exist: a failed copy is logged all the same.
std::string Entries(const char *section, int count, size_t padding = 0)
{
    std::string text = std::string("[") + section + "]\n";
    for (int i = 0; i < count; i++) {
        char key[16];
        snprintf(key, sizeof(key), "file%03d", i);
        int file = i % 10 == 9 ? i - 1 : i;
        std::string name = "f" + std::to_string(file);
        name += std::string(padding > name.size() ? padding - name.size() : 0,
                            'p');
        if (file % 3 == 0)
            name = "sub" + std::to_string(file % 4) + "\\" + name;
        text += std::string(key) + "=" + name + ".txt\n";
    }
    return text;
}

}  // namespace

TEST_F(LogTables, ManyEntriesAcrossBatchesAndSections)
{
    std::string log = ExpectSameLogAsKeyByKey(
        Entries("Files_Common", 20) + Entries("Files_File", 150) +
        "[ShortCut_Common]\nIcon000=Tool;f1.txt\n"
        "[ShortCut_File]\nIcon000=Help;f2.txt\nIcon001=Tool;f1.txt\n"
        "[StartUp_File]\nIcon000=Agent;f1.txt\n");
    EXPECT_EQ(150, Position());
    EXPECT_EQ("f148.txt", Label());
    // 135 files once each and three shortcut files.
    EXPECT_NE(std::string::npos,
              log.find(Fill("FILE137={STARTUP}\\Agent.lnk\r\n")));
    EXPECT_EQ(std::string::npos, log.find("FILE138"));
}

TEST_F(LogTables, EntriesThatOnlyAKeyReadReadsFaithfully)
{
    // Each of these makes the section be read key by key: a value in
    // quotes, one too long for the entry buffer (a key read cuts it), a key
    // without a value. Keys in another letter case or written twice read
    // the same either way.
    std::string overlong = "o" + std::string(FILE_ENTRY_SIZE + 10, 'x');
    for (const std::string &odd :
         {std::string("file001=\"q.txt\"\n"), "file001=" + overlong + "\n",
          std::string("file001\n")}) {
        SCOPED_TRACE(odd);
        std::string log = ExpectSameLogAsKeyByKey(
            "[Files_File]\nFILE000=a.txt\nfile002=c.txt\n" + odd +
            "file002=dup.txt\nfile003=d.txt\n");
        EXPECT_NE(std::string::npos, log.find("a.txt"));
        EXPECT_EQ(std::string::npos, log.find("dup.txt"));
    }
}

TEST_F(LogTables, ASectionBeyondOneSectionWriteGoesOnKeyByKey)
{
    // 300 paths of over 200 characters: more than one section write takes.
    ExpectSameLogAsKeyByKey(Entries("Files_File", 300, 200));
}

TEST_F(LogTables, ValuesThatReadBackChangedAndShiftJis)
{
    if (GetACP() != 932)
        GTEST_SKIP() << "needs the Shift-JIS code page";
    // A group name ending in a blank names a folder that the profile
    // service reads back without it; Shift-JIS names with 0x5C trail bytes
    // go through the ANSI code page.
    CopyText(g_programGroup, sizeof(g_programGroup), "Kit ");
    ExpectSameLogAsKeyByKey(
        "[Files_File]\nfile000=\x83\x5C.txt\nfile001=\x95\x5C\\a.txt\n"
        "file002=\x83\x5C.txt\nfile003=b.txt\n"
        "[ShortCut_File]\nIcon000=\x95\x5C;a.txt\n",
        true);
}

TEST_F(LogTables, Windows9xLimitsOnSectionReadsAndWrites)
{
    // Windows 9x reads and writes less than 32 KB of a section at once:
    // this script section and log section are bigger than that and
    // smaller than the limits elsewhere.
    OverridePlatformVersion(0x80000000u);
    ExpectSameLogAsKeyByKey(Entries("Files_File", 200, 200));
    OverridePlatformVersion(0);
}

TEST_F(LogTables, AScriptThatIsItsOwnLogIsReadAndWrittenKeyByKey)
{
    // The log named by another spelling of the script's own path: past
    // FILE99 the log keys are the entry keys themselves.
    std::string script = media_.scriptPath();
    std::string alias = script;
    for (char &c : alias)
        c = (char)toupper((unsigned char)c);
    std::string text =
        "[UnInstLog]\nUnInstLog=" + alias + "\n" + Entries("Files_File", 120);
    std::string results[2];
    for (int run = 0; run < 2; run++) {
        media_.WriteScript(text);
        SetCopyMemoryAllocator(run == 0 ? NoTable : NULL);
        Copy("Files_File", "None", NULL);
        SetCopyMemoryAllocator(NULL);
        results[run] = ReadFileBytes(script);
    }
    EXPECT_EQ(results[0], results[1]);
    // FILE100 onward took the place of file100 onward, as the key names
    // are the same to the profile service.
    EXPECT_NE(std::string::npos, results[1].find("FILE99="));
    EXPECT_NE(std::string::npos, results[1].find(
                                     "file107=" + media_.Dest("f118.txt")));
}

TEST_F(FileCopy, AnExistingSectionKeepsWhatItHolds)
{
    // The section is there under another letter case, with a comment: the
    // new entries go behind its own, and nothing of it is lost.
    WriteFileBytes(media_.logPath(),
                   "[files_file]\r\n; kept\r\nFILE00=old\r\n");
    Script("[Files_File]\nfile000=a.txt\nfile001=b.txt\n");
    Copy("Files_File", "None", NULL);
    std::string log = media_.Log();
    EXPECT_NE(std::string::npos, log.find("; kept"));
    EXPECT_EQ("old", media_.LogValue("Files_File", "FILE00"));
    EXPECT_EQ(media_.Dest("a.txt"), media_.LogValue("Files_File", "FILE01"));
    EXPECT_EQ(media_.Dest("b.txt"), media_.LogValue("Files_File", "FILE02"));
}

TEST_F(FileCopy, EveryFolderAnEntryCreatesIsLoggedParentsFirst)
{
    media_.WriteSource("s\\a\\b\\c.txt", "C");
    media_.WriteSource("s\\d.txt", "D");
    Script("[Files_File]\n"
           "file000=a\\b\\c.txt;\\s\n"
           "file001=d.txt;\\s;\\x\\y\n"
           "file002=a\\b\\c.txt;\\s;\\x\n"
           "file003=d.txt;\\s;\\z\\..\\w\n");
    Copy("Files_File", "None", NULL);
    EXPECT_EQ("C", ReadFileBytes(media_.Dest("x\\a\\b\\c.txt")));
    EXPECT_EQ(Fill("[Paths_File]\r\n"
                   "PATH00={DEST}\r\n"
                   "PATH01={DEST}\\a\r\n"
                   "PATH02={DEST}\\a\\b\r\n"
                   "PATH03={DEST}\\x\r\n"
                   "PATH04={DEST}\\x\\y\r\n"
                   "PATH05={DEST}\\x\\a\r\n"
                   "PATH06={DEST}\\x\\a\\b\r\n"
                   "PATH07={PROGRAMS}\\Kit\r\n"),
              media_.Log().substr(0, media_.Log().find("[UNINSTALL")));
    // A folder field with ".." fails the target judgement before the
    // first change: nothing of it is made or logged.
    EXPECT_FALSE(FileExists(media_.Dest("z")));
    EXPECT_FALSE(FileExists(media_.Dest("w")));
}

TEST_F(FileCopy, KeysNumberedFarPastTheFirstGapAreKeptAsTheyAre)
{
    // Left by hand or by many installations: numbers far beyond what the
    // section scan tracks, behind a gap at 01. New entries fill from 01.
    const char *high = "FILE4160=h1\r\nFILE40959=h2\r\nfile4096=h3\r\n";
    WriteFileBytes(media_.logPath(),
                   std::string("[Files_File]\r\nFILE00=old\r\n") + high +
                       "[Paths_File]\r\nPATH00=p\r\nPATH5000=q\r\n"
                       "PATH40959=r\r\n");
    media_.WriteSource("a.txt", "A");
    Script("[Files_File]\nfile000=a.txt\nfile001=b.txt\n");
    Copy("Files_File", "None", NULL);
    EXPECT_EQ("A", ReadFileBytes(media_.Dest("a.txt")));
    EXPECT_EQ(media_.Dest("a.txt"), media_.LogValue("Files_File", "FILE01"));
    EXPECT_EQ(media_.Dest("b.txt"), media_.LogValue("Files_File", "FILE02"));
    EXPECT_EQ("h2", media_.LogValue("Files_File", "FILE40959"));
    EXPECT_EQ(media_.destination(), media_.LogValue("Paths_File", "PATH01"));
    EXPECT_EQ("q", media_.LogValue("Paths_File", "PATH5000"));
    EXPECT_NE(std::string::npos, media_.Log().find(high));
}

TEST(FindLoggedValue, StopsAtTheFirstEmptyKey)
{
    ScratchDir dir;
    std::string log = dir.Join("log.ini");
    WriteFileBytes(log, "[S]\nFILE00=a\nFILE01=b\nFILE03=d\nPATH00=b\n");
    EXPECT_EQ(1, FindLoggedValue("b", log.c_str(), "S", LOG_FILES));
    EXPECT_EQ(0, FindLoggedValue("b", log.c_str(), "S", LOG_PATHS));
    EXPECT_EQ(-1, FindLoggedValue("d", log.c_str(), "S", LOG_FILES));
    EXPECT_EQ(-1, FindLoggedValue("B", log.c_str(), "S", LOG_FILES));
    EXPECT_EQ(-1, FindLoggedValue("a", log.c_str(), "T", LOG_FILES));
    WritePrivateProfileStringA(NULL, NULL, NULL, log.c_str());
}

TEST(FindLoggedValue, ReadsKeysAsTheProfileServiceDoes)
{
    ScratchDir dir;
    std::string log = dir.Join("log.ini");
    // Any letter case of a key, quotes around a value, a key written twice
    // (the first counts) and keys that only look numbered.
    WriteFileBytes(log, "[S]\nfile00=a\nFILE01=\"q\"\nFILE00=dup\n"
                        "FILE002=x\nFILE2=y\nFILE02=c\n");
    EXPECT_EQ(0, FindLoggedValue("a", log.c_str(), "S", LOG_FILES));
    EXPECT_EQ(1, FindLoggedValue("q", log.c_str(), "S", LOG_FILES));
    EXPECT_EQ(-1, FindLoggedValue("dup", log.c_str(), "S", LOG_FILES));
    EXPECT_EQ(-1, FindLoggedValue("x", log.c_str(), "S", LOG_FILES));
    EXPECT_EQ(-1, FindLoggedValue("y", log.c_str(), "S", LOG_FILES));
    EXPECT_EQ(2, FindLoggedValue("c", log.c_str(), "S", LOG_FILES));
    WritePrivateProfileStringA(NULL, NULL, NULL, log.c_str());
}

// setup.exe -s started as a process, the way a deployment tool starts it:
// each exit code with the lines of its report, and never a window. Only
// two cases install; the refusals end before the first file.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "core/setup_limits.h"
#include "tests/hostile/hostile_support.h"
#include "tests/support/test_support.h"
#include "transaction/run_lock.h"

namespace {

const char kKeyName[] = "UnattendedAgent";
const char kGroup[] = "Unattended Kit";
const char kFileAgentKey[] = "Software\\Veltrane\\CaptureKit\\FileAgent";
const char kBrandedKey[] = "Software\\Vorstmark\\CaptureKit\\FileAgent";
const std::string kSo = "\x83\x5C";   // "ソ": lead byte, then 0x5C
const std::string kHyo = "\x95\x5C";  // "表"

class Unattended : public testing::Test {
protected:
    void SetUp() override
    {
        DisableCrashDialog();
        CleanInstallRegistry({kKeyName});
        RemoveGroupFolder(kGroup);
        media_ = scratch_.Join("media");
        report_ = scratch_.Join("report.txt");
        MakeFolders(media_ + "\\eng");
        WriteProgramAndProduct(media_);
        WriteFileBytes(media_ + "\\language.ini", BaseLanguageList().Text());
        WriteFileBytes(media_ + "\\eng\\message.ini", BaseCatalog().Text());
        script_ = BaseScript(scratch_.Join("uninst.ini"), kKeyName);
        WriteScript();
    }
    void TearDown() override
    {
        CleanInstallRegistry({kKeyName});
        RemoveGroupFolder(kGroup);
    }

    void WriteScript()
    {
        WriteFileBytes(media_ + "\\eng\\copy_ns.ini", script_.Text());
    }
    // answers.ini beside setup.exe, always asking for the report; mark:
    // saved by an editor that puts a UTF-8 byte-order mark first.
    void WriteAnswers(Ini answers, bool mark = false)
    {
        answers.Set("Setup", "Report", report_);
        WriteFileBytes(media_ + "\\answers.ini",
                       (mark ? "\xEF\xBB\xBF" : "") + answers.Text());
    }

    // The exit code; a window of the process fails the test.
    int Run(const std::string &arguments = "-s -aanswers.ini")
    {
        SCOPED_TRACE(arguments);
        SetupProcess setup;
        if (!setup.Start(media_, arguments))
            return -3;
        // Looked for until the process ends (one look takes 50 ms).
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, setup.id());
        HWND window = NULL;
        for (DWORD start = GetTickCount();
             window == NULL && GetTickCount() - start < 120000 &&
             WaitForSingleObject(process, 0) == WAIT_TIMEOUT;)
            window = WaitForWindow(setup, [](HWND) { return true; }, 0);
        CloseHandle(process);
        EXPECT_TRUE(window == NULL) << "a window of class " << ClassOf(window);
        return setup.WaitForExit(1000);
    }
    static std::string ClassOf(HWND window)
    {
        char name[64] = "";
        GetClassNameA(window, name, sizeof(name));
        return name;
    }

    // The report's lines, and whether it holds one that begins with text.
    std::vector<std::string> Report() const
    {
        std::string text = ReadFileBytes(report_);
        std::vector<std::string> lines;
        size_t start = 0;
        for (size_t end; (end = text.find("\r\n", start)) != std::string::npos;
             start = end + 2)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }
    bool Reported(const std::string &text) const
    {
        for (const std::string &line : Report())
            if (line.compare(0, text.size(), text) == 0)
                return true;
        return false;
    }
    std::string LastLine() const
    {
        std::vector<std::string> lines = Report();
        return lines.empty() ? "<no report>" : lines.back();
    }

    ScratchDir scratch_;
    std::string media_;
    std::string report_;
    Ini script_;
};

// The clean install, from answers saved with a byte-order mark, shares its
// installation with refusal 3.
TEST_F(Unattended, CleanInstallFromAnswersThenRefusedAsInstalled)
{
    // Blanks always; under code page 932 also characters whose second
    // byte is a backslash, which no command line could carry.
    std::string destination = scratch_.Join("Dest Folder\\Agent");
    if (GetACP() == 932)
        destination = scratch_.Join("Dest " + kSo + kHyo + "\\Agent " + kHyo);
    WriteAnswers(Ini().Set("Setup", "Destination", destination)
                     .Set("Setup", "Group", kGroup),
                 true);

    EXPECT_EQ(0, Run());
    std::vector<std::string> lines = Report();
    ASSERT_GE(lines.size(), 3u);
    // No Language answer and no -l: the list's Default, English.
    EXPECT_EQ("start: version 1.2.0, language eng, destination " +
                  destination + ", group " + kGroup,
              lines[0]);
    EXPECT_TRUE(Reported("flags: install common files 1, all users "));
    EXPECT_TRUE(Reported("copied: " + destination + "\\readme.txt"));
    EXPECT_TRUE(Reported("section Files_File: 2 copied, 0 not copied"));
    // The shortcut file, made without Program Manager, into the group.
    EXPECT_TRUE(Reported("shortcut: " + ProgramsFolder() + "\\" + kGroup +
                         "\\Hostile Agent.lnk"));
    EXPECT_TRUE(Reported(std::string("registry: HKEY_LOCAL_MACHINE\\") +
                         kFileAgentKey + " \"InstallPath\" written"));
    EXPECT_EQ("result: installed (exit code 0)", lines.back());
    EXPECT_EQ("readme.txt", ReadFileBytes(destination + "\\readme.txt"));
    EXPECT_EQ(destination,
              ReadRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "InstallPath"));

    EXPECT_EQ(3, Run());
    EXPECT_EQ("result: refused, this product is already installed (exit "
              "code 3)",
              LastLine());
}

TEST_F(Unattended, CopyAndShortcutFailuresAreNamedAndEndWithFive)
{
    std::string destination = scratch_.Join("Dest");
    script_.Set("Files_File", "file002", "missing.txt;\\product\\app")
        .Set("ShortCut_File", "Icon001", "Bad \"quote;agent.exe");
    WriteScript();
    WriteAnswers(Ini().Set("Setup", "Destination", destination)
                     .Set("Setup", "Group", kGroup)
                     .Set("Setup", "OnError", "Continue"));
    EXPECT_EQ(5, Run());
    EXPECT_TRUE(Reported("not copied: " + destination + "\\missing.txt from " +
                         media_ + "\\product\\app\\missing.txt (error 2: "));
    EXPECT_TRUE(Reported("section Files_File: 2 copied, 1 not copied"));
    EXPECT_TRUE(Reported("shortcut not made: Bad \"quote (no Program Manager "
                         "command can carry it)"));
    EXPECT_EQ("result: installed, but some files or shortcuts were not made "
              "(exit code 5)",
              LastLine());
}

TEST_F(Unattended, RefusalsEndBeforeAnyFile)
{
    std::string destination = scratch_.Join("Dest");
    WriteAnswers(Ini().Set("Setup", "Destination", destination));
    WriteRegString(HKEY_LOCAL_MACHINE, kBrandedKey, "Version", "1.0");
    EXPECT_EQ(2, Run());
    EXPECT_EQ("result: refused, the maker's branded edition is installed "
              "(exit code 2)",
              LastLine());
    CleanInstallRegistry({kKeyName});

    // A window whose class begins with the catalog's [WINDOW] WINNAME_F.
    WNDCLASSA utilityClass = {};
    utilityClass.lpfnWndProc = DefWindowProcA;
    utilityClass.lpszClassName = "HostileTestUtilityWindow";
    RegisterClassA(&utilityClass);
    HWND utility = CreateWindowA(utilityClass.lpszClassName, "", 0, 0, 0, 10,
                                 10, NULL, NULL, NULL, NULL);
    EXPECT_EQ(4, Run());
    DestroyWindow(utility);
    EXPECT_EQ("result: refused, the file utility is running (exit code 4)",
              LastLine());
    EXPECT_EQ(2u, Report().size());  // the start and the result

    // The machine-wide run lock, held as another setup holds it.
    HANDLE mutex = CreateMutexA(
        NULL, TRUE, (std::string("Global\\") + kRunLockName).c_str());
    EXPECT_EQ(8, Run());
    CloseHandle(mutex);
    EXPECT_EQ("result: not started, another installation is running; "
              "nothing was changed, try again later (exit code 8)",
              LastLine());

    WriteAnswers(Ini().Set("Setup", "Language", "fra"));
    EXPECT_EQ(1, Run());
    EXPECT_TRUE(Reported("no install script: " + media_ +
                         "\\fra\\copy_ns.ini"));
    EXPECT_FALSE(FileExists(destination));
}

// Without a Language answer the language is chosen as at an interactive
// start; a language without an install script then ends the run with 1,
// and the report names the script looked for.
TEST_F(Unattended, LanguageChosenAsTheDialogWouldChooseIt)
{
    WriteAnswers(Ini());
    struct Case {
        const char *list;       // language.ini, or NULL for none
        const char *arguments;
        const char *script;     // below the media folder
    } cases[] = {
        // The list box sorts the names; the search for "Eng" starts
        // behind the first entry, so "English (UK)" is found first.
        {"Lang00=English;eng\r\nLang01=English (UK);enu\r\nDefault=Eng\r\n",
         "-s -aanswers.ini", "enu\\copy_ns.ini"},
        {"Lang00=Other;oth\r\nLang01=English;eng\r\nDefault=None\r\n",
         "-s -aanswers.ini", "oth\\copy_ns.ini"},
        {"Lang00=Other;oth\r\n", "-s -lxyz -aanswers.ini", "xyz\\copy_ns.ini"},
        {NULL, "-s -aanswers.ini", "copy_ns.ini"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.script);
        DeleteFileA((media_ + "\\language.ini").c_str());
        if (c.list != NULL)
            WriteFileBytes(media_ + "\\language.ini",
                           std::string("[Language]\r\n") + c.list);
        EXPECT_EQ(1, Run(c.arguments));
        EXPECT_TRUE(Reported("no install script: " + media_ + "\\" + c.script));
    }
}

TEST_F(Unattended, InvalidDestinationsEndWithSix)
{
    for (const std::string &destination :
         {std::string("C:relative"), std::string("C:\\a*b"),
          std::string("\\\\server\\share\\x"),
          "C:\\" + std::string(PATH_SIZE - 3, 'd')}) {
        SCOPED_TRACE(destination.substr(0, 40));
        WriteAnswers(Ini().Set("Setup", "Destination", destination));
        EXPECT_EQ(6, Run());
        EXPECT_EQ("result: refused, the destination folder is not valid "
                  "(exit code 6)",
                  LastLine());
    }
    EXPECT_EQ("<missing>",
              ReadRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "InstallPath"));
}

// Answers that fit their buffers are used whole (the branded key then
// refuses before anything is made); one character more and the answer
// file cannot be used, so no report is begun.
TEST_F(Unattended, AnswersAtTheLimitAndOnePast)
{
    std::string destination = "C:\\" + std::string(PATH_SIZE - 4, 'd');
    std::string group(GROUP_NAME_SIZE - 1, 'g');
    std::string language(LANGUAGE_CODE_SIZE - 1, 'l');
    WriteRegString(HKEY_LOCAL_MACHINE, kBrandedKey, "Version", "1.0");
    WriteAnswers(Ini().Set("Setup", "Destination", destination)
                     .Set("Setup", "Group", group));
    EXPECT_EQ(2, Run());
    EXPECT_TRUE(Reported("start: version 1.2.0, language eng, destination " +
                         destination + ", group " + group));
    WriteAnswers(Ini().Set("Setup", "Language", language));
    EXPECT_EQ(1, Run());
    EXPECT_TRUE(Reported("no install script: " + media_ + "\\" + language));

    for (const Ini &answers :
         {Ini().Set("Setup", "Group", group + "g"),
          Ini().Set("Setup", "Language", language + "l")}) {
        DeleteFileA(report_.c_str());
        WriteAnswers(answers);
        EXPECT_EQ(1, Run());
        EXPECT_FALSE(FileExists(report_));
    }

    // The whole file is read into ANSWER_FILE_SIZE bytes: one that fills
    // them is used, one byte more is unreadable.
    std::string text = Ini().Set("Setup", "Report", report_).Text();
    text += ";" + std::string(ANSWER_FILE_SIZE - text.size() - 3, 'x') + "\r\n";
    for (const std::string &more : {std::string(), std::string(" ")}) {
        DeleteFileA(report_.c_str());
        WriteFileBytes(media_ + "\\answers.ini", text + more);
        EXPECT_EQ(more.empty() ? 2 : 1, Run()) << more.size();
    }
}

TEST_F(Unattended, MissingGarbageAndForeignAnswerFiles)
{
    WriteFileBytes(media_ + "\\garbage.ini", Garbage(4000, 7));
    WriteFileBytes(media_ + "\\other.ini", "[Other]\r\nDestination=C:\\x\r\n");
    for (const char *arguments : {"-s -anothere.ini", "-s -a",
                                  "-s -agarbage.ini", "-s -aother.ini"})
        EXPECT_EQ(1, Run(arguments)) << arguments;
    EXPECT_EQ("<missing>",
              ReadRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "InstallPath"));
}

// A report that cannot be written stops nothing: the run still reaches
// its checks, and the branded key refuses with 2.
TEST_F(Unattended, UnwritableReportStopsNothing)
{
    WriteRegString(HKEY_LOCAL_MACHINE, kBrandedKey, "Version", "1.0");
    for (const std::string &report :
         {scratch_.Join("no such folder\\r.txt"), LongText(PATH_SIZE)}) {
        WriteFileBytes(media_ + "\\answers.ini",
                       Ini().Set("Setup", "Report", report).Text());
        EXPECT_EQ(2, Run());
    }
}

// What the drive Q: lets this user write, in bytes.
unsigned long long FreeOnQ()
{
    ULARGE_INTEGER available, total, free;
    if (!GetDiskFreeSpaceExA("Q:\\", &available, &total, &free))
        return 0;
    return available.QuadPart;
}

// Grows or shrinks a file of real bytes (a hole would take no space) until
// Q: has exactly wanted bytes free.
void FillQTo(unsigned long long wanted)
{
    const std::string filler = "Q:\\filler.bin";
    unsigned long long size = ReadFileBytes(filler).size() + FreeOnQ();
    DeleteFileA(filler.c_str());
    if (size > wanted)
        WriteFileBytes(filler, std::string((size_t)(size - wanted), 'f'));
}

// The number in a report line "space: Q:\ needs N bytes, ...".
unsigned long long NeedReported(const std::vector<std::string> &lines)
{
    const std::string head = "space: Q:\\ needs ";
    for (const std::string &line : lines)
        if (line.compare(0, head.size(), head) == 0)
            return strtoull(line.c_str() + head.size(), NULL, 10);
    return 0;
}

// The free-space check on a real small volume (the 256 KiB tmpfs mapped as
// Q:): with exactly the space the run needs it installs. One byte more in
// a file, which then takes another cluster, is refused with 9 (Windows
// Installer's 112 with Codes=msi or -m) before anything is changed.
TEST_F(Unattended, SpaceCheckAtExactlyEnoughAndOneByteShort)
{
    if (GetDriveTypeA("Q:\\") == DRIVE_NO_ROOT_DIR)
        GTEST_SKIP() << "the small drive Q: is not mapped";
    RemoveTree("Q:\\App");
    const std::string big = media_ + "\\product\\app\\big.bin";
    script_.Set("Files_File", "file000", "big.bin;\\product\\app")
        .Set("ShortCut_File", "Icon000", "");
    WriteScript();
    WriteFileBytes(big, std::string(8192, 'b'));
    WriteAnswers(Ini().Set("Setup", "Destination", "Q:\\App"));

    FillQTo(0);
    EXPECT_EQ(9, Run());
    unsigned long long need = NeedReported(Report());
    ASSERT_GT(need, 8192u) << LastLine();
    EXPECT_EQ(0u, need % 4096) << "whole clusters";

    FillQTo(need);
    WriteFileBytes(big, std::string(8193, 'b'));
    for (const char *arguments : {"-s -aanswers.ini", "-s -m -aanswers.ini"}) {
        EXPECT_EQ(arguments[4] == 'm' ? 112 : 9, Run(arguments));
        EXPECT_TRUE(Reported("not enough space on Q:\\: " +
                             std::to_string(need + 4096) + " bytes needed, " +
                             std::to_string(need) + " bytes free"));
    }
    EXPECT_EQ("result: refused, not enough space, nothing changed (exit code "
              "9, returned as Windows Installer's 112)",
              LastLine());
    EXPECT_FALSE(FileExists("Q:\\App"));
    EXPECT_FALSE(FileExists(scratch_.Join("uninst.ini")));
    EXPECT_EQ(need, FreeOnQ());

    WriteFileBytes(big, std::string(8192, 'b'));
    EXPECT_EQ(0, Run());
    EXPECT_EQ(std::string(8192, 'b'), ReadFileBytes("Q:\\App\\big.bin"));
    RemoveTree("Q:\\App");
    DeleteFileA("Q:\\filler.bin");
}

// Codes=msi gives the Windows Installer twins; another value is an
// unreadable answer file, told in the report that -o names.
TEST_F(Unattended, InstallerCodesFromTheAnswerFile)
{
    WriteRegString(HKEY_LOCAL_MACHINE, kBrandedKey, "Version", "1.0");
    WriteAnswers(Ini().Set("Setup", "Codes", "MSI"));
    EXPECT_EQ(1638, Run());
    EXPECT_EQ("result: refused, the maker's branded edition is installed "
              "(exit code 2, returned as Windows Installer's 1638)",
              LastLine());
    WriteAnswers(Ini().Set("Setup", "Codes", "setup"));
    EXPECT_EQ(2, Run());
    WriteAnswers(Ini().Set("Setup", "Codes", "msiexec"));
    std::string output = scratch_.Join("o.txt");
    EXPECT_EQ(1, Run("-s -aanswers.ini -o" + output));
    EXPECT_EQ(1619, Run("-s -m -aanswers.ini -o" + output));
    EXPECT_EQ("result: not started, the answer file cannot be used (exit "
              "code 1, returned as Windows Installer's 1619)\r\n",
              ReadFileBytes(output));
}

}  // namespace

// A byte flipped on the medium never reaches the disk: the run is rolled
// back (exit code 10) naming the file, and -v finds it without installing
// (exit code 15). A hostile list is never trusted; media without a list
// install as before.
TEST_F(Unattended, ChecksumListGuardsEveryCopyAndTheMediaCheck)
{
    std::string destination = scratch_.Join("Dest");
    WriteAnswers(Ini().Set("Setup", "Destination", destination)
                     .Set("Setup", "Group", kGroup));
    EXPECT_EQ(15, Run("-v -aanswers.ini"));
    EXPECT_TRUE(Reported("no checksum list: " + media_ + "\\MEDIA.SUM"));

    std::string list = MediaSumList(
        media_, {"product\\app\\agent.exe", "product\\app\\shared.dll",
                 "product\\app\\common.txt", "product\\app\\readme.txt"});
    WriteFileBytes(media_ + "\\MEDIA.SUM", list);
    EXPECT_EQ(0, Run("-v -aanswers.ini"));
    EXPECT_EQ("result: the media are whole (exit code 0)", LastLine());

    WriteFileBytes(media_ + "\\product\\app\\readme.txt", "readme.tx+");
    EXPECT_EQ(15, Run("-v -aanswers.ini"));
    EXPECT_TRUE(Reported("damaged: product\\app\\readme.txt (its SHA-256 "
                         "differs from the checksum list)"));
    EXPECT_TRUE(Reported("checked: 4 files of the checksum list, 1 damaged"));

    EXPECT_EQ(10, Run());
    EXPECT_TRUE(Reported("damaged on the medium: " + media_ +
                         "\\product\\app\\readme.txt (its SHA-256 differs"));
    EXPECT_TRUE(Reported("not copied: " + destination + "\\readme.txt from " +
                         media_ + "\\product\\app\\readme.txt (error "));
    EXPECT_EQ("result: failed, a file is damaged on the medium; the machine "
              "is as it was (exit code 10)",
              LastLine());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
              GetFileAttributesA((destination + "\\readme.txt").c_str()));
    EXPECT_EQ("<missing>", ReadRegString(HKEY_LOCAL_MACHINE, kFileAgentKey,
                                         "InstallPath"));

    // A list pointing out of the media is refused whole: nothing copied.
    std::string hostile = list;
    hostile.replace(hostile.find(",product\\app\\readme.txt"), 23,
                    ",..\\..\\readme.txt");
    WriteFileBytes(media_ + "\\MEDIA.SUM", hostile);
    EXPECT_EQ(15, Run("-v -aanswers.ini"));
    EXPECT_TRUE(Reported("checksum list refused: " + media_ +
                         "\\MEDIA.SUM line 7: a path that names no file"));
    EXPECT_EQ(10, Run());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES,
              GetFileAttributesA((destination + "\\agent.exe").c_str()));

    DeleteFileA((media_ + "\\MEDIA.SUM").c_str());
    EXPECT_EQ(0, Run());
    EXPECT_EQ("readme.tx+", ReadFileBytes(destination + "\\readme.txt"));
}

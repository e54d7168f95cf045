// setup.exe -s started as a process, the way a deployment tool starts it:
// each exit code with the lines of its report, and never a window. Only
// the clean install and the copy failure install anything; the refusals
// end before the first file.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/setup_limits.h"
#include "tests/hostile/hostile_support.h"
#include "tests/support/test_support.h"

namespace {

const char kKeyName[] = "UnattendedAgent";
const char kGroup[] = "Unattended Kit";
const char kFileAgentKey[] = "Software\\Veltrane\\CaptureKit\\FileAgent";
const char kBrandedKey[] = "Software\\Vorstmark\\CaptureKit\\FileAgent";
// "ソ" and "表": lead byte, then 0x5C.
const std::string kSo = "\x83\x5C";
const std::string kHyo = "\x95\x5C";

struct RunResult {
    int exitCode = -2;
    std::vector<std::string> windows;  // class names of windows it showed
};

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size())
        lines.push_back(text.substr(start) + "<no line end>");
    return lines;
}

std::string Joined(const std::vector<std::string> &lines)
{
    std::string text;
    for (const std::string &line : lines)
        text += "  " + line + "\n";
    return text;
}

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
    // answers.ini beside setup.exe, with the report always asked for.
    void WriteAnswers(Ini answers)
    {
        answers.Set("Setup", "Report", report_);
        WriteFileBytes(media_ + "\\answers.ini", answers.Text());
    }

    // Runs setup.exe with the arguments; any window it shows is noted.
    RunResult Run(const std::string &arguments = "-s -aanswers.ini")
    {
        SCOPED_TRACE(arguments);
        RunResult result;
        SetupProcess setup;
        if (!setup.Start(media_, arguments)) {
            ADD_FAILURE() << "setup.exe did not start";
            return result;
        }
        HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, setup.id());
        DWORD start = GetTickCount();
        while (WaitForSingleObject(process, 50) == WAIT_TIMEOUT &&
               GetTickCount() - start < 120000) {
            HWND window = WaitForWindow(setup, [](HWND) { return true; }, 1);
            if (window != NULL) {
                char name[64] = "";
                GetClassNameA(window, name, sizeof(name));
                result.windows.push_back(name);
                break;
            }
        }
        CloseHandle(process);
        result.exitCode = setup.WaitForExit(1000);
        EXPECT_EQ(0u, result.windows.size()) << result.windows[0];
        return result;
    }

    std::vector<std::string> Report() const
    {
        return Lines(ReadFileBytes(report_));
    }

    ScratchDir scratch_;
    std::string media_;
    std::string report_;
    Ini script_;
};

bool Has(const std::vector<std::string> &lines, const std::string &line)
{
    for (const std::string &each : lines)
        if (each == line)
            return true;
    return false;
}

// The result line is the last one.
void ExpectResult(const std::vector<std::string> &lines,
                  const std::string &result)
{
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(result, lines.back()) << Joined(lines);
}

TEST_F(Unattended, CleanInstallFromAnswersThenRefusedAsInstalled)
{
    // Spaces always; under code page 932 also characters whose second
    // byte is a backslash, which no command line could carry.
    std::string folder = "Dest Folder";
    if (GetACP() == 932)
        folder += " " + kSo + kHyo;
    std::string destination = scratch_.Join(folder + "\\Agent " + kHyo);
    if (GetACP() != 932)
        destination = scratch_.Join(folder + "\\Agent");
    // Wine's Program Manager converts commands with the code page of its
    // own process and refuses an item path in Shift-JIS: the shortcut
    // points outside the destination, so the run can end with 0.
    if (GetACP() == 932) {
        script_.Set("ShortCut_File", "Icon000",
                    "Hostile Agent;notepad.exe;@WINDOWSDIR");
        WriteScript();
    }
    WriteAnswers(Ini()
                     .Set("Setup", "Destination", destination)
                     .Set("Setup", "Group", kGroup));

    RunResult run = Run();
    EXPECT_EQ(0, run.exitCode);
    std::vector<std::string> lines = Report();
    SCOPED_TRACE(Joined(lines));
    ASSERT_GE(lines.size(), 3u);
    // No Language answer and no -l: the list's Default, English.
    EXPECT_EQ("start: version 1.2.0, language eng, destination " +
                  destination + ", group " + kGroup,
              lines[0]);
    EXPECT_EQ(0u, lines[1].find("flags: install common files 1, all users "))
        << lines[1];
    EXPECT_TRUE(Has(lines, "copied: " + destination + "\\agent.exe"));
    EXPECT_TRUE(Has(lines, "copied: " + destination + "\\readme.txt"));
    EXPECT_TRUE(Has(lines, "section Files_File: 2 copied, 0 not copied"));
    EXPECT_TRUE(Has(lines, "section Files_DLL: 1 copied, 0 not copied"));
    EXPECT_TRUE(Has(lines, std::string("registry: HKEY_LOCAL_MACHINE\\") +
                               kFileAgentKey + " \"InstallPath\" written"));
    EXPECT_TRUE(Has(lines,
                    "registry: HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\"
                    "Windows\\CurrentVersion\\Uninstall\\UnattendedAgent "
                    "\"DisplayName, UninstallString, DisplayIcon\" written"));
    ExpectResult(lines, "result: installed (exit code 0)");

    EXPECT_EQ("readme.txt", ReadFileBytes(destination + "\\readme.txt"));
    EXPECT_EQ(destination,
              ReadRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "InstallPath"));
    std::vector<std::string> logged =
        SectionValues(scratch_.Join("uninst.ini"), "Files_File", "FILE");
    EXPECT_TRUE(std::find(logged.begin(), logged.end(),
                          destination + "\\agent.exe") != logged.end());

    // The same media once more: this product is now installed.
    run = Run();
    EXPECT_EQ(3, run.exitCode);
    lines = Report();
    ExpectResult(lines, "result: refused, this product is already installed "
                        "(exit code 3)");
}

TEST_F(Unattended, CopyFailureIsNamedAndEndsWithFive)
{
    std::string destination = scratch_.Join("Dest");
    script_.Set("Files_File", "file002", "missing.txt;\\product\\app");
    WriteScript();
    WriteAnswers(Ini().Set("Setup", "Destination", destination)
                     .Set("Setup", "Group", kGroup));
    EXPECT_EQ(5, Run().exitCode);
    std::vector<std::string> lines = Report();
    SCOPED_TRACE(Joined(lines));
    EXPECT_TRUE(Has(lines, "section Files_File: 2 copied, 1 not copied"));
    bool named = false;
    for (const std::string &line : lines)
        named |= line.find("not copied: " + destination +
                           "\\missing.txt (error 2: ") == 0;
    EXPECT_TRUE(named);
    ExpectResult(lines, "result: installed, but some files or shortcuts "
                        "were not made (exit code 5)");
    EXPECT_TRUE(FileExists(destination + "\\agent.exe"));
}

TEST_F(Unattended, RefusalsEndBeforeAnyFile)
{
    std::string destination = scratch_.Join("Dest");
    WriteAnswers(Ini().Set("Setup", "Destination", destination));
    {
        SCOPED_TRACE("branded edition");
        WriteRegString(HKEY_LOCAL_MACHINE, kBrandedKey, "Version", "1.0");
        EXPECT_EQ(2, Run().exitCode);
        ExpectResult(Report(), "result: refused, the maker's branded edition "
                               "is installed (exit code 2)");
        CleanInstallRegistry({kKeyName});
    }
    {
        SCOPED_TRACE("file utility running");
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(NULL);
        windowClass.lpszClassName = "HostileTestUtilityWindow";
        RegisterClassA(&windowClass);
        HWND utility = CreateWindowA("HostileTestUtilityWindow", "", 0, 0, 0,
                                     10, 10, NULL, NULL,
                                     GetModuleHandleA(NULL), NULL);
        ASSERT_TRUE(utility != NULL);
        int code = Run().exitCode;
        DestroyWindow(utility);
        EXPECT_EQ(4, code);
        std::vector<std::string> lines = Report();
        ExpectResult(lines, "result: refused, the file utility is running "
                            "(exit code 4)");
        EXPECT_EQ(2u, lines.size()) << Joined(lines);  // start and result
    }
    {
        SCOPED_TRACE("another setup running");
        HANDLE mutex = CreateMutexA(NULL, TRUE, "Tovrin");
        int code = Run().exitCode;
        CloseHandle(mutex);
        EXPECT_EQ(1, code);
        ExpectResult(Report(), "result: not started, another setup is "
                               "running (exit code 1)");
    }
    {
        SCOPED_TRACE("no install script for the language");
        WriteAnswers(Ini().Set("Setup", "Language", "fra"));
        EXPECT_EQ(1, Run().exitCode);
        std::vector<std::string> lines = Report();
        EXPECT_TRUE(Has(lines, "no install script: " + media_ +
                                   "\\fra\\copy_ns.ini"))
            << Joined(lines);
        ExpectResult(lines, "result: not started, no install script for the "
                            "language (exit code 1)");
    }
    EXPECT_FALSE(FileExists(destination));
}

TEST_F(Unattended, InvalidDestinationsEndWithSix)
{
    for (const std::string &destination :
         {std::string("C:relative"), std::string("C:\\a*b"),
          std::string("\\\\server\\share\\x"),
          "C:\\" + std::string(PATH_SIZE - 3, 'd')}) {
        SCOPED_TRACE(destination.substr(0, 40));
        WriteAnswers(Ini().Set("Setup", "Destination", destination));
        EXPECT_EQ(6, Run().exitCode);
        ExpectResult(Report(), "result: refused, the destination folder is "
                               "not valid (exit code 6)");
    }
    EXPECT_EQ("<missing>",
              ReadRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "InstallPath"));
}

// Values that fit their buffers are used whole: a destination of 259
// characters and a group of 259 reach the start line (the branded key
// then ends the run before anything is made); one more gives 6 and 1.
TEST_F(Unattended, AnswersAtTheLimitAndOnePast)
{
    std::string destination = "C:\\" + std::string(PATH_SIZE - 4, 'd');
    std::string group(PATH_SIZE - 1, 'g');
    WriteRegString(HKEY_LOCAL_MACHINE, kBrandedKey, "Version", "1.0");
    WriteAnswers(Ini()
                     .Set("Setup", "Destination", destination)
                     .Set("Setup", "Group", group));
    EXPECT_EQ(2, Run().exitCode);
    std::vector<std::string> lines = Report();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ("start: version 1.2.0, language eng, destination " +
                  destination + ", group " + group,
              lines[0]);

    std::string language(LANGUAGE_CODE_SIZE - 1, 'l');
    WriteAnswers(Ini().Set("Setup", "Language", language));
    EXPECT_EQ(1, Run().exitCode);
    lines = Report();
    EXPECT_TRUE(Has(lines, "no install script: " + media_ + "\\" + language +
                               "\\copy_ns.ini"))
        << Joined(lines);

    // One past: the answer file cannot be used, and no report is begun.
    DeleteFileA(report_.c_str());
    WriteAnswers(Ini().Set("Setup", "Group", group + "g"));
    EXPECT_EQ(1, Run().exitCode);
    EXPECT_FALSE(FileExists(report_));
}

TEST_F(Unattended, MissingGarbageAndOverlongAnswerFiles)
{
    EXPECT_EQ(1, Run("-s -anothere.ini").exitCode);
    EXPECT_EQ(1, Run("-s -a").exitCode);
    WriteFileBytes(media_ + "\\garbage.ini", Garbage(4000, 7));
    EXPECT_EQ(1, Run("-s -agarbage.ini").exitCode);
    // An INI file without a [Setup] section is no answer file either.
    WriteFileBytes(media_ + "\\other.ini", "[Other]\r\nDestination=C:\\x\r\n");
    EXPECT_EQ(1, Run("-s -aother.ini").exitCode);
    WriteAnswers(
        Ini().Set("Setup", "Language", std::string(LANGUAGE_CODE_SIZE, 'l')));
    EXPECT_EQ(1, Run().exitCode);
    // Nothing was installed, and no report could be named.
    EXPECT_FALSE(FileExists(report_)) << ReadFileBytes(report_);
    EXPECT_EQ("<missing>",
              ReadRegString(HKEY_LOCAL_MACHINE, kFileAgentKey, "InstallPath"));
}

// A report that cannot be written stops nothing: the run still reaches
// its checks (here the branded key refuses with 2).
TEST_F(Unattended, UnwritableReportStopsNothing)
{
    WriteRegString(HKEY_LOCAL_MACHINE, kBrandedKey, "Version", "1.0");
    WriteFileBytes(media_ + "\\answers.ini",
                   Ini().Set("Setup", "Report",
                             scratch_.Join("no such folder\\r.txt"))
                       .Text());
    EXPECT_EQ(2, Run().exitCode);
    WriteFileBytes(media_ + "\\answers.ini",
                   Ini().Set("Setup", "Report", LongText(PATH_SIZE)).Text());
    EXPECT_EQ(2, Run().exitCode);
}

}  // namespace

// Start-up configuration against real files beside the test program: the
// program directory is where the running module lies, so the language list
// and catalogs are written there and removed afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <string>

#include "core/setup_limits.h"
#include "common/setup_state.h"
#include "resources/resource.h"
#include "startup/startup_config.h"
#include "tests/support/test_support.h"

namespace {

// Answers the language dialog when it is activated: selects the named
// entry (when given) and sends the command.
class LanguageDialogAnswer {
public:
    LanguageDialogAnswer(int command, const char *select)
        : command_(command), select_(select)
    {
        active_ = this;
        hook_ = SetWindowsHookExA(WH_CBT, Hook, NULL, GetCurrentThreadId());
    }
    ~LanguageDialogAnswer()
    {
        UnhookWindowsHookEx(hook_);
        active_ = NULL;
    }
    int shown = 0;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        HWND window = (HWND)wParam;
        if (code == HCBT_ACTIVATE && active_ != NULL &&
            GetDlgItem(window, IDC_LANGUAGE_LIST) != NULL &&
            GetPropA(window, "answered") == NULL) {
            SetPropA(window, "answered", (HANDLE)1);
            active_->shown++;
            // Activation may come before the dialog has filled its list, so
            // the answer is given from the dialog's own modal loop.
            SetTimer(window, 1, 10, Answer);
        }
        return CallNextHookEx(NULL, code, wParam, lParam);
    }

    static void CALLBACK Answer(HWND window, UINT, UINT_PTR id, DWORD)
    {
        KillTimer(window, id);
        if (active_ == NULL)
            return;
        HWND list = GetDlgItem(window, IDC_LANGUAGE_LIST);
        if (active_->select_ != NULL) {
            LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, (WPARAM)-1,
                                         (LPARAM)active_->select_);
            SendMessageA(list, LB_SETCURSEL, (WPARAM)index, 0);
        }
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(active_->command_, 0), 0);
    }

    static LanguageDialogAnswer *active_;
    HHOOK hook_;
    int command_;
    const char *select_;
};

LanguageDialogAnswer *LanguageDialogAnswer::active_;

class StartupConfig : public testing::Test {
protected:
    void SetUp() override
    {
        char dir[PATH_SIZE];
        GetProgramDirectory(dir, sizeof(dir));
        dir_ = dir;
        Clean();
        ForgetQuit();
    }
    void TearDown() override
    {
        Clean();
        ForgetQuit();
    }

    void Clean()
    {
        DeleteFileA((dir_ + "\\language.ini").c_str());
        DeleteFileA((dir_ + "\\message.ini").c_str());
        RemoveTree(dir_ + "\\eng");
        RemoveTree(dir_ + "\\jpn");
    }

    void WriteCatalog(const std::string &language, const std::string &title)
    {
        std::string folder = dir_;
        if (!language.empty()) {
            folder += "\\" + language;
            CreateDirectoryA(folder.c_str(), NULL);
        }
        WriteFileBytes(folder + "\\message.ini",
                       "[TITLE]\r\nTOVRIN=" + title + "\r\nCOMPANY=Maker " +
                           language + "\r\n");
    }

    void Run(const char *commandLine)
    {
        char copy[COMMAND_LINE_SIZE];
        strncpy(copy, commandLine, sizeof(copy) - 1);
        copy[sizeof(copy) - 1] = '\0';
        EXPECT_EQ(1, ReadStartupConfig(NULL, copy));
    }

    std::string dir_;
};

}  // namespace

TEST(GetProgramDirectory, StripsTheFileNameAndNeverOverruns)
{
    char path[PATH_SIZE];
    GetModuleFileNameA(NULL, path, sizeof(path));
    char dir[PATH_SIZE];
    EXPECT_EQ(1, GetProgramDirectory(dir, sizeof(dir)));
    std::string expected(path);
    expected.resize(expected.rfind('\\'));
    EXPECT_EQ(expected, dir);

    char tiny[8 + 8];
    memset(tiny, '#', sizeof(tiny));
    GetProgramDirectory(tiny, 8);
    EXPECT_LT(strlen(tiny), 8u);
    for (size_t i = 8; i < sizeof(tiny); i++)
        EXPECT_EQ('#', tiny[i]);
}

TEST_F(StartupConfig, LanguageFromTheCommandLineSkipsTheList)
{
    WriteFileBytes(dir_ + "\\language.ini", "[Language]\r\nLang00=Japanese;jpn\r\n");
    WriteCatalog("eng", "English Title");
    LanguageDialogAnswer answer(IDOK, NULL);
    Run("-leng nolic");
    EXPECT_EQ(0, answer.shown);
    EXPECT_STREQ("eng", g_languageCode);
    EXPECT_EQ(1, g_noLicense);
    EXPECT_EQ(dir_, g_programDirectory);
    EXPECT_EQ(dir_ + "\\eng\\message.ini", g_catalogPath);
    EXPECT_EQ(dir_ + "\\eng\\license.txt", g_licensePath);
    EXPECT_STREQ("English Title", g_titleText);
    EXPECT_STREQ("Maker eng", g_companyText);
}

TEST_F(StartupConfig, NoListMeansTheProgramDirectoryItself)
{
    WriteCatalog("", "Plain");
    Run("");
    EXPECT_STREQ("", g_languageCode);
    EXPECT_EQ(0, g_noLicense);
    EXPECT_EQ(dir_ + "\\message.ini", g_catalogPath);
    EXPECT_STREQ("Plain", g_titleText);

    Run("-l");  // a lone -l is an empty code as well
    EXPECT_EQ(dir_ + "\\message.ini", g_catalogPath);
}

TEST_F(StartupConfig, TheDialogChoosesWhenTheListExists)
{
    WriteFileBytes(dir_ + "\\language.ini",
                   "[Language]\r\nLang00=Japanese;jpn\r\nLang01=English;eng\r\n"
                   "Default=Japanese\r\n");
    WriteCatalog("eng", "From English");
    LanguageDialogAnswer answer(IDOK, "English");
    Run("NoLicense");
    EXPECT_EQ(1, answer.shown);
    EXPECT_STREQ("eng", g_languageCode);
    EXPECT_STREQ("From English", g_titleText);
    EXPECT_FALSE(QuitWasPosted());
}

TEST_F(StartupConfig, CancelInTheDialogStillCompletesWithTheFirstCode)
{
    WriteFileBytes(dir_ + "\\language.ini",
                   "[Language]\r\nLang00=English;eng\r\nLang01=Japanese;jpn\r\n");
    WriteCatalog("eng", "First");
    LanguageDialogAnswer answer(IDCANCEL, NULL);
    Run("");
    EXPECT_EQ(1, answer.shown);
    EXPECT_STREQ("eng", g_languageCode);
    EXPECT_EQ(dir_ + "\\eng\\message.ini", g_catalogPath);
    EXPECT_STREQ("First", g_titleText);
    int exitCode = -1;
    EXPECT_TRUE(QuitWasPosted(&exitCode));
    EXPECT_EQ(0, exitCode);
}

TEST_F(StartupConfig, OverlongTextsAreCutToTheirWidths)
{
    WriteCatalog("eng", std::string(5000, 't'));
    Run(("-leng " + std::string(200, 'x')).c_str());
    EXPECT_EQ(std::string(TITLE_TEXT_SIZE - 1, 't'), g_titleText);

    std::string code(LANGUAGE_CODE_SIZE + 40, 'c');
    Run(("-l" + code).c_str());
    EXPECT_EQ(std::string(LANGUAGE_CODE_SIZE - 1, 'c'), g_languageCode);
}

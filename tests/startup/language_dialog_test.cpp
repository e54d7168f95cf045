// The language dialog driven in-process: created modeless over a scratch
// program directory holding language.ini, then steered by messages.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "core/text/dbcs.h"
#include "core/setup_limits.h"
#include "common/setup_state.h"
#include "resources/resource.h"
#include "startup/startup_config.h"
#include "tests/support/test_support.h"

namespace {

class LanguageDialog : public testing::Test {
protected:
    void SetUp() override
    {
        CopyText(g_programDirectory, sizeof(g_programDirectory),
                 scratch_.path().c_str());
        memset(code_, '#', sizeof(code_));
        strcpy(code_, "jpn");
        ForgetQuit();
    }
    void TearDown() override
    {
        if (dialog_ != NULL)
            DestroyWindow(dialog_);
        ForgetQuit();
        g_programDirectory[0] = '\0';
    }

    void WriteList(const std::string &body)
    {
        WriteFileBytes(scratch_.Join("language.ini"), "[Language]\r\n" + body);
    }

    void Open()
    {
        dialog_ = CreateDialogParamA(g_instance, MAKEINTRESOURCEA(IDD_LANGUAGE),
                                     NULL, LanguageDialogProc, (LPARAM)code_);
        ASSERT_NE((HWND)NULL, dialog_);
        list_ = GetDlgItem(dialog_, IDC_LANGUAGE_LIST);
    }

    std::vector<std::string> Entries()
    {
        std::vector<std::string> names;
        LRESULT count = SendMessageA(list_, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; i++) {
            char text[256];
            SendMessageA(list_, LB_GETTEXT, (WPARAM)i, (LPARAM)text);
            names.push_back(text);
        }
        return names;
    }

    std::string Selected()
    {
        LRESULT index = SendMessageA(list_, LB_GETCURSEL, 0, 0);
        if (index == LB_ERR)
            return "<none>";
        char text[256];
        SendMessageA(list_, LB_GETTEXT, (WPARAM)index, (LPARAM)text);
        return text;
    }

    void Select(const char *name)
    {
        LRESULT index = SendMessageA(list_, LB_FINDSTRINGEXACT, (WPARAM)-1,
                                     (LPARAM)name);
        ASSERT_NE(LB_ERR, index) << name;
        SendMessageA(list_, LB_SETCURSEL, (WPARAM)index, 0);
    }

    void Command(int id, int notification = BN_CLICKED)
    {
        SendMessageA(dialog_, WM_COMMAND, MAKEWPARAM(id, notification),
                     (LPARAM)GetDlgItem(dialog_, id));
    }

    bool OkEnabled() { return IsWindowEnabled(GetDlgItem(dialog_, IDOK)); }

    void ExpectCodeUnpadded()
    {
        for (size_t i = LANGUAGE_CODE_SIZE; i < sizeof(code_); i++)
            ASSERT_EQ('#', code_[i]) << "written past the code at " << i;
    }

    ScratchDir scratch_;
    HWND dialog_ = NULL;
    HWND list_ = NULL;
    char code_[LANGUAGE_CODE_SIZE + 8];
};

}  // namespace

TEST_F(LanguageDialog, ListsEntriesSortedAndMapsTheChoiceByName)
{
    WriteList("Lang00=Japanese;jpn\r\nLang01=English;eng\r\n"
              "Lang02=Deutsch\r\nDefault=Japanese\r\n");
    Open();
    EXPECT_EQ((std::vector<std::string>{"Deutsch", "English", "Japanese"}),
              Entries());
    EXPECT_EQ("Japanese", Selected());
    EXPECT_TRUE(OkEnabled());

    Select("English");
    Command(IDOK);
    EXPECT_STREQ("eng", code_);

    Select("Deutsch");  // an entry without a code gives the empty code
    Command(IDOK);
    EXPECT_STREQ("", code_);
    ExpectCodeUnpadded();
}

TEST_F(LanguageDialog, DefaultSearchStartsAfterTheFirstEntryAndWraps)
{
    WriteList("Lang00=English;eng\r\nLang01=English (UK);enu\r\n"
              "Default=Eng\r\n");
    Open();
    EXPECT_EQ("English (UK)", Selected());

    DestroyWindow(dialog_);
    WriteList("Lang00=English;eng\r\nLang01=Japanese;jpn\r\nDefault=eng\r\n");
    Open();
    EXPECT_EQ("English", Selected());  // reached by wrapping around
}

TEST_F(LanguageDialog, NoMatchingDefaultDisablesOkUntilASelection)
{
    WriteList("Lang00=English;eng\r\nLang01=Japanese;jpn\r\nDefault=Klingon\r\n");
    Open();
    EXPECT_EQ("<none>", Selected());
    EXPECT_FALSE(OkEnabled());
    Select("Japanese");
    Command(IDC_LANGUAGE_LIST, LBN_SELCHANGE);
    EXPECT_TRUE(OkEnabled());
}

TEST_F(LanguageDialog, DoubleClickChoosesAtOnce)
{
    WriteList("Lang00=English;eng\r\nLang01=Japanese;jpn\r\nDefault=x\r\n");
    Open();
    Select("Japanese");
    Command(IDC_LANGUAGE_LIST, LBN_DBLCLK);
    EXPECT_STREQ("jpn", code_);
}

TEST_F(LanguageDialog, AGapEndsTheListAndEqualNamesGiveTheLowerKey)
{
    WriteList("Lang00=Same;one\r\nLang01=Same;two\r\nLang03=Late;late\r\n");
    Open();
    EXPECT_EQ((std::vector<std::string>{"Same", "Same"}), Entries());
    SendMessageA(list_, LB_SETCURSEL, 1, 0);
    Command(IDOK);
    EXPECT_STREQ("one", code_);
}

TEST_F(LanguageDialog, CancelStoresTheFirstCodeAndPostsQuit)
{
    WriteList("Lang00=Japanese;jpn\r\nLang01=English;eng\r\nDefault=English\r\n");
    Open();
    strcpy(code_, "xxx");
    Command(IDCANCEL);
    EXPECT_STREQ("jpn", code_);
    int exitCode = -1;
    EXPECT_TRUE(QuitWasPosted(&exitCode));
    EXPECT_EQ(0, exitCode);
}

TEST_F(LanguageDialog, OverlongNamesCodesAndEntryCountsAreCut)
{
    std::string body;
    for (int i = 0; i < 70; i++) {
        char line[64];
        snprintf(line, sizeof(line), "Lang%02d=", i);
        // The 64-byte value read keeps 40 + 1 + 22 characters of it.
        body += line + std::string(40, 'A' + i % 26) + ";" +
                std::string(300, 'c') + "\r\n";
    }
    WriteList(body + "Default=" + std::string(500, 'A') + "\r\n");
    Open();
    std::vector<std::string> names = Entries();
    EXPECT_EQ((size_t)LANGUAGE_TABLE_ENTRIES, names.size());
    for (const std::string &name : names)
        EXPECT_EQ((size_t)LANGUAGE_NAME_SIZE - 1, name.size()) << name;
    Select(std::string(LANGUAGE_NAME_SIZE - 1, 'B').c_str());
    Command(IDOK);
    EXPECT_EQ(std::string(LANGUAGE_TABLE_CODE_SIZE - 1, 'c'), code_);
    ExpectCodeUnpadded();
}

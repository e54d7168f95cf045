// The welcome page and its pre-install checks against Wine's registry
// (redirected to scratch keys), real windows and real libraries.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "aclprobe/access_decision.h"
#include "common/platform.h"
#include "common/setup_state.h"
#include "pages/pages.h"
#include "pages/welcome_checks.h"
#include "resources/resource.h"
#include "tests/pages/page_host.h"
#include "wizard/wizard_messages.h"

namespace {

const char kBrandedFile[] = "Software\\Vorstmark\\CaptureKit\\FileAgent";
const char kBrandedSend[] = "Software\\Vorstmark\\CaptureKit\\SendAgent";
const char kOwnFile[] = "Software\\Veltrane\\CaptureKit\\FileAgent";
const char kOwnSend[] = "Software\\Veltrane\\CaptureKit\\SendAgent";

const DWORD kWin95Version = 0xC0000A04;  // top bit set

const char kCatalog[] =
    "[MessageBox]\r\n"
    "OTHERBRAND_EXIST=other brand\r\n"
    "NEWEST_EXIST=already installed\r\n"
    "CLOSEMON_F=close the utility\r\n"
    "TITLE_ERROR=Setup error\r\n"
    "[WINDOW]\r\n"
    "WINNAME_F=PageTestUtility\r\n";

std::string ExeFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof(path));
    *strrchr(path, '\\') = '\0';
    return path;
}

void CreateKey(const char *path)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key));
    RegCloseKey(key);
}

void WriteRegBytes(const char *path, const char *value, DWORD type,
                   const std::string &bytes)
{
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &key));
    RegSetValueExA(key, value, 0, type, (const BYTE *)bytes.data(),
                   (DWORD)bytes.size());
    RegCloseKey(key);
}

// A window whose class begins with the configured utility prefix.
class UtilityWindow {
public:
    explicit UtilityWindow(const char *className)
    {
        WNDCLASSA windowClass;
        ZeroMemory(&windowClass, sizeof(windowClass));
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = g_instance;
        windowClass.lpszClassName = className;
        RegisterClassA(&windowClass);
        window_ = CreateWindowA(className, "utility", WS_OVERLAPPED, 0, 0, 50,
                                50, NULL, NULL, g_instance, NULL);
    }
    ~UtilityWindow() { DestroyWindow(window_); }
    HWND window() const { return window_; }

private:
    HWND window_;
};

class WelcomePage : public testing::Test {
protected:
    void SetUp() override
    {
        host_.WriteCatalog(kCatalog);
        host_.WriteScript("[Application]\r\nVersion=2.0.0\r\n");
        g_installCommonFiles = 0;
        g_allUsers = 1;
        UseLibrary("grant");
        page_ = host_.CreatePage(IDD_PAGE_WELCOME, WelcomePageProc);
        ASSERT_NE((HWND)NULL, page_);
    }
    void TearDown() override
    {
        if (libraryCookie_ != NULL)
            RemoveDllDirectory(libraryCookie_);
        OverridePlatformVersion(0);
        g_allUsers = 1;
    }

    // Puts the stand-in library of that kind as ACLPROBE.DLL into a folder
    // added to the DLL search; "none" leaves the folder empty.
    void UseLibrary(const char *kind)
    {
        DeleteFileA(libraries_.Join("ACLPROBE.DLL").c_str());
        if (strcmp(kind, "none") != 0) {
            std::string stub = ExeFolder() + "\\aclprobe_" + kind + ".dll";
            ASSERT_TRUE(CopyFileA(stub.c_str(),
                                  libraries_.Join("ACLPROBE.DLL").c_str(),
                                  FALSE))
                << stub;
        }
        if (libraryCookie_ == NULL) {
            wchar_t folder[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, libraries_.path().c_str(), -1,
                                folder, MAX_PATH);
            libraryCookie_ = AddDllDirectory(folder);
            ASSERT_NE((DLL_DIRECTORY_COOKIE)NULL, libraryCookie_);
        }
    }

    // One run of the checks as the frame starts it, message boxes answered.
    void Activate()
    {
        MessageBoxAnswerer answerer;
        SendMessageA(page_, WM_WIZARD_ACTIVATE, 1, 0);
        boxes_ = answerer.seen();
    }

    std::string OnlyMessage()
    {
        if (boxes_.size() != 1)
            return "<" + std::to_string(boxes_.size()) + " boxes>";
        return boxes_[0].caption + ": " + boxes_[0].text;
    }

    RegistrySandbox registry_;
    PageHost host_;
    ScratchDir libraries_;
    DLL_DIRECTORY_COOKIE libraryCookie_ = NULL;
    HWND page_ = NULL;
    std::vector<SeenMessageBox> boxes_;
};

TEST_F(WelcomePage, FixesTheInstallScriptPathWhenCreated)
{
    EXPECT_EQ(host_.LanguageFile("copy_ns.ini"), g_scriptPath);
}

TEST_F(WelcomePage, NextGoesToTheDestinationPage)
{
    SendMessageA(page_, WM_WIZARD_NEXT, 0, 0);
    EXPECT_EQ(2, g_currentPage);
}

TEST_F(WelcomePage, NothingInstalledPassesAndMakesTheBackgroundTopmost)
{
    Activate();
    EXPECT_TRUE(boxes_.empty()) << OnlyMessage();
    EXPECT_EQ(0, host_.endCount());
    EXPECT_EQ(1, g_installCommonFiles);
    EXPECT_EQ(1, g_allUsers);
    EXPECT_STREQ("2.0.0", g_scriptVersion);
    EXPECT_TRUE(IsTopmost(host_.background()));
}

struct ProductRow {
    const char *name;
    const char *brandedFile;  // NULL: key absent; "": key without values
    const char *brandedSend;
    const char *ownFile;
    const char *ownSend;
    const char *message;      // NULL: the checks go on
    int commonFiles;
};

void PutProductKey(const char *key, const char *version)
{
    if (version == NULL)
        return;
    if (version[0] == '\0')
        CreateKey(key);
    else
        WriteRegString(HKEY_LOCAL_MACHINE, key, "Version", version);
}

TEST_F(WelcomePage, DecisionTableOfTheProductKeys)
{
    const ProductRow rows[] = {
        {"branded file agent", "1.0", NULL, NULL, NULL,
         "Setup error: other brand", -1},
        {"branded file agent, empty key", "", NULL, NULL, NULL,
         "Setup error: other brand", -1},
        {"branded send agent", NULL, "", "1.0", "1.0",
         "Setup error: other brand", -1},
        {"this product", NULL, NULL, "0.1", NULL,
         "Setup error: already installed", -1},
        {"this product without version", NULL, NULL, "", NULL, NULL, 1},
        {"send agent older", NULL, NULL, NULL, "1.9.9", NULL, 1},
        {"send agent equal", NULL, NULL, NULL, "2.0.0", NULL, 0},
        {"send agent newer", NULL, NULL, NULL, "3.0", NULL, 0},
        {"send agent with two parts", NULL, NULL, NULL, "2.0", NULL, 1},
        {"send agent without version", NULL, NULL, "", "", NULL, 1},
    };
    for (const ProductRow &row : rows) {
        SCOPED_TRACE(row.name);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software");
        PutProductKey(kBrandedFile, row.brandedFile);
        PutProductKey(kBrandedSend, row.brandedSend);
        PutProductKey(kOwnFile, row.ownFile);
        PutProductKey(kOwnSend, row.ownSend);
        g_installCommonFiles = -1;
        int endsBefore = host_.endCount();
        Activate();
        if (row.message != NULL) {
            EXPECT_EQ(row.message, OnlyMessage());
            EXPECT_EQ(endsBefore + 1, host_.endCount());
        } else {
            EXPECT_TRUE(boxes_.empty()) << OnlyMessage();
            EXPECT_EQ(endsBefore, host_.endCount());
        }
        EXPECT_EQ(row.commonFiles, g_installCommonFiles);
    }
}

TEST_F(WelcomePage, InstallPathOnADriveCountsAsInstalledAndAShareDoesNot)
{
    WriteRegString(HKEY_LOCAL_MACHINE, kOwnFile, "Installpath", "D:\\Prog");
    Activate();
    EXPECT_EQ("Setup error: already installed", OnlyMessage());

    WriteRegString(HKEY_LOCAL_MACHINE, kOwnFile, "Installpath",
                   "\\\\server\\share");
    Activate();
    EXPECT_TRUE(boxes_.empty()) << OnlyMessage();
}

TEST_F(WelcomePage, MissingScriptGivesVersionZero)
{
    DeleteFileA(host_.LanguageFile("copy_ns.ini").c_str());
    WriteRegString(HKEY_LOCAL_MACHINE, kOwnSend, "Version", "0.0.1");
    Activate();
    EXPECT_STREQ("0.0.0", g_scriptVersion);
    EXPECT_EQ(0, g_installCommonFiles);
}

TEST_F(WelcomePage, OverlongScriptVersionIsCutToItsBuffer)
{
    host_.WriteScript("[Application]\r\nVersion=" + std::string(300, '9') +
                      "\r\n");
    Activate();
    EXPECT_EQ(std::string(sizeof(g_scriptVersion) - 1, '9'), g_scriptVersion);
}

TEST_F(WelcomePage, RunningUtilityRefuses)
{
    UtilityWindow utility("PageTestUtilityMain");
    Activate();
    EXPECT_EQ("Setup error: close the utility", OnlyMessage());
    EXPECT_EQ(1, host_.endCount());
    EXPECT_FALSE(IsTopmost(host_.background()));
}

TEST_F(WelcomePage, EmptyUtilityPrefixMatchesAnyWindow)
{
    WritePrivateProfileStringA("WINDOW", "WINNAME_F", "", g_catalogPath);
    Activate();
    EXPECT_EQ("Setup error: close the utility", OnlyMessage());
}

TEST_F(WelcomePage, MissingCatalogStillEndsARefusal)
{
    DeleteFileA(g_catalogPath);
    CreateKey(kBrandedFile);
    Activate();
    EXPECT_EQ(": ", OnlyMessage());
    EXPECT_EQ(1, host_.endCount());
}

TEST_F(WelcomePage, Win95FamilyDoesNotAskTheLibrary)
{
    UseLibrary("none");
    OverridePlatformVersion(kWin95Version);
    g_allUsers = 1;
    Activate();
    EXPECT_TRUE(boxes_.empty()) << OnlyMessage();
    EXPECT_EQ(1, g_allUsers);
    EXPECT_EQ(1, g_installCommonFiles);
    EXPECT_TRUE(IsTopmost(host_.background()));
}

TEST_F(WelcomePage, Win95FamilyStillLooksForTheUtility)
{
    OverridePlatformVersion(kWin95Version);
    UtilityWindow utility("PageTestUtility");
    Activate();
    EXPECT_EQ("Setup error: close the utility", OnlyMessage());
}

TEST_F(WelcomePage, LibraryAnswersAreStoredUnchanged)
{
    const struct {
        const char *kind;
        int allUsers;
    } answers[] = {{"grant", 1}, {"deny", 0}, {"seven", 7}};
    for (const auto &answer : answers) {
        SCOPED_TRACE(answer.kind);
        UseLibrary(answer.kind);
        SetWindowPos(host_.background(), HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE);
        g_allUsers = -1;
        Activate();
        EXPECT_EQ(answer.allUsers, g_allUsers);
        EXPECT_TRUE(IsTopmost(host_.background()));
        EXPECT_TRUE(boxes_.empty()) << OnlyMessage();
    }
}

// Absent, without the entry point, or not a library at all: the same
// quiet outcome, and the utility is not even looked for.
TEST_F(WelcomePage, UnusableLibraryClearsAllUsersAndStopsTheChecks)
{
    UtilityWindow utility("PageTestUtility");
    const char *kinds[] = {"none", "noentry", "garbage"};
    for (const char *kind : kinds) {
        SCOPED_TRACE(kind);
        if (strcmp(kind, "garbage") == 0) {
            UseLibrary("none");
            WriteFileBytes(libraries_.Join("ACLPROBE.DLL"),
                           "MZ this is no library");
        } else {
            UseLibrary(kind);
        }
        g_allUsers = 1;
        Activate();
        EXPECT_EQ(0, g_allUsers);
        EXPECT_TRUE(boxes_.empty()) << OnlyMessage();
        EXPECT_EQ(0, host_.endCount());
        EXPECT_FALSE(IsTopmost(host_.background()));
        EXPECT_EQ(1, g_installCommonFiles);
    }
}

TEST_F(WelcomePage, LibraryInTheCurrentDirectoryIsNotLoaded)
{
    UseLibrary("none");
    ScratchDir planted;
    std::string stub = ExeFolder() + "\\aclprobe_grant.dll";
    ASSERT_TRUE(CopyFileA(stub.c_str(), planted.Join("ACLPROBE.DLL").c_str(),
                          FALSE));
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof(previous), previous);
    SetCurrentDirectoryA(planted.path().c_str());
    // Also with start-up's empty DLL directory.
    SetDllDirectoryA("");
    int allUsers = -1;
    int loaded = AskUserAccessLibrary(&allUsers);
    SetCurrentDirectoryA(previous);
    SetDllDirectoryA(NULL);
    EXPECT_EQ(0, loaded);
    EXPECT_EQ(-1, allUsers);
}

TEST_F(WelcomePage, BackComingBackRepeatsTheChecks)
{
    Activate();
    EXPECT_TRUE(boxes_.empty());
    UtilityWindow utility("PageTestUtility");
    MessageBoxAnswerer answerer;
    SendMessageA(page_, WM_WIZARD_ACTIVATE, 0, 0);  // reached by BACK
    EXPECT_EQ(1u, answerer.seen().size());
    EXPECT_EQ(1, host_.endCount());
}

class ProductProbe : public testing::Test {
protected:
    // The result, and the buffer as text with its marker bytes checked.
    int Probe(size_t size, std::string *text)
    {
        char buffer[128];
        memset(buffer, '#', sizeof(buffer));
        int result = ProbeProductVersion(kOwnFile, buffer, size);
        for (size_t i = size; i < sizeof(buffer); i++) {
            if (buffer[i] != '#') {
                ADD_FAILURE() << "written past the buffer at " << i;
                break;
            }
        }
        if (memchr(buffer, '\0', size) == NULL)
            ADD_FAILURE() << "not terminated within the buffer";
        else
            *text = buffer;
        return result;
    }

    RegistrySandbox registry_;
};

TEST_F(ProductProbe, ResultsForAbsentEmptyAndVersionedKeys)
{
    std::string text;
    EXPECT_EQ(-1, Probe(64, &text));
    CreateKey(kOwnFile);
    EXPECT_EQ(-2, Probe(64, &text));
    WriteRegString(HKEY_LOCAL_MACHINE, kOwnFile, "Version", "1.2.3");
    EXPECT_EQ(1, Probe(64, &text));
    EXPECT_EQ("1.2.3", text);
}

TEST_F(ProductProbe, AnyTypeIsTakenAsTextAndTerminated)
{
    // 64 bytes without a NUL fill the buffer: the last is given up for one.
    WriteRegBytes(kOwnFile, "Version", REG_BINARY, std::string(64, '7'));
    std::string text;
    EXPECT_EQ(1, Probe(64, &text));
    EXPECT_EQ(std::string(63, '7'), text);

    WriteRegBytes(kOwnFile, "Version", REG_BINARY, "4.5");
    EXPECT_EQ(1, Probe(64, &text));
    EXPECT_EQ("4.5", text);
}

TEST_F(ProductProbe, OverlongValuesGiveNoVersionAndNoOverrun)
{
    WriteRegString(HKEY_LOCAL_MACHINE, kOwnFile, "Version",
                   std::string(300, '1'));
    std::string text;
    EXPECT_EQ(-2, Probe(64, &text));
    EXPECT_EQ("", text);
    WriteRegString(HKEY_LOCAL_MACHINE, kOwnFile, "Installpath",
                   "C:" + std::string(400, 'x'));
    EXPECT_EQ(-2, Probe(64, &text));
}

TEST_F(ProductProbe, InstallPathNeedsADriveLetter)
{
    const struct {
        const char *path;
        int result;
    } cases[] = {{"D:\\Prog", 1}, {"d:", 1}, {"\\\\server\\share", -2},
                 {"Prog", -2}, {"", -2}, {"D", -2}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.path);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software");
        WriteRegString(HKEY_LOCAL_MACHINE, kOwnFile, "Installpath", c.path);
        std::string text;
        EXPECT_EQ(c.result, Probe(64, &text));
        EXPECT_EQ(c.result == 1 ? "1.0" : "", text);
    }
}

TEST_F(ProductProbe, TinyBufferStillTerminated)
{
    WriteRegBytes(kOwnFile, "Version", REG_BINARY, "12");
    std::string text;
    EXPECT_EQ(1, Probe(3, &text));
    EXPECT_EQ("12", text);
}

TEST(FindWindowByPrefix, MatchesTheBeginningOfTheClassNameWithCase)
{
    UtilityWindow utility("PageTestPrefixWindowX");
    EXPECT_EQ(utility.window(), FindWindowByPrefix("PageTestPrefixWindow"));
    EXPECT_EQ(utility.window(), FindWindowByPrefix("PageTestPrefixWindowX"));
    EXPECT_EQ(NULL, FindWindowByPrefix("pagetestprefixwindow"));
    EXPECT_EQ(NULL, FindWindowByPrefix("PageTestPrefixWindowXY"));
}

TEST(FindWindowByPrefix, TheWindowInFrontCountsToo)
{
    UtilityWindow utility("PageTestFrontWindow");
    SetWindowPos(utility.window(), HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
    ASSERT_EQ(utility.window(), GetTopWindow(GetDesktopWindow()));
    EXPECT_EQ(utility.window(), FindWindowByPrefix("PageTestFront"));
    EXPECT_EQ(utility.window(), FindWindowByPrefix(""));
}

TEST(FindWindowByPrefix, OverlongPrefixFindsNothing)
{
    std::string prefix(300, 'P');
    EXPECT_EQ(NULL, FindWindowByPrefix(prefix.c_str()));
}

// The shipped library: the name and entry point the page asks for, and the
// same answer as its decision.
TEST(UserAccessLibrary, ShippedLibraryExportsTheEntryPoint)
{
    std::string path = ExeFolder() + "\\aclprobe_shipped.dll";
    HMODULE library = LoadLibraryA(path.c_str());
    ASSERT_NE((HMODULE)NULL, library) << path;
    FARPROC entry = GetProcAddress(library, "CheckUersAcc");
    ASSERT_NE((FARPROC)NULL, entry);
    typedef int(WINAPI * Entry)(void);
    Entry call;
    CopyMemory(&call, &entry, sizeof(entry));
    EXPECT_EQ(TokenMayUseAllUsers(NULL), call());
    FreeLibrary(library);
}

// Wine runs every program as an administrator with the group in force.
// The group walk that stands in for CheckTokenMembership on NT 4.0 must
// give the same answers.
TEST(UserAccessDecision, AdministratorMayUseAllUsers)
{
    EXPECT_EQ(1, TokenMayUseAllUsers(NULL));
    EXPECT_EQ(1, TokenGroupsHoldAdministrators(NULL));
}

TEST(UserAccessDecision, DenyOnlyAdministratorsMayNot)
{
    HANDLE process = NULL;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(),
                                 TOKEN_DUPLICATE | TOKEN_QUERY, &process));
    SID_IDENTIFIER_AUTHORITY ntAuthority = {SECURITY_NT_AUTHORITY};
    PSID administrators = NULL;
    AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                             DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                             &administrators);
    SID_AND_ATTRIBUTES disabled = {administrators, 0};
    HANDLE restricted = NULL;
    BOOL made = CreateRestrictedToken(process, 0, 1, &disabled, 0, NULL, 0,
                                      NULL, &restricted);
    HANDLE impersonation = NULL;
    if (made)
        DuplicateToken(restricted, SecurityIdentification, &impersonation);
    FreeSid(administrators);
    CloseHandle(process);
    if (!made || impersonation == NULL)
        GTEST_SKIP() << "no restricted tokens here, error " << GetLastError();
    EXPECT_EQ(0, TokenMayUseAllUsers(impersonation));
    EXPECT_EQ(0, TokenGroupsHoldAdministrators(impersonation));
    CloseHandle(impersonation);
    CloseHandle(restricted);
}

}  // namespace

// The shipped ACLPROBE.DLL of the 32-bit build: its entry point keeps its
// plain name there (a stdcall export would otherwise be "_CheckUersAcc@0"
// and setup would find none), and the answer it gives through the setup
// program's own loader is the decision made in this process.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "aclprobe/access_decision.h"
#include "install/preinstall_checks.h"
#include "tests/support/test_support.h"

namespace {

typedef int(WINAPI *UserAccessEntry)(void);

std::string ExeFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, sizeof(path));
    std::string folder = path;
    return folder.substr(0, folder.rfind('\\'));
}

TEST(ReleaseAclProbe, ExportCalledByNameAndThroughSetupsLoader)
{
    std::string shipped = BuildFolder() + "\\ACLPROBE.DLL";
    HMODULE library = LoadLibraryA(shipped.c_str());
    ASSERT_NE((HMODULE)NULL, library) << shipped << " error " << GetLastError();
    FARPROC found = GetProcAddress(library, "CheckUersAcc");
    ASSERT_NE((FARPROC)NULL, found);
    UserAccessEntry entry = (UserAccessEntry)(void *)found;
    int expected = TokenMayUseAllUsers(NULL);
    EXPECT_EQ(expected, entry());
    FreeLibrary(library);

    // Setup looks for it by name in its own folder: this program's.
    std::string beside = ExeFolder() + "\\ACLPROBE.DLL";
    ASSERT_TRUE(CopyFileA(shipped.c_str(), beside.c_str(), FALSE));
    int allUsers = -1;
    EXPECT_EQ(1, AskUserAccessLibrary(&allUsers));
    EXPECT_EQ(expected, allUsers);
    DeleteFileA(beside.c_str());
}

}  // namespace

// The registry writers against Wine's registry, with HKEY_LOCAL_MACHINE
// redirected to a scratch key.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <string>

#include "common/registry_writers.h"
#include "core/setup_limits.h"
#include "tests/install/install_media.h"
#include "tests/support/test_support.h"

namespace {

const char kUninstall[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

class Registry : public testing::Test {
protected:
    RegistrySandbox sandbox_;
};

}  // namespace

TEST_F(Registry, WritersCreateEveryMissingKeyAndReplaceValues)
{
    EXPECT_EQ(1, WriteStringValue(HKEY_LOCAL_MACHINE, "Software\\A\\B\\C",
                                  "Name", "first"));
    EXPECT_EQ(1, WriteStringValue(HKEY_LOCAL_MACHINE, "Software\\A\\B\\C",
                                  "Name", "second"));
    EXPECT_EQ(1, WriteDwordValue(HKEY_LOCAL_MACHINE, "Software\\A\\D",
                                 "Count", 7));
    EXPECT_EQ(1, WriteStringValue(HKEY_LOCAL_MACHINE, "Software\\A", "Empty",
                                  ""));
    EXPECT_EQ("Software\\A|Empty|REG_SZ|\n"
              "Software\\A\\B\\C|Name|REG_SZ|second\n"
              "Software\\A\\D|Count|REG_DWORD|7\n",
              DumpRegistry("Software\\A"));
}

TEST_F(Registry, ReadGivesTheBytesOrFails)
{
    WriteStringValue(HKEY_LOCAL_MACHINE, "Software\\V", "Version", "2.1.0");
    BYTE buffer[NETLIB_VERSION_SIZE];
    memset(buffer, '#', sizeof(buffer));
    DWORD bytes = sizeof(buffer);
    EXPECT_EQ(1, ReadRegistryValue(HKEY_LOCAL_MACHINE, "Software\\V",
                                   "Version", buffer, &bytes));
    EXPECT_EQ(6u, bytes);
    EXPECT_STREQ("2.1.0", (const char *)buffer);

    bytes = sizeof(buffer);
    EXPECT_EQ(0, ReadRegistryValue(HKEY_LOCAL_MACHINE, "Software\\V",
                                   "Missing", buffer, &bytes));
    EXPECT_EQ(0, ReadRegistryValue(HKEY_LOCAL_MACHINE, "Software\\Nothing",
                                   "Version", buffer, &bytes));
    // The key was closed again: it can be deleted.
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\V"));
}

TEST_F(Registry, ReadTextNeverOverrunsAndAlwaysTerminates)
{
    std::string overlong(200, '9');
    WriteStringValue(HKEY_LOCAL_MACHINE, "Software\\V", "Version",
                     overlong.c_str());
    char text[NETLIB_VERSION_SIZE + 8];
    memset(text, '#', sizeof(text));
    EXPECT_EQ(0, ReadRegistryText(HKEY_LOCAL_MACHINE, "Software\\V",
                                  "Version", text, NETLIB_VERSION_SIZE));
    EXPECT_STREQ("", text);
    EXPECT_EQ('#', text[NETLIB_VERSION_SIZE]);

    // Stored without a NUL of its own.
    HKEY key;
    RegCreateKeyA(HKEY_LOCAL_MACHINE, "Software\\V", &key);
    RegSetValueExA(key, "Raw", 0, REG_SZ, (const BYTE *)"1.2.3", 5);
    RegCloseKey(key);
    memset(text, '#', sizeof(text));
    EXPECT_EQ(1, ReadRegistryText(HKEY_LOCAL_MACHINE, "Software\\V", "Raw",
                                  text, NETLIB_VERSION_SIZE));
    EXPECT_STREQ("1.2.3", text);
}

TEST_F(Registry, AVersionThatFillsItsBufferIsReadWhole)
{
    // 63 characters fit the 64-byte version buffer; 64 do not.
    std::string fits(NETLIB_VERSION_SIZE - 1, '7');
    char text[NETLIB_VERSION_SIZE + 8];
    for (const std::string &value : {fits, fits + "7"}) {
        SCOPED_TRACE(value.size());
        WriteStringValue(HKEY_LOCAL_MACHINE, "Software\\V", "Version",
                         value.c_str());
        memset(text, '#', sizeof(text));
        EXPECT_EQ(value == fits ? 1 : 0,
                  ReadRegistryText(HKEY_LOCAL_MACHINE, "Software\\V",
                                   "Version", text, NETLIB_VERSION_SIZE));
        EXPECT_EQ(value == fits ? fits : "", std::string(text));
        EXPECT_EQ('#', text[NETLIB_VERSION_SIZE]);
    }
}

TEST_F(Registry, UninstallEntryHasItsThreeValuesAndIsUpdatedInPlace)
{
    EXPECT_EQ(1, WriteUninstallEntry("CaptureKit", "Capture Kit",
                                     "C:\\Windows\\uninst.exe -f", "C:\\K\\k.ico"));
    EXPECT_EQ(1, WriteUninstallEntry("CaptureKit", "Capture Kit 2",
                                     "C:\\Windows\\uninst.exe -g", "C:\\K\\k.ico"));
    // Wine enumerates values by name.
    const std::string key = std::string(kUninstall) + "\\CaptureKit|";
    EXPECT_EQ(key + "DisplayIcon|REG_SZ|C:\\K\\k.ico\n" +
                  key + "DisplayName|REG_SZ|Capture Kit 2\n" +
                  key + "UninstallString|REG_SZ|C:\\Windows\\uninst.exe -g\n",
              DumpRegistry(kUninstall));
}

TEST_F(Registry, EmptyUninstallKeyNameIsRefused)
{
    EXPECT_EQ(0, WriteUninstallEntry("", "Name", "cmd", "icon"));
    EXPECT_EQ("", DumpRegistry(kUninstall));
    // A name too long for the key path is refused as well, never cut.
    std::string longName(600, 'k');
    EXPECT_EQ(0, WriteUninstallEntry(longName.c_str(), "Name", "cmd", "icon"));
    EXPECT_EQ("", DumpRegistry(kUninstall));
}

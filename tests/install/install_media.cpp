#include "tests/install/install_media.h"

#include <stdio.h>
#include <string.h>

#include "common/setup_state.h"
#include "core/text/dbcs.h"

static const char kUserShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
static const char kCommonShellFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

InstallMedia::InstallMedia()
{
    MakeFolders(media_.Join("jpn"));
    MakeFolders(programs());
    MakeFolders(startup());
    // Both kinds, so that the all-users flag picks a folder either way.
    WriteRegString(HKEY_CURRENT_USER, kUserShellFolders, "Programs",
                   programs());
    WriteRegString(HKEY_CURRENT_USER, kUserShellFolders, "Startup",
                   startup());
    WriteRegString(HKEY_LOCAL_MACHINE, kCommonShellFolders, "Common Programs",
                   programs());
    WriteRegString(HKEY_LOCAL_MACHINE, kCommonShellFolders, "Common Startup",
                   startup());

    CopyText(g_programDirectory, sizeof(g_programDirectory),
             media().c_str());
    CopyText(g_languageCode, sizeof(g_languageCode), "jpn");
    CopyText(g_scriptPath, sizeof(g_scriptPath), scriptPath().c_str());
    CopyText(g_catalogPath, sizeof(g_catalogPath),
             media_.Join("jpn\\message.ini").c_str());
    CopyText(g_destinationFolder, sizeof(g_destinationFolder),
             destination().c_str());
    CopyText(g_programGroup, sizeof(g_programGroup), "Kit");
    CopyText(g_scriptVersion, sizeof(g_scriptVersion), "3.2.1");
    g_installCommonFiles = 0;
    g_allUsers = 1;
    g_backgroundWindow = NULL;
}

InstallMedia::~InstallMedia()
{
    // Profile strings may be cached; make sure nothing refers to the files.
    WritePrivateProfileStringA(NULL, NULL, NULL, logPath().c_str());
    WritePrivateProfileStringA(NULL, NULL, NULL, scriptPath().c_str());
}

std::string InstallMedia::scriptPath() const
{
    return media_.Join("jpn\\copy_ns.ini");
}

std::string InstallMedia::logPath() const
{
    return destination_.Join("uninst.ini");
}

void InstallMedia::WriteScript(const std::string &text)
{
    WriteFileBytes(scriptPath(), text);
    WritePrivateProfileStringA(NULL, NULL, NULL, scriptPath().c_str());
}

void InstallMedia::WriteSource(const std::string &relative,
                               const std::string &bytes)
{
    std::string path = media_.Join(relative);
    size_t slash = path.rfind('\\');
    MakeFolders(path.substr(0, slash));
    WriteFileBytes(path, bytes);
}

std::string InstallMedia::LogValue(const char *section, const char *key) const
{
    char value[1024];
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof(value),
                             logPath().c_str());
    return value;
}

std::string Fill(std::string text,
                 const std::vector<std::pair<std::string, std::string>> &values)
{
    for (const auto &value : values) {
        std::string token = "{" + value.first + "}";
        for (size_t at = text.find(token); at != std::string::npos;
             at = text.find(token, at + value.second.size()))
            text.replace(at, token.size(), value.second);
    }
    return text;
}

static void DumpKey(HKEY parent, const std::string &name, std::string *out)
{
    HKEY key;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return;
    for (DWORD index = 0;; index++) {
        char valueName[512];
        BYTE data[1024];
        DWORD nameSize = sizeof(valueName);
        DWORD dataSize = sizeof(data) - 1;
        DWORD type = 0;
        if (RegEnumValueA(key, index, valueName, &nameSize, NULL, &type, data,
                          &dataSize) != ERROR_SUCCESS)
            break;
        std::string shown;
        if (type == REG_SZ) {
            // The stored bytes, to show whether the NUL was stored too.
            shown = std::string((const char *)data, dataSize);
            if (!shown.empty() && shown.back() == '\0')
                shown.pop_back();
            else
                shown += "<no NUL>";
        } else if (type == REG_DWORD && dataSize == 4) {
            DWORD number;
            memcpy(&number, data, 4);
            shown = std::to_string(number);
        } else {
            shown = "<" + std::to_string(dataSize) + " bytes>";
        }
        const char *typeName = type == REG_SZ      ? "REG_SZ"
                               : type == REG_DWORD ? "REG_DWORD"
                                                   : "other";
        *out += name + "|" + valueName + "|" + typeName + "|" + shown + "\n";
    }
    for (DWORD index = 0;; index++) {
        char child[256];
        DWORD childSize = sizeof(child);
        if (RegEnumKeyExA(key, index, child, &childSize, NULL, NULL, NULL,
                          NULL) != ERROR_SUCCESS)
            break;
        DumpKey(parent, name + "\\" + child, out);
    }
    RegCloseKey(key);
}

std::string DumpRegistry(const std::string &key)
{
    std::string out;
    DumpKey(HKEY_LOCAL_MACHINE, key, &out);
    return out;
}

std::string TestDataPath(const std::string &name)
{
    return std::string(INSTALL_TEST_DATA) + "\\" + name;
}

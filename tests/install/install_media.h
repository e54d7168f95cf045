// Media and surroundings for the installation engine's tests: a scratch
// program directory with an install script and source files, a scratch
// destination, scratch Programs and Startup folders in a sandboxed
// registry, and the shared setup values pointing at all of them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "tests/support/test_support.h"

class InstallMedia {
public:
    // A fresh media folder (program directory), destination, and shell
    // folders; the shared values are set to use them (group "Kit").
    InstallMedia();
    ~InstallMedia();
    InstallMedia(const InstallMedia &) = delete;
    InstallMedia &operator=(const InstallMedia &) = delete;

    // The install script's text; written to media\jpn\copy_ns.ini. The
    // uninstall log is logPath() unless the script names another.
    void WriteScript(const std::string &text);
    // A source file below the media folder ("disk1\\a.txt").
    void WriteSource(const std::string &relative, const std::string &bytes);

    const std::string &media() const { return media_.path(); }
    std::string destination() const { return destination_.path() + "\\App"; }
    std::string scriptPath() const;
    std::string logPath() const;
    std::string programs() const { return shell_.Join("Programs"); }
    std::string startup() const { return shell_.Join("Startup"); }
    std::string Dest(const std::string &relative) const
    {
        return destination() + "\\" + relative;
    }

    // The whole uninstall log, or "<missing>".
    std::string Log() const { return ReadFileBytes(logPath()); }
    std::string LogValue(const char *section, const char *key) const;

private:
    RegistrySandbox registry_;
    ScratchDir media_;
    ScratchDir destination_;
    ScratchDir shell_;
};

// Text with every {NAME} replaced by its value.
std::string Fill(std::string text,
                 const std::vector<std::pair<std::string, std::string>> &values);

// Every value below HKEY_LOCAL_MACHINE\key, one line each,
// "key|value|type|data" (REG_SZ data as text, REG_DWORD in decimal), in
// the order the registry enumerates them.
std::string DumpRegistry(const std::string &key);

// The folder of this test's data files.
std::string TestDataPath(const std::string &name);

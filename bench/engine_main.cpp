// bench_engine.exe: the installation engine without the wizard. It sets
// the shared setup values from its command line, runs the install run in
// its progress dialog on the given media folder and ends. Used by tests,
// the benchmark and for trying an install script.
//
//   bench_engine.exe --media DIR [--lang CODE] [--script FILE]
//                      [--dest DIR] [--group NAME] [--common 0|1]
//                      [--all-users 0|1] [--version TEXT] [--report FILE]
//
// --media   the folder of the setup medium (the program directory)
// --lang    language code, "jpn" by default; the script and catalog are
//           taken from DIR\CODE when that folder exists, else from DIR
// --script  the install script (default: copy_ns.ini as above)
// --dest    destination folder (default: the program files folder joined
//           with the script's [Directry] "DstDirectry")
// --group   program group (default: the script's [ShortCut_File] "group")
// --common  install the shared component's files (default 0)
// --all-users  common shell folders (default 1)
// --version the product version (default: the script's [Application]
//           "Version", or "0.0.0")
// --report  writes "run_ms=<milliseconds of the install run>" to FILE
#include <windows.h>
#include <commctrl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/registry_writers.h"
#include "common/setup_state.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "progress/install_progress.h"
#include "resources/resource.h"

struct EngineOptions {
    const char *media;
    const char *script;
    const char *destination;
    const char *group;
    const char *version;
    const char *report;
    int common;
    int allUsers;
};

static bool ParseOptions(int argc, char **argv, EngineOptions *options)
{
    memset(options, 0, sizeof(*options));
    options->allUsers = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const char *name = argv[i];
        const char *value = argv[i + 1];
        if (strcmp(name, "--media") == 0)
            options->media = value;
        else if (strcmp(name, "--lang") == 0)
            CopyText(g_languageCode, sizeof(g_languageCode), value);
        else if (strcmp(name, "--script") == 0)
            options->script = value;
        else if (strcmp(name, "--dest") == 0)
            options->destination = value;
        else if (strcmp(name, "--group") == 0)
            options->group = value;
        else if (strcmp(name, "--common") == 0)
            options->common = atoi(value) != 0 ? 1 : 0;
        else if (strcmp(name, "--all-users") == 0)
            options->allUsers = atoi(value);
        else if (strcmp(name, "--version") == 0)
            options->version = value;
        else if (strcmp(name, "--report") == 0)
            options->report = value;
        else
            return false;
    }
    return options->media != NULL;
}

// The per-language folder when it exists, else the media folder itself.
static void GetLanguageFolder(char *folder, size_t size)
{
    CopyText(folder, size, g_programDirectory);
    char candidate[PATH_SIZE];
    CopyText(candidate, sizeof(candidate), g_programDirectory);
    if (g_languageCode[0] != '\0' &&
        AppendPath(candidate, sizeof(candidate), g_languageCode) >= 0) {
        DWORD attributes = GetFileAttributesA(candidate);
        if (attributes != INVALID_FILE_ATTRIBUTES &&
            (attributes & FILE_ATTRIBUTE_DIRECTORY))
            CopyText(folder, size, candidate);
    }
}

static void SetSharedValues(const EngineOptions *options)
{
    CopyText(g_programDirectory, sizeof(g_programDirectory), options->media);
    char folder[PATH_SIZE];
    GetLanguageFolder(folder, sizeof(folder));
    CopyText(g_catalogPath, sizeof(g_catalogPath), folder);
    AppendPath(g_catalogPath, sizeof(g_catalogPath), "message.ini");
    if (options->script != NULL) {
        CopyText(g_scriptPath, sizeof(g_scriptPath), options->script);
    } else {
        CopyText(g_scriptPath, sizeof(g_scriptPath), folder);
        AppendPath(g_scriptPath, sizeof(g_scriptPath), "copy_ns.ini");
    }

    if (options->version != NULL)
        CopyText(g_scriptVersion, sizeof(g_scriptVersion), options->version);
    else
        GetPrivateProfileStringA("Application", "Version", "0.0.0",
                                 g_scriptVersion, sizeof(g_scriptVersion),
                                 g_scriptPath);
    if (options->group != NULL)
        CopyText(g_programGroup, sizeof(g_programGroup), options->group);
    else
        GetPrivateProfileStringA("ShortCut_File", "group", "Fail",
                                 g_programGroup, sizeof(g_programGroup),
                                 g_scriptPath);
    if (options->destination != NULL) {
        CopyText(g_destinationFolder, sizeof(g_destinationFolder),
                 options->destination);
    } else {
        ReadRegistryText(HKEY_LOCAL_MACHINE,
                         "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                         "ProgramFilesDir", g_destinationFolder,
                         sizeof(g_destinationFolder));
        char product[PATH_SIZE];
        GetPrivateProfileStringA("Directry", "DstDirectry", "", product,
                                 sizeof(product), g_scriptPath);
        AppendPath(g_destinationFolder, sizeof(g_destinationFolder), product);
    }
    g_installCommonFiles = options->common;
    g_allUsers = options->allUsers;
}

static void WriteReport(const char *path)
{
    FILE *file = fopen(path, "w");
    if (file == NULL)
        return;
    fprintf(file, "run_ms=%.1f\n", GetLastInstallRunTime());
    fclose(file);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    g_instance = instance;
    InitCommonControls();
    EngineOptions options;
    if (!ParseOptions(__argc, __argv, &options)) {
        MessageBoxA(NULL,
                    "bench_engine.exe --media DIR [--lang CODE] "
                    "[--script FILE] [--dest DIR] [--group NAME] "
                    "[--common 0|1] [--all-users 0|1] [--version TEXT] "
                    "[--report FILE]",
                    "bench_engine", MB_OK);
        return 2;
    }
    SetSharedValues(&options);
    // Without a person to ask: a failed copy is passed over, as before.
    DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_INSTALL_PROGRESS), NULL,
                    InstallProgressProc, PROGRESS_IGNORES_FAILURES);
    if (options.report != NULL)
        WriteReport(options.report);
    return 0;
}

#include "startup/startup_config.h"

#include <string.h>

#include "core/script/answer_file.h"
#include "core/text/dbcs.h"
#include "core/text/path_join.h"
#include "common/setup_state.h"
#include "core/text/text_split.h"
#include "resources/resource.h"

int GetProgramDirectory(char *buffer, size_t size)
{
    if (size == 0)
        return 1;
    DWORD length = GetModuleFileNameA(NULL, buffer, (DWORD)size);
    // A name that did not fit is not terminated on every platform.
    if (length >= size)
        length = (DWORD)size - 1;
    buffer[length] = '\0';
    // The first character is never taken as the separator, so "\x.exe"
    // stays whole, as does a name without any backslash.
    char *separator = FindLastSeparator(buffer);
    if (separator != NULL && separator != buffer)
        *separator = '\0';
    return 1;
}

void GetLanguageListPath(char *buffer, size_t size)
{
    CopyText(buffer, size, g_programDirectory);
    AppendPath(buffer, size, "language.ini");
}

bool ReadLanguageListEntry(const char *listPath, int index,
                           LanguageEntry *entry)
{
    char key[16];
    char value[LIST_VALUE_SIZE];
    wsprintfA(key, "Lang%02d", index);
    GetPrivateProfileStringA("Language", key, "", value, sizeof(value),
                             listPath);
    if (value[0] == '\0')
        return false;
    SplitListValue(value, entry->name, sizeof(entry->name), entry->code,
                   sizeof(entry->code));
    return true;
}

static void BuildLanguagePath(char *buffer, size_t size, const char *file)
{
    CopyText(buffer, size, g_programDirectory);
    AppendPath(buffer, size, g_languageCode);
    AppendPath(buffer, size, file);
}

CommandLineOptions ReadCommandLineConfig(const char *commandLine)
{
    GetProgramDirectory(g_programDirectory, sizeof(g_programDirectory));
    CopyText(g_languageCode, sizeof(g_languageCode), "jpn");
    CommandLineOptions options =
        ParseCommandLine(commandLine, g_languageCode, sizeof(g_languageCode));
    g_noLicense = options.noLicense ? 1 : 0;
    g_recordAsked = options.recordGiven ? 1 : 0;
    // A name that may have been cut is no name: the box says so, rather
    // than the answers going to a file of another name.
    if (options.recordMayBeCut ||
        ResolveAnswerPath(options.recordFile, g_programDirectory, g_recordPath,
                          sizeof(g_recordPath)) != 1)
        g_recordPath[0] = '\0';
    return options;
}

void SetLanguageCode(const char *code)
{
    CopyText(g_languageCode, sizeof(g_languageCode), code);
}

void AskLanguage(HWND owner)
{
    char listPath[PATH_SIZE];
    char firstEntry[LIST_VALUE_SIZE];
    GetLanguageListPath(listPath, sizeof(listPath));
    GetPrivateProfileStringA("Language", "Lang00", "", firstEntry,
                             sizeof(firstEntry), listPath);
    if (firstEntry[0] == '\0')
        SetLanguageCode("");
    else
        DialogBoxParamA(g_instance, MAKEINTRESOURCEA(IDD_LANGUAGE), owner,
                        LanguageDialogProc, (LPARAM)g_languageCode);
}

int ReadStartupConfig(HWND owner, const char *commandLine)
{
    CommandLineOptions options = ReadCommandLineConfig(commandLine);
    if (!options.languageGiven)
        AskLanguage(owner);
    FixLanguagePaths();
    return 1;
}

void FixLanguagePaths()
{
    BuildLanguagePath(g_catalogPath, sizeof(g_catalogPath), "message.ini");
    BuildLanguagePath(g_licensePath, sizeof(g_licensePath), "license.txt");

    GetPrivateProfileStringA("TITLE", "TOVRIN", "", g_titleText,
                             sizeof(g_titleText), g_catalogPath);
    GetPrivateProfileStringA("TITLE", "COMPANY", "", g_companyText,
                             sizeof(g_companyText), g_catalogPath);
}

#include "checkmedia/check_media.h"

#include <stdio.h>
#include <string.h>

#include <vector>

#include "checkmedia/checked_read.h"
#include "checkmedia/checks.h"
#include "core/script/language_choice.h"
#include "core/setup_limits.h"
#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"
#include "core/text/ini_reader.h"
#include "core/text/text_split.h"

struct Language {
    std::string name;
    std::string code;
    int line;
};

// The dialog reads Lang00, Lang01, ... up to the first missing or empty
// one: an entry behind a gap can never be chosen.
static void ReportHiddenLanguages(const IniFile *list, int end,
                                  std::vector<std::string> *hidden,
                                  Report *report)
{
    for (int index = end + 1; index < 100; index++) {
        char key[LOG_KEY_SIZE];
        snprintf(key, sizeof(key), "Lang%02d", index);
        char value[LIST_VALUE_SIZE];
        int line = 0;
        ReadIniString(list->text.data(), list->text.size(), "Language", key,
                      "", value, sizeof(value), &line, NULL, list->codePage);
        if (value[0] == '\0')
            continue;
        char name[LIST_VALUE_SIZE];
        char code[LIST_VALUE_SIZE];
        SplitListValue(value, name, sizeof(name), code, sizeof(code),
                       list->codePage);
        hidden->push_back(name);
        AddFinding(report, list->file, line, SEVERITY_ERROR,
                       "%s (%s) is never read: the list ends at the missing "
                       "or empty Lang%02d, so it cannot be chosen",
                       key, name, end);
    }
}

// The language list: entries, their names and codes.
static std::vector<Language> CheckLanguageList(
    const IniFile *list, std::vector<std::string> *hidden, Report *report)
{
    std::vector<Language> languages;
    int index = 0;
    for (;; index++) {
        char key[LOG_KEY_SIZE];
        snprintf(key, sizeof(key), "Lang%02d", index);
        int line = 0;
        std::string value = ReadOptional(list, "Language", key,
                                         LIST_VALUE_SIZE, report, &line);
        if (value.empty())
            break;
        if (index == LANGUAGE_TABLE_ENTRIES)
            AddFinding(report, list->file, line, SEVERITY_ERROR,
                       "more than %d languages; the dialog lists %d",
                       LANGUAGE_TABLE_ENTRIES, LANGUAGE_TABLE_ENTRIES);
        // Split wide, to tell what the table's fields would cut.
        char name[LIST_VALUE_SIZE];
        char code[LIST_VALUE_SIZE];
        SplitListValue(value.c_str(), name, sizeof(name), code, sizeof(code),
                       list->codePage);
        if (code[0] == '\0')
            AddFinding(report, list->file, line, SEVERITY_ERROR,
                       "%s gives an empty language code (\"name;code\")",
                       key);
        if (strlen(name) + 1 > (size_t)LANGUAGE_NAME_SIZE)
            AddFinding(report, list->file, line, SEVERITY_ERROR,
                       "display name of %zu characters; the dialog keeps %d",
                       strlen(name), LANGUAGE_NAME_SIZE - 1);
        if (strlen(code) + 1 > (size_t)LANGUAGE_TABLE_CODE_SIZE)
            AddFinding(report, list->file, line, SEVERITY_ERROR,
                       "language code of %zu characters; the dialog keeps %d",
                       strlen(code), LANGUAGE_TABLE_CODE_SIZE - 1);
        if (index < LANGUAGE_TABLE_ENTRIES && code[0] != '\0')
            languages.push_back(Language{name, code, line});
    }
    ReportHiddenLanguages(list, index, hidden, report);
    return languages;
}

// The dialog's collation is the system's; whether anything is preselected
// does not depend on it.
static int ByFoldedBytes(const char *a, const char *b)
{
    return CompareAsciiNoCase(a, b);
}

// [Language] Default, as the dialog preselects with it.
static void CheckDefaultLanguage(const IniFile *list,
                                 const std::vector<Language> &languages,
                                 const std::vector<std::string> &hidden,
                                 Report *report)
{
    int line = 0;
    std::string preset = ReadOptional(list, "Language", "Default",
                                      LIST_VALUE_SIZE, report, &line);
    if (line == 0)
        return;
    std::vector<const char *> names;
    for (const Language &language : languages)
        names.push_back(language.name.c_str());
    if (FindDefaultLanguage(names.data(), (int)names.size(), preset.c_str(),
                            ByFoldedBytes, list->codePage) >= 0)
        return;
    std::vector<const char *> hiddenNames;
    for (const std::string &name : hidden)
        hiddenNames.push_back(name.c_str());
    bool behindGap =
        FindDefaultLanguage(hiddenNames.data(), (int)hiddenNames.size(),
                            preset.c_str(), ByFoldedBytes,
                            list->codePage) >= 0;
    AddFinding(report, list->file, line, SEVERITY_WARNING,
               behindGap ? "Default \"%s\" begins only a name behind the "
                           "gap in the list: nothing is preselected and OK "
                           "stays disabled"
                         : "Default \"%s\" begins no display name: nothing "
                           "is preselected and OK stays disabled",
               preset.c_str());
}

// The folder of a language and its three files.
static void CheckLanguage(const MediaIndex *index, const Language &language,
                          const std::string &listFile, int systemCodePage,
                          MediaSources *sources, Report *report)
{
    std::string folder = language.code;
    std::string actual;
    if (!folder.empty() &&
        !FindMediaPath(index, folder, systemCodePage, &actual)) {
        AddFinding(report, listFile, language.line, SEVERITY_ERROR,
                   "no folder %s for the language %s", folder.c_str(),
                   language.name.c_str());
        return;
    }
    LanguageFiles files;
    // Named in the system's code page, written in the language's.
    ReadMediaFile(index, folder + "/message.ini", systemCodePage,
                  &files.catalog);
    ReadMediaFile(index, folder + "/license.txt", systemCodePage,
                  &files.license);
    ReadMediaFile(index, folder + "/copy_ns.ini", systemCodePage,
                  &files.script);
    files.code = language.code;
    files.sources = sources;
    files.codePage = LanguageCodePage(index, language.code, systemCodePage);
    IniFile *all[] = {&files.catalog, &files.license, &files.script};
    bool complete = true;
    for (IniFile *file : all) {
        file->codePage = files.codePage;
        if (!file->present) {
            // Without a language list there is no line to point at.
            if (language.line > 0)
                AddFinding(report, listFile, language.line, SEVERITY_ERROR,
                           "%s is missing", file->file.c_str());
            else
                AddFinding(report, file->file, 0, SEVERITY_ERROR,
                           "missing from the media folder");
            complete = false;
        }
    }
    if (complete || files.catalog.present || files.script.present)
        CheckLanguageFiles(index, &files, report);
}

// The checksum list: written, or held against the media.
static void CheckSumList(const MediaIndex *index, const MediaSources &sources,
                         bool anyShiftJis, bool writeSums, Report *report)
{
    if (writeSums)
        WriteMediaSumList(index, sources, report);
    else
        CheckMediaSumList(index, sources, anyShiftJis ? 932 : 1252, report);
}

void CheckMedia(const std::string &mediaFolder, Report *report,
                bool writeSums)
{
    MediaIndex index;
    if (!IndexMedia(mediaFolder, &index, report))
        return;
    int systemCodePage = GetSystemCodePage();
    std::string probe;
    if (!FindMediaPath(&index, "ACLPROBE.DLL", systemCodePage, &probe) ||
        index.isFolder.at(probe))
        AddFinding(report, "ACLPROBE.DLL", 0, SEVERITY_ERROR,
                   "missing beside setup.exe: on the NT family every "
                   "shortcut then goes to the installing user only, and a "
                   "running file utility is not looked for");
    IniFile list;
    std::vector<Language> languages;
    std::vector<std::string> hidden;
    if (ReadMediaFile(&index, "language.ini", systemCodePage, &list))
        languages = CheckLanguageList(&list, &hidden, report);
    // Without a list the files lie in the media folder itself.
    if (languages.empty())
        languages.push_back(Language{"", "", 0});
    bool anyShiftJis = false;
    MediaSources sources;
    for (const Language &language : languages) {
        CheckLanguage(&index, language, list.file, systemCodePage, &sources,
                      report);
        anyShiftJis = anyShiftJis ||
                      LanguageCodePage(&index, language.code,
                                       systemCodePage) == 932;
    }
    CheckSumList(&index, sources, anyShiftJis, writeSums, report);
    if (!list.present)
        return;
    // The display names are shown in the system's code page, which is
    // Shift-JIS where a Japanese medium is meant to be used.
    if (anyShiftJis)
        list.codePage = 932;
    CheckIniShape(&list, report);
    CheckNotUtf8(&list, SEVERITY_WARNING, report);
    if (languages.front().line == 0)
        AddFinding(report, list.file, 0, SEVERITY_WARNING,
                   "no [Language] Lang00: setup reads the catalog, "
                   "licence and install script from the media folder");
    else
        CheckDefaultLanguage(&list, languages, hidden, report);
    if (anyShiftJis)
        CheckShiftJisText(&list, report);
}

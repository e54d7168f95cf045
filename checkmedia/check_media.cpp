#include "checkmedia/check_media.h"

#include <stdio.h>
#include <string.h>

#include <set>
#include <vector>

#include "checkmedia/checks.h"
#include "core/text/dbcs.h"
#include "core/text/ini_reader.h"
#include "core/text/path_join.h"
#include "core/setup_limits.h"
#include "core/text/text_split.h"

std::string ReadChecked(const IniFile *ini, const char *section,
                        const char *key, const char *defaultValue,
                        size_t size, Severity missing, bool reportMissing,
                        Report *report, int *line)
{
    std::vector<char> buffer(size);
    int found = 0;
    size_t full = 0;
    ReadIniString(ini->text.data(), ini->text.size(), section, key,
                  defaultValue, buffer.data(), size, &found, &full);
    if (line != NULL)
        *line = found;
    if (found == 0 && reportMissing) {
        // Pointed at the section when there is one, for the editor.
        IniLine header;
        int where = FindIniSection(ini->text.data(), ini->text.size(),
                                   section, &header)
                        ? header.number
                        : 0;
        AddFinding(report, ini->file, where, missing, "[%s] %s is missing",
                   section, key);
    }
    if (found != 0 && full + 1 > size)
        AddFinding(report, ini->file, found, SEVERITY_ERROR,
                   "[%s] %s has %zu characters; setup reads %zu and cuts "
                   "the rest",
                   section, key, full, size - 1);
    return buffer.data();
}

struct Language {
    std::string name;
    std::string code;
    int line;
};

// The language list: entries, their names and codes, and Default.
static std::vector<Language> CheckLanguageList(const IniFile *list,
                                               Report *report)
{
    std::vector<Language> languages;
    for (int index = 0;; index++) {
        char key[16];
        snprintf(key, sizeof(key), "Lang%02d", index);
        int line = 0;
        std::string value = ReadChecked(list, "Language", key, "",
                                        LIST_VALUE_SIZE, SEVERITY_ERROR,
                                        false, report, &line);
        if (value.empty())
            break;
        if (index == LANGUAGE_TABLE_ENTRIES)
            AddFinding(report, list->file, line, SEVERITY_ERROR,
                       "more than %d languages; the dialog lists %d",
                       LANGUAGE_TABLE_ENTRIES, LANGUAGE_TABLE_ENTRIES);
        // Split wide, to tell what the table's fields would cut.
        char name[LIST_VALUE_SIZE];
        char code[LIST_VALUE_SIZE];
        SplitListValue(value.c_str(), name, sizeof(name), code, sizeof(code));
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
    int line = 0;
    std::string preset = ReadChecked(list, "Language", "Default", "",
                                     LIST_VALUE_SIZE, SEVERITY_WARNING, false,
                                     report, &line);
    if (line == 0)
        return languages;
    bool matched = false;
    for (const Language &language : languages) {
        matched = matched ||
                  IniNameEquals(language.name.c_str(),
                                preset.size() < language.name.size()
                                    ? preset.size()
                                    : language.name.size(),
                                preset.c_str());
    }
    if (!matched)
        AddFinding(report, list->file, line, SEVERITY_WARNING,
                   "Default \"%s\" begins no display name: nothing is "
                   "preselected and OK stays disabled",
                   preset.c_str());
    return languages;
}

// The folder of a language and its three files.
static void CheckLanguage(const MediaIndex *index, const Language &language,
                          const std::string &listFile, Report *report)
{
    std::string folder = language.code;
    std::string actual;
    if (!folder.empty() && !FindMediaPath(index, folder, &actual)) {
        AddFinding(report, listFile, language.line, SEVERITY_ERROR,
                   "no folder %s for the language %s", folder.c_str(),
                   language.name.c_str());
        return;
    }
    LanguageFiles files;
    ReadMediaFile(index, folder + "/message.ini", &files.catalog);
    ReadMediaFile(index, folder + "/license.txt", &files.license);
    ReadMediaFile(index, folder + "/copy_ns.ini", &files.script);
    files.code = language.code;
    const IniFile *all[] = {&files.catalog, &files.license, &files.script};
    bool complete = true;
    for (const IniFile *file : all) {
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

void CheckMedia(const std::string &mediaFolder, Report *report)
{
    MediaIndex index;
    SetDbcsCodePage(0);
    if (!IndexMedia(mediaFolder, &index, report))
        return;
    IniFile list;
    std::vector<Language> languages;
    if (ReadMediaFile(&index, "language.ini", &list)) {
        CheckIniShape(&list, report);
        languages = CheckLanguageList(&list, report);
        if (languages.empty())
            AddFinding(report, list.file, 0, SEVERITY_WARNING,
                       "no [Language] Lang00: setup reads the catalog, "
                       "licence and install script from the media folder");
    }
    // Without a list the files lie in the media folder itself.
    if (languages.empty())
        languages.push_back(Language{"", "", 0});
    bool anyShiftJis = false;
    for (const Language &language : languages) {
        CheckLanguage(&index, language, list.file, report);
        anyShiftJis = anyShiftJis || UsesShiftJis(&index, language.code);
    }
    // The display names are shown in the system's code page.
    if (list.present && anyShiftJis) {
        SetDbcsCodePage(932);
        CheckShiftJisText(&list, report);
    }
    SetDbcsCodePage(0);
}

// What the parts of the checker share.
#pragma once

#include <string>

#include "checkmedia/media_index.h"
#include "checkmedia/report.h"

struct LanguageFiles {
    std::string code;
    IniFile catalog;
    IniFile license;
    IniFile script;
};

// Reads [section] key of an INI file as setup does, into size bytes, and
// reports a value longer than setup reads and (when reportMissing) a
// missing key with the given severity. *line (may be NULL) gets the
// entry's line, 0 when missing. Returns the value as setup has it.
std::string ReadChecked(const IniFile *ini, const char *section,
                        const char *key, const char *defaultValue,
                        size_t size, Severity missing, bool reportMissing,
                        Report *report, int *line);

// True when the language's catalog asks for Shift-JIS ([FONT] Standard
// with the SHIFTJIS character set) or the language is "jpn".
bool UsesShiftJis(const MediaIndex *index, const std::string &code);

// The catalog, licence and install script of one language, in its code
// page.
void CheckLanguageFiles(const MediaIndex *index, const LanguageFiles *files,
                        Report *report);

void CheckCatalog(const MediaIndex *index, const IniFile *catalog,
                  Report *report);
void CheckInstallScript(const MediaIndex *index, const LanguageFiles *files,
                        Report *report);

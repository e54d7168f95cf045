// What the parts of the checker share.
#pragma once

#include <string>

#include "checkmedia/media_index.h"
#include "checkmedia/report.h"

struct LanguageFiles {
    std::string code;
    int codePage;       // the language's: its texts are read in it
    IniFile catalog;
    IniFile license;
    IniFile script;
};

// 932 when the language's catalog asks for Shift-JIS ([FONT] Standard
// with the SHIFTJIS character set) or the language is "jpn", else 1252.
// systemCodePage: the one the catalog's path is named in.
int LanguageCodePage(const MediaIndex *index, const std::string &code,
                     int systemCodePage);

// The catalog, licence and install script of one language, in its code
// page.
void CheckLanguageFiles(const MediaIndex *index, const LanguageFiles *files,
                        Report *report);

void CheckCatalog(const MediaIndex *index, const IniFile *catalog,
                  Report *report);
void CheckInstallScript(const MediaIndex *index, const LanguageFiles *files,
                        Report *report);

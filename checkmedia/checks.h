// What the parts of the checker share.
#pragma once

#include <map>
#include <string>

#include "checkmedia/media_index.h"
#include "checkmedia/report.h"

// A file of the media that an install script copies.
struct MediaSource {
    std::string path;     // as setup forms it: relative, "\" between names,
                          // in the script's code page
    std::string actual;   // relative host path, "/" between names
    std::string script;   // the first script that copies it, and the line
    int line;
    int codePage;         // of that script
};

// By actual host path: a file two scripts copy is listed once.
typedef std::map<std::string, MediaSource> MediaSources;

struct LanguageFiles {
    std::string code;
    int codePage;       // the language's: its texts are read in it
    IniFile catalog;
    IniFile license;
    IniFile script;
    MediaSources *sources;   // gets the files the script copies
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

// MEDIA.SUM written into the media folder: every file the scripts copy
// from the media, with its size and SHA-256. A failure is a finding.
void WriteMediaSumList(const MediaIndex *index, const MediaSources &sources,
                       Report *report);

// MEDIA.SUM, when the media hold one, against the media: a damaged list,
// a listed file missing or changed, a copied file the list lacks.
void CheckMediaSumList(const MediaIndex *index, const MediaSources &sources,
                       int codePage, Report *report);

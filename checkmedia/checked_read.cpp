#include "checkmedia/checked_read.h"

#include <vector>

#include "core/text/ini_reader.h"

std::string ReadOptional(const IniFile *ini, const char *section,
                         const char *key, size_t size, Report *report,
                         int *line)
{
    std::vector<char> buffer(size);
    int found = 0;
    size_t full = 0;
    ReadIniString(ini->text.data(), ini->text.size(), section, key, "",
                  buffer.data(), size, &found, &full, ini->codePage);
    if (line != NULL)
        *line = found;
    if (found != 0 && full + 1 > size)
        AddFinding(report, ini->file, found, SEVERITY_ERROR,
                   "[%s] %s has %zu characters; setup reads %zu and cuts "
                   "the rest",
                   section, key, full, size - 1);
    return buffer.data();
}

std::string ReadRequired(const IniFile *ini, const char *section,
                         const char *key, size_t size, Severity missing,
                         Report *report, int *line)
{
    int found = 0;
    std::string value = ReadOptional(ini, section, key, size, report, &found);
    if (line != NULL)
        *line = found;
    if (found != 0)
        return value;
    IniLine header;
    int where = FindIniSection(ini->text.data(), ini->text.size(), section,
                               &header, ini->codePage)
                    ? header.number
                    : 0;
    AddFinding(report, ini->file, where, missing, "[%s] %s is missing",
               section, key);
    return value;
}

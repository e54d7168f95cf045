// The findings of one check of a media folder, printed as compilers print
// theirs ("FILE:LINE: error: text") so that editors can jump to them.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

enum Severity { SEVERITY_WARNING, SEVERITY_ERROR };

struct Finding {
    std::string file;   // relative to the media folder, "/" between names
    int line;           // from 1; 0: the file as a whole
    Severity severity;
    std::string text;
};

struct Report {
    std::vector<Finding> findings;
};

// MinGW's C++ library formats with its own printf, which knows %zu.
#ifdef __MINGW32__
#define FINDING_PRINTF gnu_printf
#else
#define FINDING_PRINTF printf
#endif

void AddFinding(Report *report, const std::string &file, int line,
                Severity severity, const char *format, ...)
    __attribute__((format(FINDING_PRINTF, 5, 6)));

int CountFindings(const Report *report, Severity severity);

// One line per finding, the file joined onto mediaFolder, then the count.
void PrintReport(FILE *out, const Report *report, const char *mediaFolder);

// 0 without errors (with strict, without warnings either), else 1.
int ReportExitCode(const Report *report, bool strict);

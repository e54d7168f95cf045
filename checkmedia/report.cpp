#include "checkmedia/report.h"

#include <stdarg.h>

void AddFinding(Report *report, const std::string &file, int line,
                Severity severity, const char *format, ...)
{
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof(text), format, arguments);
    va_end(arguments);
    report->findings.push_back(Finding{file, line, severity, text});
}

int CountFindings(const Report *report, Severity severity)
{
    int count = 0;
    for (const Finding &finding : report->findings)
        count += finding.severity == severity ? 1 : 0;
    return count;
}

void PrintReport(FILE *out, const Report *report, const char *mediaFolder)
{
    std::string base = mediaFolder;
    if (!base.empty() && base.back() != '/' && base.back() != '\\')
        base += '/';
    for (const Finding &finding : report->findings) {
        const char *kind =
            finding.severity == SEVERITY_ERROR ? "error" : "warning";
        if (finding.line > 0)
            fprintf(out, "%s%s:%d: %s: %s\n", base.c_str(),
                    finding.file.c_str(), finding.line, kind,
                    finding.text.c_str());
        else
            fprintf(out, "%s%s: %s: %s\n", base.c_str(), finding.file.c_str(),
                    kind, finding.text.c_str());
    }
    fprintf(out, "%d error(s), %d warning(s)\n",
            CountFindings(report, SEVERITY_ERROR),
            CountFindings(report, SEVERITY_WARNING));
}

int ReportExitCode(const Report *report, bool strict)
{
    if (CountFindings(report, SEVERITY_ERROR) > 0)
        return 1;
    if (strict && CountFindings(report, SEVERITY_WARNING) > 0)
        return 1;
    return 0;
}

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

// The system's own separator, so that the printed path opens there.
#ifdef _WIN32
static const char kSeparator = '\\';
#else
static const char kSeparator = '/';
#endif

static std::string HostPath(const std::string &base, const std::string &file)
{
    std::string path = base;
    if (!path.empty() && !file.empty() && path.back() != kSeparator)
        path += kSeparator;
    for (char c : file)
        path += c == '/' ? kSeparator : c;
    return path;
}

void PrintReport(FILE *out, const Report *report, const char *mediaFolder)
{
    for (const Finding &finding : report->findings) {
        std::string path = HostPath(mediaFolder, finding.file);
        const char *kind =
            finding.severity == SEVERITY_ERROR ? "error" : "warning";
        if (finding.line > 0)
            fprintf(out, "%s:%d: %s: %s\n", path.c_str(), finding.line,
                    kind, finding.text.c_str());
        else
            fprintf(out, "%s: %s: %s\n", path.c_str(), kind,
                    finding.text.c_str());
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

#include "checkmedia/media_index.h"

#include <string.h>

#include <algorithm>
#include <vector>

#include "checkmedia/media_folder.h"
#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"
#include "core/text/ini_reader.h"

// Joliet keeps 64 characters of a name; ISO 9660 nests folders 8 levels
// deep, the root being the first.
static const size_t kJolietNameMax = 64;
static const int kIsoFolderLevels = 8;
// The Windows 95 profile service reads 64 KB of a file and hands out a
// section of at most 32 KB in one read.
static const size_t kWin95ProfileFileMax = 65535;
static const size_t kWin95SectionMax = 32767;

std::string FoldMediaPath(const std::string &relative, int codePage)
{
    std::string folded;
    std::string name;
    const char *p = relative.c_str();
    while (true) {
        if (*p == '\0' || *p == '\\' || *p == '/') {
            if (!name.empty() && name != ".") {
                if (!folded.empty())
                    folded += '/';
                LowerAsciiText(&name[0], codePage);
                folded += name;
            }
            name.clear();
            if (*p == '\0')
                break;
            p++;
            continue;
        }
        const char *next = NextChar(p, codePage);
        name.append(p, (size_t)(next - p));
        p = next;
    }
    return folded;
}

// Folded for both code pages a path may be named in.
static std::string FoldBoth(const std::string &relative)
{
    return FoldMediaPath(relative, 932) + '\0' +
           FoldMediaPath(relative, 1252);
}

// Valid UTF-8 throughout (no overlong form, surrogate or code above
// U+10FFFF): true, with the UTF-16 units it makes and whether any
// character took more than one byte.
static bool MeasureUtf8(const unsigned char *p, const unsigned char *end,
                        size_t *units, bool *multiByte)
{
    *units = 0;
    *multiByte = false;
    while (p < end) {
        unsigned char c = *p;
        int length = c < 0x80 ? 1 : c >= 0xC2 && c <= 0xDF ? 2
                                : c >= 0xE0 && c <= 0xEF   ? 3
                                : c >= 0xF0 && c <= 0xF4   ? 4
                                                           : 0;
        if (length == 0 || end - p < length)
            return false;
        unsigned long code = length == 1 ? c : c & (0x7F >> length);
        for (int i = 1; i < length; i++) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
            code = code << 6 | (p[i] & 0x3F);
        }
        static const unsigned long kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kLeast[length] || code > 0x10FFFF ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        *units += code > 0xFFFF ? 2 : 1;
        *multiByte = *multiByte || length > 1;
        p += length;
    }
    return true;
}

static bool IsValidShiftJis(const std::string &text);

// A name's length as a Joliet CD counts it, in UTF-16 characters: the
// name read as UTF-8 when it is that, else as Shift-JIS when it is that,
// else one character a byte.
static size_t CountNameChars(const std::string &name)
{
    const unsigned char *p = (const unsigned char *)name.data();
    size_t units = 0;
    bool multiByte = false;
    if (MeasureUtf8(p, p + name.size(), &units, &multiByte))
        return units;
    if (IsValidShiftJis(name))
        return CountChars(name.c_str(), 932);
    return name.size();
}

static bool ByName(const FolderEntry &a, const FolderEntry &b)
{
    return a.name < b.name;
}

// Where the media were made on a host that names files in UTF-8 (every
// Linux tool does), a name in raw bytes of another code page does not
// reach the CD as setup names it.
static void CheckHostName(const std::string &path, const std::string &name,
                          Report *report)
{
#ifndef _WIN32
    size_t units = 0;
    bool multiByte = false;
    const unsigned char *p = (const unsigned char *)name.data();
    if (!MeasureUtf8(p, p + name.size(), &units, &multiByte))
        AddFinding(report, path, 0, SEVERITY_ERROR,
                   "the name is not UTF-8, as this machine names files: "
                   "raw bytes of another code page do not reach the CD as "
                   "setup names them; name it in UTF-8");
#else
    (void)path, (void)name, (void)report;
#endif
}

// A relative path as setup names it in one code page, "/" between names;
// unnamed when a name on the way has no form in it.
struct NamedPath {
    std::string path;
    bool named;
};

static NamedPath JoinInCodePage(const NamedPath &relative,
                                const std::string &name, int codePage)
{
    std::string converted;
    bool named = HostNameInCodePage(name, codePage, &converted);
    return NamedPath{relative.path.empty() ? converted
                                           : relative.path + "/" + converted,
                     relative.named && named};
}

static void Walk(MediaIndex *index, const std::string &relative,
                 const NamedPath &shiftJisRelative,
                 const NamedPath &westernRelative, int level, Report *report)
{
    std::vector<FolderEntry> entries;
    if (!ListFolder(JoinHostPath(index->root, relative), &entries))
        return;
    // In a fixed order, so that a case twin is always reported alike.
    std::sort(entries.begin(), entries.end(), ByName);
    std::map<std::string, std::string> seen;   // folded name -> name
    for (const FolderEntry &entry : entries) {
        std::string path =
            relative.empty() ? entry.name : relative + "/" + entry.name;
        // Named as setup will name them: in each code page.
        NamedPath shiftJisPath =
            JoinInCodePage(shiftJisRelative, entry.name, 932);
        NamedPath westernPath =
            JoinInCodePage(westernRelative, entry.name, 1252);
        if (shiftJisPath.named)
            index->shiftJisPaths[FoldMediaPath(shiftJisPath.path, 932)] = path;
        if (westernPath.named)
            index->paths[FoldMediaPath(westernPath.path, 1252)] = path;
        CheckHostName(path, entry.name, report);
        index->isFolder[path] = entry.isFolder;
        auto twin = seen.insert(std::make_pair(FoldBoth(entry.name),
                                               entry.name));
        if (!twin.second)
            AddFinding(report, path, 0, SEVERITY_ERROR,
                       "differs from %s only in case: a CD keeps one of "
                       "them",
                       twin.first->second.c_str());
        size_t length = CountNameChars(entry.name);
        if (length > kJolietNameMax)
            AddFinding(report, path, 0, SEVERITY_ERROR,
                       "name of %zu characters; a Joliet CD keeps %zu",
                       length, kJolietNameMax);
        if (entry.isFolder && level + 1 > kIsoFolderLevels)
            AddFinding(report, path, 0, SEVERITY_ERROR,
                       "folder nested %d levels deep; ISO 9660 allows %d",
                       level + 1, kIsoFolderLevels);
        if (entry.isFolder)
            Walk(index, path, shiftJisPath, westernPath, level + 1, report);
    }
}

bool IndexMedia(const std::string &root, MediaIndex *index, Report *report)
{
    index->root = root;
    index->paths.clear();
    index->shiftJisPaths.clear();
    index->isFolder.clear();
    std::vector<FolderEntry> probe;
    if (!ListFolder(root, &probe)) {
        AddFinding(report, "", 0, SEVERITY_ERROR,
                   "the media folder cannot be read");
        return false;
    }
    NamedPath top = {"", true};
    Walk(index, "", top, top, 1, report);
    return true;
}

bool FindMediaPath(const MediaIndex *index, const std::string &relative,
                   int codePage, std::string *actual)
{
    const std::map<std::string, std::string> &paths =
        codePage == 932 ? index->shiftJisPaths : index->paths;
    auto found = paths.find(FoldMediaPath(relative, codePage));
    if (found == paths.end())
        return false;
    *actual = found->second;
    return true;
}

bool ReadMediaFile(const MediaIndex *index, const std::string &relative,
                   int codePage, IniFile *ini)
{
    std::string actual;
    ini->codePage = codePage;
    ini->present = FindMediaPath(index, relative, codePage, &actual) &&
                   !index->isFolder.at(actual) &&
                   ReadWholeFile(JoinHostPath(index->root, actual),
                                 &ini->text);
    ini->file = ini->present ? actual : FoldMediaPath(relative, codePage);
    if (!ini->present)
        ini->text.clear();
    return ini->present;
}

static bool StartsWith(const std::string &text, const char *prefix)
{
    return text.compare(0, strlen(prefix), prefix) == 0;
}

struct SectionSeen {
    std::string folded;
    int line;
};

static std::string FoldName(const char *name, size_t length, int codePage)
{
    std::string folded(name, length);
    LowerAsciiText(&folded[0], codePage);
    return folded;
}

static void ReportSectionSize(const IniFile *ini, const SectionSeen &section,
                              size_t bytes, Report *report)
{
    if (section.line > 0 && bytes + 1 > kWin95SectionMax)
        AddFinding(report, ini->file, section.line, SEVERITY_WARNING,
                   "section of %zu bytes; Windows 95 reads at most %zu of "
                   "a section in one go",
                   bytes + 1, kWin95SectionMax);
}

void CheckIniShape(const IniFile *ini, Report *report)
{
    const std::string &text = ini->text;
    if (text.size() > kWin95ProfileFileMax)
        AddFinding(report, ini->file, 0, SEVERITY_ERROR,
                   "file of %zu bytes; Windows 95 reads only the first %zu",
                   text.size(), kWin95ProfileFileMax);
    bool byteOrderMark = StartsWith(text, "\xEF\xBB\xBF") ||
                         StartsWith(text, "\xFF\xFE") ||
                         StartsWith(text, "\xFE\xFF");
    if (byteOrderMark)
        AddFinding(report, ini->file, 1, SEVERITY_ERROR,
                   "byte-order mark: the profile service reads the file as "
                   "Unicode, not in the ANSI code page");

    std::vector<SectionSeen> sections;
    std::vector<std::pair<std::string, int>> keys;   // of the current one
    bool repeatedSection = false;
    SectionSeen current = {"", 0};
    size_t sectionBytes = 0;
    IniCursor cursor;
    StartIniLines(&cursor, text.data(), text.size(), ini->codePage);
    IniLine line;
    while (NextIniLine(&cursor, &line)) {
        if (line.kind == INI_SECTION) {
            ReportSectionSize(ini, current, sectionBytes, report);
            current = SectionSeen{FoldName(line.name, line.nameLength,
                                           ini->codePage),
                                  line.number};
            sectionBytes = 0;
            keys.clear();
            repeatedSection = false;
            for (const SectionSeen &seen : sections) {
                if (seen.folded == current.folded) {
                    AddFinding(report, ini->file, line.number,
                               SEVERITY_ERROR,
                               "section [%.*s] repeats line %d; setup reads "
                               "only the first, and what this one holds is "
                               "lost",
                               (int)line.nameLength, line.name, seen.line);
                    repeatedSection = true;
                    break;
                }
            }
            sections.push_back(current);
            continue;
        }
        if (line.kind != INI_ENTRY)
            continue;
        sectionBytes += line.nameLength + 1 +
                        (line.value != NULL ? line.valueLength + 1 : 0);
        if (line.name[0] == ';' || repeatedSection)
            continue;
        // The mark is reported already; it is what spoils the first line.
        if (line.value == NULL && !(byteOrderMark && line.number == 1)) {
            AddFinding(report, ini->file, line.number, SEVERITY_WARNING,
                       "line without \"=\": setup reads it as a key without "
                       "a value");
            continue;
        }
        if (line.value == NULL)
            continue;
        std::string key =
            FoldName(line.name, line.nameLength, ini->codePage);
        for (const auto &seen : keys) {
            if (seen.first == key) {
                AddFinding(report, ini->file, line.number, SEVERITY_WARNING,
                           "key %.*s repeats line %d; setup reads only the "
                           "first",
                           (int)line.nameLength, line.name, seen.second);
                break;
            }
        }
        keys.push_back(std::make_pair(key, line.number));
    }
    ReportSectionSize(ini, current, sectionBytes, report);
}

// Length of the valid Shift-JIS character at p (1 or 2), or 0.
static int ShiftJisCharLength(const unsigned char *p, const unsigned char *end)
{
    unsigned char c = p[0];
    if (c < 0x80 || (c >= 0xA1 && c <= 0xDF))
        return 1;
    bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (!lead || p + 1 >= end)
        return 0;
    unsigned char t = p[1];
    bool trail = (t >= 0x40 && t <= 0x7E) || (t >= 0x80 && t <= 0xFC);
    return trail ? 2 : 0;
}

void CheckShiftJisText(const IniFile *file, Report *report)
{
    const unsigned char *p = (const unsigned char *)file->text.data();
    const unsigned char *end = p + file->text.size();
    int number = 1;
    const unsigned char *lineStart = p;
    int reportedLine = 0;
    while (p < end) {
        if (*p == '\n' || (*p == '\r' && !(p + 1 < end && p[1] == '\n'))) {
            number++;
            p++;
            lineStart = p;
            continue;
        }
        int length = ShiftJisCharLength(p, end);
        if (length == 0) {
            if (reportedLine != number)
                AddFinding(report, file->file, number, SEVERITY_ERROR,
                           "byte 0x%02X at column %d is not valid Shift-JIS "
                           "text",
                           *p, (int)(p - lineStart) + 1);
            reportedLine = number;
            length = 1;
        }
        p += length;
    }
}

static bool IsValidShiftJis(const std::string &text)
{
    const unsigned char *p = (const unsigned char *)text.data();
    const unsigned char *end = p + text.size();
    while (p < end) {
        int length = ShiftJisCharLength(p, end);
        if (length == 0)
            return false;
        p += length;
    }
    return true;
}

void CheckNotUtf8(const IniFile *file, Severity severity, Report *report)
{
    const unsigned char *p = (const unsigned char *)file->text.data();
    const unsigned char *end = p + file->text.size();
    // A byte-order mark is reported as such already.
    if (StartsWith(file->text, "\xEF\xBB\xBF"))
        p += 3;
    size_t units = 0;
    bool multiByte = false;
    if (MeasureUtf8(p, end, &units, &multiByte) && multiByte)
        AddFinding(report, file->file, 0, severity,
                   "the text is UTF-8 with multi-byte characters; setup "
                   "reads it in the ANSI code page, where they come out "
                   "garbled: save it as %s",
                   file->codePage == 932 ? "Shift-JIS" : "Windows-1252");
}

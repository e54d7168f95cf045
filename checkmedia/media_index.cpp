#include "checkmedia/media_index.h"

#include <string.h>

#include <vector>

#include "checkmedia/media_folder.h"
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

std::string FoldMediaPath(const std::string &relative)
{
    std::string folded;
    std::string name;
    const char *p = relative.c_str();
    while (true) {
        if (*p == '\0' || *p == '\\' || *p == '/') {
            if (!name.empty() && name != ".") {
                if (!folded.empty())
                    folded += '/';
                folded += name;
            }
            name.clear();
            if (*p == '\0')
                break;
            p++;
            continue;
        }
        const char *next = NextChar(p);
        if (next - p == 1 && *p >= 'A' && *p <= 'Z')
            name += (char)(*p - 'A' + 'a');
        else
            name.append(p, (size_t)(next - p));
        p = next;
    }
    return folded;
}

static void Walk(MediaIndex *index, const std::string &relative, int level,
                 Report *report)
{
    std::vector<FolderEntry> entries;
    if (!ListFolder(JoinHostPath(index->root, relative), &entries))
        return;
    for (const FolderEntry &entry : entries) {
        std::string path =
            relative.empty() ? entry.name : relative + "/" + entry.name;
        int codePage = GetDbcsCodePage();
        SetDbcsCodePage(932);
        index->shiftJisPaths[FoldMediaPath(path)] = path;
        SetDbcsCodePage(1252);
        index->paths[FoldMediaPath(path)] = path;
        SetDbcsCodePage(codePage);
        index->isFolder[path] = entry.isFolder;
        if (entry.name.size() > kJolietNameMax)
            AddFinding(report, path, 0, SEVERITY_ERROR,
                       "name of %zu characters; a Joliet CD keeps %zu",
                       entry.name.size(), kJolietNameMax);
        if (entry.isFolder && level + 1 > kIsoFolderLevels)
            AddFinding(report, path, 0, SEVERITY_ERROR,
                       "folder nested %d levels deep; ISO 9660 allows %d",
                       level + 1, kIsoFolderLevels);
        if (entry.isFolder)
            Walk(index, path, level + 1, report);
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
    Walk(index, "", 1, report);
    return true;
}

bool FindMediaPath(const MediaIndex *index, const std::string &relative,
                   std::string *actual)
{
    const std::map<std::string, std::string> &paths =
        GetDbcsCodePage() == 932 ? index->shiftJisPaths : index->paths;
    auto found = paths.find(FoldMediaPath(relative));
    if (found == paths.end())
        return false;
    *actual = found->second;
    return true;
}

bool ReadMediaFile(const MediaIndex *index, const std::string &relative,
                   IniFile *ini)
{
    std::string actual;
    ini->present = FindMediaPath(index, relative, &actual) &&
                   !index->isFolder.at(actual) &&
                   ReadWholeFile(JoinHostPath(index->root, actual),
                                 &ini->text);
    ini->file = ini->present ? actual : FoldMediaPath(relative);
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

static std::string FoldName(const char *name, size_t length)
{
    std::string folded(name, length);
    for (char &c : folded)
        c = (c >= 'A' && c <= 'Z') ? (char)(c - 'A' + 'a') : c;
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
    StartIniLines(&cursor, text.data(), text.size());
    IniLine line;
    while (NextIniLine(&cursor, &line)) {
        if (line.kind == INI_SECTION) {
            ReportSectionSize(ini, current, sectionBytes, report);
            current = SectionSeen{FoldName(line.name, line.nameLength),
                                  line.number};
            sectionBytes = 0;
            keys.clear();
            repeatedSection = false;
            for (const SectionSeen &seen : sections) {
                if (seen.folded == current.folded) {
                    AddFinding(report, ini->file, line.number,
                               SEVERITY_WARNING,
                               "section [%.*s] repeats line %d; setup reads "
                               "only the first",
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
        std::string key = FoldName(line.name, line.nameLength);
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

#include "install/file_copy.h"

#include <commctrl.h>
#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include "common/dbcs.h"
#include "common/folders.h"
#include "common/path_join.h"
#include "common/setup_state.h"
#include "install/script_entry.h"

// A numbered list of one log section and the next number it hands out.
// New values go behind the entries that earlier sections or earlier
// installations into the same log left.
struct LogNumbering {
    const char *logPath;   // empty: no log is kept
    char section[LOG_SECTION_SIZE];
    LogList list;
    int next;
};

// The per-key scan as the log format defines it: keys from 0 upward until
// the first missing or empty one. Returns the index whose value equals
// value (NULL: none is looked for) or -1, and the first free number.
static int ScanLogByKeys(const char *value, const char *logPath,
                         const char *section, LogList list, int *firstFree)
{
    char key[LOG_KEY_SIZE];
    // Logged values are paths, so a path buffer reads every one back whole
    // and a long path compares equal to itself.
    char logged[PATH_SIZE];
    for (int index = 0;; index++) {
        *firstFree = index;
        if (FormatLogKey(key, sizeof(key), list, index) < 0)
            return -1;
        GetPrivateProfileStringA(section, key, "", logged, sizeof(logged),
                                 logPath);
        if (logged[0] == '\0')
            return -1;
        if (value != NULL && strcmp(logged, value) == 0)
            return index;
    }
}

// The index of a canonical numbered key of the list ("FILE07", any letter
// case, as GetPrivateProfileString would find it), else -1.
static int ParseLogKey(const char *key, size_t length, LogList list)
{
    if (length < 6 || length >= LOG_KEY_SIZE)
        return -1;
    int index = 0;
    for (size_t i = 4; i < length; i++) {
        if (key[i] < '0' || key[i] > '9' || index >= LOG_SNAPSHOT_MAX_INDEX)
            return -1;
        index = index * 10 + (key[i] - '0');
    }
    char canonical[LOG_KEY_SIZE];
    if (FormatLogKey(canonical, sizeof(canonical), list, index) !=
            (int)length ||
        CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, canonical,
                       (int)length, key, (int)length) != CSTR_EQUAL)
        return -1;
    return index;
}

// Reading a log key costs a file check in the profile service (over a
// millisecond under Wine), and a duplicate test reads the whole list, so
// with hundreds of entries the per-key scan dominates an installation.
// One read of the whole section gives the same answer. Returns false when
// the section does not fit the snapshot or holds what only the per-key
// scan reads faithfully (quoted values, very high numbers).
static char s_sectionSnapshot[LOG_SNAPSHOT_SIZE];

static bool ScanLogSnapshot(const char *value, const char *logPath,
                            const char *section, LogList list, int *match,
                            int *firstFree)
{
    DWORD got = GetPrivateProfileSectionA(section, s_sectionSnapshot,
                                          sizeof(s_sectionSnapshot), logPath);
    if (got >= sizeof(s_sectionSnapshot) - 2)
        return false;
    unsigned char seen[LOG_SNAPSHOT_MAX_INDEX / 8] = {0};
    unsigned char filled[LOG_SNAPSHOT_MAX_INDEX / 8] = {0};
    int found = LOG_SNAPSHOT_MAX_INDEX;
    for (const char *line = s_sectionSnapshot; *line != '\0';
         line += strlen(line) + 1) {
        const char *equals = strchr(line, '=');
        size_t keyLength = equals != NULL ? (size_t)(equals - line)
                                          : strlen(line);
        const char *logged = equals != NULL ? equals + 1 : "";
        int index = ParseLogKey(line, keyLength, list);
        if (index < 0) {
            if (keyLength > 4 && _strnicmp(line, list == LOG_FILES ? "FILE"
                                                                  : "PATH",
                                           4) == 0 &&
                isdigit((unsigned char)line[4]))
                return false;   // a numbered key beyond what is tracked
            continue;
        }
        // The first of keys written twice is the one a read finds.
        if (seen[index / 8] & (1 << (index % 8)))
            continue;
        seen[index / 8] |= (unsigned char)(1 << (index % 8));
        if (logged[0] == '"' || logged[0] == '\'')
            return false;
        if (logged[0] == '\0')
            continue;
        filled[index / 8] |= (unsigned char)(1 << (index % 8));
        if (value != NULL && index < found && strcmp(logged, value) == 0)
            found = index;
    }
    int gap = 0;
    while (gap < LOG_SNAPSHOT_MAX_INDEX && (filled[gap / 8] & (1 << (gap % 8))))
        gap++;
    if (gap == LOG_SNAPSHOT_MAX_INDEX)
        return false;
    *firstFree = gap;
    *match = found < gap ? found : -1;
    return true;
}

static int ScanLog(const char *value, const char *logPath,
                   const char *section, LogList list, int *firstFree)
{
    int match;
    if (ScanLogSnapshot(value, logPath, section, list, &match, firstFree))
        return match;
    return ScanLogByKeys(value, logPath, section, list, firstFree);
}

static int FirstFreeNumber(const char *logPath, const char *section,
                           LogList list)
{
    int firstFree;
    ScanLog(NULL, logPath, section, list, &firstFree);
    return firstFree;
}

static void OpenLogList(LogNumbering *log, const char *logPath,
                        const char *section, LogList list)
{
    log->logPath = logPath;
    CopyText(log->section, sizeof(log->section), section);
    log->list = list;
    log->next = logPath[0] != '\0' ? FirstFreeNumber(logPath, section, list)
                                   : 0;
}

// Adds value under the next number unless the list already holds it.
static void AddLogValue(LogNumbering *log, const char *value)
{
    if (log->logPath[0] == '\0' || value[0] == '\0')
        return;
    if (FindLoggedValue(value, log->logPath, log->section, log->list) >= 0)
        return;
    char key[LOG_KEY_SIZE];
    if (FormatLogKey(key, sizeof(key), log->list, log->next) < 0)
        return;
    WritePrivateProfileStringA(log->section, key, value, log->logPath);
    log->next++;
}

int FindLoggedValue(const char *value, const char *logPath,
                    const char *section, LogList list)
{
    int firstFree;
    return ScanLog(value, logPath, section, list, &firstFree);
}

int CountSectionEntries(const char *scriptPath, const char *fileSection)
{
    int count = (int)GetPrivateProfileIntA(fileSection, "SectionFiles", 0,
                                           scriptPath);
    if (count > MAX_SCRIPT_ENTRIES)
        return MAX_SCRIPT_ENTRIES;
    if (count > 0)
        return count;
    char key[LOG_KEY_SIZE];
    char value[FILE_ENTRY_SIZE];
    for (int index = 0; index < MAX_SCRIPT_ENTRIES; index++) {
        snprintf(key, sizeof(key), "file%03d", index);
        GetPrivateProfileStringA(fileSection, key, "", value, sizeof(value),
                                 scriptPath);
        if (value[0] == '\0')
            return index;
    }
    return MAX_SCRIPT_ENTRIES;
}

static void ReadFileEntry(const char *scriptPath, const char *fileSection,
                          int index, FileEntry *entry)
{
    char key[LOG_KEY_SIZE];
    char value[FILE_ENTRY_SIZE];
    snprintf(key, sizeof(key), "file%03d", index);
    GetPrivateProfileStringA(fileSection, key, "", value, sizeof(value),
                             scriptPath);
    SplitFileEntry(value, entry);
}

// A folder field of an entry: absent gives the base; written with a
// leading backslash, the base joined with its expansion; otherwise its
// expansion as a complete folder. Returns false when it does not fit.
static bool ResolveFolder(char *folder, size_t size, const char *base,
                          const char *field, int allUsers)
{
    if (field[0] == '\0')
        return CopyText(folder, size, base) == strlen(base);
    char expanded[PATH_SIZE];
    ExpandFolderMacros(expanded, sizeof(expanded), field, allUsers);
    if (field[0] != '\\')
        return CopyText(folder, size, expanded) == strlen(expanded);
    if (CopyText(folder, size, base) != strlen(base))
        return false;
    return AppendPath(folder, size, expanded) >= 0;
}

// The source folder base: the program directory and one backslash.
static void GetSourceBase(char *base, size_t size)
{
    CopyText(base, size, g_programDirectory);
    AppendPath(base, size, "");
}

// The full destination path of an entry and its folder, formed as the copy
// forms them. Returns false when the entry names no file or a path does
// not fit (nothing may then be copied or recorded for it).
static bool FormDestination(const FileEntry *entry,
                            const char *destinationFolder, int allUsers,
                            char *folder, size_t folderSize, char *file,
                            size_t fileSize)
{
    if (entry->tooLong || entry->fileName[0] == '\0')
        return false;
    if (!ResolveFolder(folder, folderSize, destinationFolder,
                       entry->destinationFolder, allUsers))
        return false;
    if (CopyText(file, fileSize, folder) != strlen(folder))
        return false;
    if (AppendPath(file, fileSize, entry->fileName) < 0)
        return false;
    // A name of separators only ("\\") leaves the folder itself, which
    // must never be copied onto or recorded as a file.
    const char *last = FindLastSeparator(file);
    return last == NULL || last[1] != '\0';
}

static bool FormSource(const FileEntry *entry, int allUsers, char *file,
                       size_t size)
{
    char base[PATH_SIZE];
    GetSourceBase(base, sizeof(base));
    if (!ResolveFolder(file, size, base, entry->sourceFolder, allUsers))
        return false;
    return AppendPath(file, size, entry->fileName) >= 0;
}

// A file name may hold subfolders ("sub\\a.txt"); the copy needs them to
// exist, and the uninstaller needs them listed to remove them.
static void CreateFileFolder(const char *target, const char *entryFolder,
                             LogNumbering *paths)
{
    char parent[PATH_SIZE];
    CopyText(parent, sizeof(parent), target);
    char *separator = FindLastSeparator(parent);
    if (separator == NULL)
        return;
    *separator = '\0';
    if (strcmp(parent, entryFolder) == 0)
        return;
    CreateFolderPath(parent);
    AddLogValue(paths, parent);
}

static void NoteFailure(CopyFailures *failures, const char *name)
{
    if (failures == NULL)
        return;
    if (failures->count == 0)
        CopyText(failures->firstFile, sizeof(failures->firstFile), name);
    failures->count++;
}

static void CopyOneEntry(const char *scriptPath, const char *fileSection,
                         int index, const char *destinationFolder,
                         int allUsers, HWND progressBar, HWND fileLabel,
                         int position, LogNumbering *paths, LogNumbering *files,
                         CopyFailures *failures)
{
    FileEntry entry;
    ReadFileEntry(scriptPath, fileSection, index, &entry);
    if (entry.fieldCount == 0) {
        // Only when SectionFiles exceeds the entries present: there is no
        // file, but the entry still takes its progress step.
        SendMessageA(progressBar, PBM_SETPOS, (WPARAM)position, 0);
        return;
    }

    char folder[PATH_SIZE];
    char target[PATH_SIZE];
    char source[PATH_SIZE];
    bool usable = FormDestination(&entry, destinationFolder, allUsers,
                                  folder, sizeof(folder), target,
                                  sizeof(target)) &&
                  FormSource(&entry, allUsers, source, sizeof(source));
    if (usable) {
        CreateFolderPath(folder);
        AddLogValue(paths, folder);
        CreateFileFolder(target, folder, paths);
        if (!CopyFileA(source, target, FALSE))
            NoteFailure(failures, target);
        SetFileAttributesA(target, FILE_ATTRIBUTE_NORMAL);
    } else {
        // A name or path that does not fit: nothing of it can be copied.
        NoteFailure(failures, entry.fileName[0] != '\0' ? entry.fileName
                                                        : fileSection);
    }
    SendMessageA(progressBar, PBM_SETPOS, (WPARAM)position, 0);
    SetWindowTextA(fileLabel, entry.fileName);
    if (usable)
        AddLogValue(files, target);
}

// Records "folder\title.lnk" for every Icon%03d entry of the section.
static void RecordShortcutFiles(const char *scriptPath, const char *section,
                                const char *folder, LogNumbering *files)
{
    char key[LOG_KEY_SIZE];
    char value[PATH_SIZE];
    for (int index = 0; index < MAX_SCRIPT_ENTRIES; index++) {
        snprintf(key, sizeof(key), "Icon%03d", index);
        GetPrivateProfileStringA(section, key, "", value, sizeof(value),
                                 scriptPath);
        if (value[0] == '\0')
            return;
        ShortcutEntry entry;
        SplitShortcutEntry(value, &entry);
        if (entry.title[0] == '\0')
            continue;   // no title: no shortcut file can be named
        char link[PATH_SIZE];
        CopyText(link, sizeof(link), folder);
        if (AppendPath(link, sizeof(link), entry.title) < 0)
            continue;
        size_t length = strlen(link);
        if (length + sizeof(".lnk") > sizeof(link))
            continue;
        CopyText(link + length, sizeof(link) - length, ".lnk");
        AddLogValue(files, link);
    }
}

static void RecordShortcuts(const char *scriptPath, const char *groupName,
                            const char *shortcutSection,
                            const char *startupSection, int allUsers,
                            LogNumbering *paths, LogNumbering *files)
{
    char programs[PATH_SIZE];
    // Without the Programs folder no shortcut path can be known, and a
    // relative one must not be recorded.
    if (GetShellFolder(programs, sizeof(programs), NULL, NULL, allUsers) > 0) {
        char group[PATH_SIZE];
        CopyText(group, sizeof(group), programs);
        if (AppendPath(group, sizeof(group), groupName) >= 0) {
            RecordShortcutFiles(scriptPath, shortcutSection, group, files);
            // An empty group name would name the Programs folder itself.
            if (groupName[0] != '\0')
                AddLogValue(paths, group);
        }
    }
    if (startupSection == NULL)
        return;
    char startup[PATH_SIZE];
    if (GetShellFolder(startup, sizeof(startup), "Startup", "Common Startup",
                       allUsers) > 0)
        RecordShortcutFiles(scriptPath, startupSection, startup, files);
}

int ReadUninstallLogPath(const char *scriptPath, char *logPath, size_t size)
{
    if (size == 0)
        return 0;
    DWORD length = GetPrivateProfileStringA("UnInstLog", "UnInstLog", "",
                                            logPath, (DWORD)size, scriptPath);
    // A value that filled the buffer may have been cut, and a cut path
    // names some other file: then no log is kept.
    if (length + 1 >= size) {
        logPath[0] = '\0';
        return 0;
    }
    return 1;
}

int CopySection(const char *scriptPath, const char *destinationFolder,
                HWND progressBar, HWND fileLabel, const char *groupName,
                const char *fileSection, const char *shortcutSection,
                const char *startupSection, int allUsers,
                CopyFailures *failures)
{
    char logPath[PATH_SIZE];
    ReadUninstallLogPath(scriptPath, logPath, sizeof(logPath));
    char pathSection[LOG_SECTION_SIZE];
    char uninstallSection[LOG_SECTION_SIZE];
    FormPathSectionName(pathSection, sizeof(pathSection), fileSection);
    FormUninstallSectionName(uninstallSection, sizeof(uninstallSection),
                             fileSection);
    LogNumbering paths;
    LogNumbering files;
    OpenLogList(&paths, logPath, pathSection, LOG_PATHS);
    OpenLogList(&files, logPath, fileSection, LOG_FILES);

    CreateFolderPath(destinationFolder);
    AddLogValue(&paths, destinationFolder);

    int count = CountSectionEntries(scriptPath, fileSection);
    int total = (int)GetPrivateProfileIntA(fileSection, "TotalFiles", count,
                                           scriptPath);
    int start = (int)GetPrivateProfileIntA(fileSection, "CountStart", 0,
                                           scriptPath);
    // The range is a pair of 16-bit fields.
    SendMessageA(progressBar, PBM_SETRANGE, 0, MAKELPARAM(0, total & 0xFFFF));
    if (logPath[0] != '\0')
        WritePrivateProfileStringA(uninstallSection, "PATH",
                                   destinationFolder, logPath);

    for (int index = 0; index < count; index++)
        CopyOneEntry(scriptPath, fileSection, index, destinationFolder,
                     allUsers, progressBar, fileLabel, start + 1 + index,
                     &paths, &files, failures);

    RecordShortcuts(scriptPath, groupName, shortcutSection, startupSection,
                    allUsers, &paths, &files);
    return 1;
}

int SetSectionAttributes(const char *scriptPath,
                         const char *destinationFolder,
                         const char *fileSection, DWORD attributes,
                         int allUsers)
{
    int count = CountSectionEntries(scriptPath, fileSection);
    for (int index = 0; index < count; index++) {
        FileEntry entry;
        ReadFileEntry(scriptPath, fileSection, index, &entry);
        char folder[PATH_SIZE];
        char target[PATH_SIZE];
        if (FormDestination(&entry, destinationFolder, allUsers, folder,
                            sizeof(folder), target, sizeof(target)))
            SetFileAttributesA(target, attributes);
    }
    return 1;
}

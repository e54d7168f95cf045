#include "install/space_check.h"

#include <stdio.h>
#include <string.h>

#include "common/install_report.h"
#include "common/platform.h"
#include "common/setup_state.h"
#include "core/admin/space_need.h"
#include "core/text/dbcs.h"
#include "install/file_copy.h"
#include "log/log_files.h"
#include "transaction/transaction.h"

// GetDiskFreeSpaceA reports at most this much on the 95 family before
// OSR2: a volume that shows it may hold far more.
static const unsigned long long kOldCallCap = 0x7FFF8000ULL;

static SpaceNeeds s_needs;
static unsigned long long s_measuredBytes;

// Per file entry, for the side files: the bytes of its path.
struct SideSums {
    unsigned long long logBytes;
    unsigned long long journalBytes;
    unsigned long long reportBytes;
};

static unsigned long ClusterSizeOf(const char *root)
{
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector,
                           &freeClusters, &clusters))
        return 0;
    return sectorsPerCluster * bytesPerSector;
}

static VolumeNeed *VolumeOf(const char *path)
{
    char root[PATH_SIZE];
    if (!FormVolumeRoot(path, root, sizeof(root)))
        return NULL;
    VolumeNeed *volume = FindVolumeNeed(&s_needs, root);
    return volume != NULL ? volume
                          : AddVolumeNeed(&s_needs, root, ClusterSizeOf(root));
}

// The size of an existing file, or 0 (also for a folder). A name with
// wildcards would let the search find some other file.
static unsigned long long FileSizeOf(const char *path)
{
    if (strpbrk(path, "*?") != NULL)
        return 0;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    FindClose(search);
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return 0;
    return ((unsigned long long)found.nFileSizeHigh << 32) |
           found.nFileSizeLow;
}

// Whether the folder of target exists, remembered for the last folder: the
// entries of a section mostly share one, and under Wine a look-up of a
// name in a folder scans the folder.
static char s_folder[PATH_SIZE];   // "" before the first look-up
static bool s_folderExists;

static bool FolderOfTargetExists(const char *target)
{
    char folder[PATH_SIZE];
    CopyText(folder, sizeof(folder), target);
    char *separator = FindLastSeparator(folder);
    if (separator != NULL)
        *separator = '\0';
    if (strcmp(folder, s_folder) != 0) {
        CopyText(s_folder, sizeof(s_folder), folder);
        s_folderExists = IsFolder(folder);
    }
    return s_folderExists;
}

static void AddEntry(void *context, const char *source, const char *target)
{
    SideSums *sides = (SideSums *)context;
    size_t length = strlen(target);
    sides->logBytes += LogBytesPerFile(length);
    sides->journalBytes += JournalBytesPerFile(length);
    sides->reportBytes += ReportBytesPerFile(length);
    VolumeNeed *volume = VolumeOf(target);
    if (volume != NULL)
        AddFileNeed(&s_needs, volume, FileSizeOf(source),
                    FolderOfTargetExists(target) ? FileSizeOf(target) : 0);
}

static void AddSideFile(const char *path, unsigned long long bytes)
{
    VolumeNeed *volume = path[0] != '\0' ? VolumeOf(path) : NULL;
    if (volume != NULL)
        volume->bytes += WholeClusters(SIDE_FILE_BASE_BYTES + bytes,
                                       volume->clusterSize);
}

static void MeasureRun(const char *const *sections, int count,
                       const char *logPath)
{
    memset(&s_needs, 0, sizeof(s_needs));
    s_folder[0] = '\0';
    SideSums sides = {};
    for (int i = 0; i < count; i++)
        VisitSectionFiles(g_scriptPath, g_destinationFolder, sections[i],
                          g_allUsers, AddEntry, &sides);
    char logFile[PATH_SIZE];
    if (logPath[0] != '\0' &&
        ResolveLogFile(logPath, logFile, sizeof(logFile))) {
        AddSideFile(logFile, sides.logBytes);
        AddSideFile(logFile, sides.journalBytes);
    }
    AddSideFile(InstallReportPath(), sides.reportBytes);
    s_measuredBytes = s_needs.fileBytes;
}

typedef BOOL(WINAPI *FreeSpaceExCall)(LPCSTR, PULARGE_INTEGER,
                                      PULARGE_INTEGER, PULARGE_INTEGER);

// The bytes this user may still write on the volume. Returns false when
// that cannot be known: no answer, or the older call's cap.
static bool FreeBytesOf(const char *root, unsigned long long *free)
{
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    FARPROC found = kernel != NULL
                        ? GetProcAddress(kernel, "GetDiskFreeSpaceExA")
                        : NULL;
    if (found != NULL) {
        FreeSpaceExCall freeSpaceEx = (FreeSpaceExCall)(void *)found;
        ULARGE_INTEGER available, total, totalFree;
        if (!freeSpaceEx(root, &available, &total, &totalFree))
            return false;
        *free = available.QuadPart;
        return true;
    }
    DWORD sectorsPerCluster, bytesPerSector, freeClusters, clusters;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector,
                           &freeClusters, &clusters))
        return false;
    *free = (unsigned long long)freeClusters * sectorsPerCluster *
            bytesPerSector;
    return *free < kOldCallCap;
}

// The first volume, from index on, whose need exceeds its known free
// space; -1 when none does. Each volume is a report line.
static int FindShortVolume(int index, unsigned long long *need,
                           unsigned long long *free)
{
    for (; index < s_needs.count; index++) {
        const VolumeNeed *volume = &s_needs.volumes[index];
        *need = VolumeTotal(volume);
        if (!FreeBytesOf(volume->root, free))
            continue;
        char needText[24], freeText[24];
        FormatByteCount(*need, needText, sizeof(needText));
        FormatByteCount(*free, freeText, sizeof(freeText));
        ReportLine("space: %s needs %s bytes, %s bytes free", volume->root,
                   needText, freeText);
        if (*need > *free)
            return index;
    }
    return -1;
}

bool ConfirmFreeSpace(SpaceQuestion ask, void *context,
                      const char *const *sections, int count,
                      const char *logPath)
{
    MeasureRun(sections, count, logPath);
    unsigned long long need = 0, free = 0;
    for (int index = FindShortVolume(0, &need, &free); index >= 0;
         index = FindShortVolume(index, &need, &free)) {
        const char *root = s_needs.volumes[index].root;
        if (ask == NULL || !ask(context, root, need, free)) {
            char needText[24], freeText[24];
            FormatByteCount(need, needText, sizeof(needText));
            FormatByteCount(free, freeText, sizeof(freeText));
            ReportLine("not enough space on %s: %s bytes needed, %s bytes "
                       "free", root, needText, freeText);
            return false;
        }
    }
    return true;
}

unsigned long long MeasuredInstallBytes()
{
    return s_measuredBytes;
}

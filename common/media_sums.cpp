#include "common/media_sums.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/install_report.h"
#include "common/setup_state.h"
#include "core/media/media_sums.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"
#include "core/text/path_join.h"

namespace {

struct MediaList {
    MediaListState state;
    bool read;
    char *text;          // the list whole: the entries point into it
    MediaSum *sums;
    int count;
    char base[PATH_SIZE];   // the program directory and a backslash
};

MediaList s_list;
bool s_damageFound;

// A 32-bit program may use the SSE registers (and so the processor's SHA
// instructions) only where the system saves them: not on Windows 95.
void AllowShaInstructionsWhereSaved()
{
#ifndef _WIN64
    typedef BOOL(WINAPI * FeatureCall)(DWORD);
    HMODULE kernel = GetModuleHandleA("KERNEL32.DLL");
    FeatureCall isPresent =
        kernel != NULL ? (FeatureCall)(void *)GetProcAddress(
                             kernel, "IsProcessorFeaturePresent")
                       : NULL;
    // 10: PF_XMMI64_INSTRUCTIONS_AVAILABLE, SSE2 with the system's support.
    AllowSha256Instructions(isPresent != NULL && isPresent(10));
#endif
}

// The whole file into a heap block with a NUL behind it; NULL when it is
// missing, unreadable or larger than a list may be.
char *ReadListFile(const char *path, DWORD *size, bool *missing)
{
    *missing = false;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        *missing = error == ERROR_FILE_NOT_FOUND ||
                   error == ERROR_PATH_NOT_FOUND;
        return NULL;
    }
    DWORD length = GetFileSize(file, NULL);
    char *text = length != INVALID_FILE_SIZE &&
                         length <= (DWORD)MEDIA_SUM_FILE_SIZE
                     ? (char *)malloc(length + 1)
                     : NULL;
    DWORD got = 0;
    if (text != NULL &&
        (!ReadFile(file, text, length, &got, NULL) || got != length)) {
        free(text);
        text = NULL;
    }
    CloseHandle(file);
    if (text != NULL)
        text[length] = '\0';
    *size = length;
    return text;
}

bool CountSum(void *context, const MediaSum *)
{
    (*(int *)context)++;
    return true;
}

bool KeepSum(void *context, const MediaSum *sum)
{
    MediaList *list = (MediaList *)context;
    list->sums[list->count++] = *sum;
    return true;
}

// Reads and sorts the entries; false (reported) when the list is refused.
bool ParseList(MediaList *list, const char *path, DWORD size)
{
    int count = 0;
    int line = 0;
    MediaSumsProblem problem =
        ReadMediaSums(list->text, size, CURRENT_CODE_PAGE, CountSum, &count,
                      &line);
    if (problem == MEDIA_SUMS_OK) {
        list->sums = (MediaSum *)malloc(sizeof(MediaSum) * (count + 1));
        list->count = 0;
        if (list->sums == NULL) {
            ReportLine("checksum list refused: %s: no memory for %d entries",
                       path, count);
            return false;
        }
        ReadMediaSums(list->text, size, CURRENT_CODE_PAGE, KeepSum, list,
                      &line);
        problem = SortMediaSums(list->sums, list->count, CURRENT_CODE_PAGE,
                                &line);
    }
    if (problem == MEDIA_SUMS_OK)
        return true;
    ReportLine("checksum list refused: %s line %d: %s", path, line,
               DescribeMediaSumsProblem(problem));
    return false;
}

}  // namespace

// The list of another program directory (an engine run in a test, the
// engine program) is forgotten.
static bool IsListOfProgramDirectory(const MediaList *list)
{
    char base[PATH_SIZE];
    CopyText(base, sizeof(base), g_programDirectory);
    AppendPath(base, sizeof(base), "");
    return strcmp(base, list->base) == 0;
}

MediaListState LoadMediaList()
{
    MediaList *list = &s_list;
    if (list->read && IsListOfProgramDirectory(list))
        return list->state;
    free(list->text);
    free(list->sums);
    memset(list, 0, sizeof(*list));
    list->read = true;
    list->state = MEDIA_LIST_NONE;
    AllowShaInstructionsWhereSaved();
    CopyText(list->base, sizeof(list->base), g_programDirectory);
    char path[PATH_SIZE];
    CopyText(path, sizeof(path), g_programDirectory);
    if (AppendPath(list->base, sizeof(list->base), "") < 0 ||
        AppendPath(path, sizeof(path), MEDIA_SUM_FILE_NAME) < 0) {
        list->state = MEDIA_LIST_REFUSED;   // cannot tell: trust nothing
        return list->state;
    }
    DWORD size = 0;
    bool missing = false;
    list->text = ReadListFile(path, &size, &missing);
    if (list->text == NULL) {
        if (missing)
            return list->state;
        ReportLine("checksum list refused: %s cannot be read whole", path);
        list->state = MEDIA_LIST_REFUSED;
        return list->state;
    }
    list->state = ParseList(list, path, size) ? MEDIA_LIST_LOADED
                                              : MEDIA_LIST_REFUSED;
    return list->state;
}

void BeginMediaFileCheck(MediaFileCheck *check, const char *source)
{
    memset(check, 0, sizeof(*check));
    MediaListState state = LoadMediaList();
    size_t baseLength = strlen(s_list.base);
    // Only files of the media: a complete source folder is elsewhere.
    if (state == MEDIA_LIST_NONE || baseLength == 0 ||
        strncmp(source, s_list.base, baseLength) != 0)
        return;
    if (state == MEDIA_LIST_REFUSED) {
        check->refused = true;
        return;
    }
    const char *relative = source + baseLength;
    check->entry = FindMediaSum(s_list.sums, s_list.count, relative,
                                strlen(relative), CURRENT_CODE_PAGE);
    check->unlisted = check->entry == NULL;
    check->listed = check->entry != NULL;
    StartSha256(&check->hash);
}

void FeedMediaFileCheck(MediaFileCheck *check, const void *data, size_t size)
{
    if (!check->listed)
        return;
    FeedSha256(&check->hash, data, size);
    check->size += size;
}

static DWORD NoteDamage(const char *source, DWORD error, const char *why)
{
    s_damageFound = true;
    ReportLine("damaged on the medium: %s (%s)", source, why);
    return error;
}

DWORD EndMediaFileCheck(MediaFileCheck *check, const char *source)
{
    if (check->refused)
        return NoteDamage(source, ERROR_MEDIA_LIST_DAMAGED,
                          "the checksum list is damaged");
    if (check->unlisted)
        return NoteDamage(source, ERROR_DAMAGED_ON_MEDIUM,
                          "not in the checksum list");
    if (!check->listed)
        return 0;
    const MediaSum *sum = (const MediaSum *)check->entry;
    unsigned char digest[SHA256_DIGEST_SIZE];
    FinishSha256(&check->hash, digest);
    if (check->size != sum->size)
        return NoteDamage(source, ERROR_DAMAGED_ON_MEDIUM,
                          "its size differs from the checksum list");
    if (memcmp(digest, sum->sha256, sizeof(digest)) != 0)
        return NoteDamage(source, ERROR_DAMAGED_ON_MEDIUM,
                          "its SHA-256 differs from the checksum list");
    return 0;
}

bool WasMediaDamageFound()
{
    return s_damageFound;
}

// A listed file read whole and compared; false with the reason when it
// is missing or differs.
static bool VerifyOneFile(const MediaSum *sum, const char **why)
{
    static char s_buffer[COPY_BUFFER_SIZE];
    char path[PATH_SIZE];
    size_t baseLength = strlen(s_list.base);
    if (baseLength + sum->pathLength + 1 > sizeof(path)) {
        *why = "its path is too long";
        return false;
    }
    memcpy(path, s_list.base, baseLength);
    memcpy(path + baseLength, sum->path, sum->pathLength);
    path[baseLength + sum->pathLength] = '\0';
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        *why = "missing or unreadable";
        return false;
    }
    Sha256 hash;
    StartSha256(&hash);
    uint64_t size = 0;
    DWORD got = 0;
    bool read = true;
    while ((read = ReadFile(file, s_buffer, sizeof(s_buffer), &got, NULL) !=
                   FALSE) &&
           got > 0) {
        FeedSha256(&hash, s_buffer, got);
        size += got;
    }
    CloseHandle(file);
    unsigned char digest[SHA256_DIGEST_SIZE];
    FinishSha256(&hash, digest);
    *why = !read                 ? "cannot be read to its end"
           : size != sum->size   ? "its size differs from the checksum list"
           : memcmp(digest, sum->sha256, sizeof(digest)) != 0
               ? "its SHA-256 differs from the checksum list"
               : NULL;
    return *why == NULL;
}

int VerifyMediaFiles()
{
    MediaListState state = LoadMediaList();
    if (state == MEDIA_LIST_NONE) {
        ReportLine("no checksum list: %s%s", s_list.base,
                   MEDIA_SUM_FILE_NAME);
        return -1;
    }
    if (state == MEDIA_LIST_REFUSED)
        return -1;
    int bad = 0;
    for (int i = 0; i < s_list.count; i++) {
        const MediaSum *sum = &s_list.sums[i];
        const char *why = NULL;
        if (VerifyOneFile(sum, &why))
            continue;
        bad++;
        ReportLine("damaged: %.*s (%s)", (int)sum->pathLength, sum->path,
                   why);
    }
    ReportLine("checked: %d files of the checksum list, %d damaged or "
               "missing",
               s_list.count, bad);
    return bad;
}

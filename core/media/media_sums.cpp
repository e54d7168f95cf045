#include "core/media/media_sums.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "core/setup_limits.h"
#include "core/text/ascii_case.h"
#include "core/text/target_path.h"

namespace {

const char kHeader[] = "[MediaSums]";

struct ListReading {
    int codePage;
    bool header;
    int version;     // 0: not given yet
    int count;       // -1: not given yet
    int entries;
    MediaSumVisitor visit;
    void *context;
};

bool StartsWith(const char *text, size_t length, const char *prefix)
{
    size_t prefixLength = strlen(prefix);
    return length >= prefixLength && memcmp(text, prefix, prefixLength) == 0;
}

// Decimal digits only, at most maxDigits of them, no overflow of limit.
bool ParseDecimal(const char *text, size_t length, size_t maxDigits,
                  uint64_t limit, uint64_t *value)
{
    if (length == 0 || length > maxDigits)
        return false;
    uint64_t number = 0;
    for (size_t i = 0; i < length; i++) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        unsigned digit = (unsigned)(text[i] - '0');
        if (number > (limit - digit) / 10)
            return false;
        number = number * 10 + digit;
    }
    *value = number;
    return true;
}

// A path below the media folder that names a file as it is spelt: judged
// as the same path below a drive, so "..", devices and characters no name
// holds are refused by the one judgement of paths.
bool IsMediaPath(const char *path, size_t length, int codePage)
{
    char probe[PATH_SIZE] = "C:\\";
    if (length == 0 || length > (size_t)MEDIA_SUM_PATH_MAX)
        return false;
    memcpy(probe + 3, path, length);
    probe[length + 3] = '\0';
    return JudgeTargetPath(probe, codePage) == TARGET_PATH_OK;
}

// "size,sha256,path".
MediaSumsProblem ParseEntry(const char *value, size_t length, int codePage,
                            MediaSum *sum)
{
    const char *comma = (const char *)memchr(value, ',', length);
    if (comma == NULL ||
        !ParseDecimal(value, (size_t)(comma - value), 20, UINT64_MAX,
                      &sum->size))
        return MEDIA_SUMS_BAD_SIZE;
    const char *hash = comma + 1;
    size_t rest = length - (size_t)(hash - value);
    if (rest < 2 * SHA256_DIGEST_SIZE + 1 ||
        hash[2 * SHA256_DIGEST_SIZE] != ',' ||
        !ParseSha256(hash, 2 * SHA256_DIGEST_SIZE, sum->sha256))
        return MEDIA_SUMS_BAD_HASH;
    sum->path = hash + 2 * SHA256_DIGEST_SIZE + 1;
    sum->pathLength = rest - 2 * SHA256_DIGEST_SIZE - 1;
    if (!IsMediaPath(sum->path, sum->pathLength, codePage))
        return MEDIA_SUMS_BAD_PATH;
    return MEDIA_SUMS_OK;
}

MediaSumsProblem ReadFileKey(ListReading *reading, const char *line,
                             size_t length, int number)
{
    const char *equals = (const char *)memchr(line, '=', length);
    uint64_t index = 0;
    if (equals == NULL ||
        !ParseDecimal(line + 4, (size_t)(equals - line) - 4, 6,
                      MEDIA_SUM_MAX_FILES, &index))
        return MEDIA_SUMS_UNKNOWN_KEY;
    if (reading->version == 0 || reading->count < 0)
        return MEDIA_SUMS_BAD_COUNT;   // the entries come after both
    if (index != (uint64_t)reading->entries ||
        reading->entries >= reading->count)
        return MEDIA_SUMS_OUT_OF_ORDER;
    MediaSum sum;
    sum.line = number;
    const char *value = equals + 1;
    MediaSumsProblem problem = ParseEntry(
        value, length - (size_t)(value - line), reading->codePage, &sum);
    if (problem != MEDIA_SUMS_OK)
        return problem;
    reading->entries++;
    if (reading->visit != NULL && !reading->visit(reading->context, &sum))
        return MEDIA_SUMS_NOT_A_LIST;
    return MEDIA_SUMS_OK;
}

MediaSumsProblem ReadLine(ListReading *reading, const char *line,
                          size_t length, int number)
{
    if (length == 0 || line[0] == ';')
        return MEDIA_SUMS_OK;
    if (!reading->header) {
        reading->header = length == strlen(kHeader) &&
                          memcmp(line, kHeader, length) == 0;
        return reading->header ? MEDIA_SUMS_OK : MEDIA_SUMS_NOT_A_LIST;
    }
    if (line[0] == '[')
        return MEDIA_SUMS_NOT_A_LIST;
    uint64_t value = 0;
    if (StartsWith(line, length, "Version=")) {
        bool one = length == 9 && line[8] == '1' && reading->version == 0;
        reading->version = 1;
        return one ? MEDIA_SUMS_OK : MEDIA_SUMS_BAD_VERSION;
    }
    if (StartsWith(line, length, "Count=")) {
        if (reading->count >= 0 ||
            !ParseDecimal(line + 6, length - 6, 6, MEDIA_SUM_MAX_FILES,
                          &value))
            return MEDIA_SUMS_BAD_COUNT;
        reading->count = (int)value;
        return MEDIA_SUMS_OK;
    }
    if (StartsWith(line, length, "File"))
        return ReadFileKey(reading, line, length, number);
    return MEDIA_SUMS_UNKNOWN_KEY;
}

// Compares two paths with the ASCII letters of single-byte characters
// folded; a double-byte character is compared as it is.
int CompareFolded(const char *a, size_t aLength, const char *b,
                  size_t bLength, int codePage)
{
    size_t i = 0;
    size_t j = 0;
    while (i < aLength && j < bLength) {
        bool aWide = IsDbcsLead((unsigned char)a[i], codePage) &&
                     i + 1 < aLength;
        bool bWide = IsDbcsLead((unsigned char)b[j], codePage) &&
                     j + 1 < bLength;
        unsigned char ca = (unsigned char)(aWide ? a[i] : LowerAscii(a[i]));
        unsigned char cb = (unsigned char)(bWide ? b[j] : LowerAscii(b[j]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (aWide != bWide)
            return aWide ? 1 : -1;
        if (aWide && a[i + 1] != b[j + 1])
            return (unsigned char)a[i + 1] < (unsigned char)b[j + 1] ? -1
                                                                      : 1;
        i += aWide ? 2 : 1;
        j += bWide ? 2 : 1;
    }
    if (i < aLength)
        return 1;
    return j < bLength ? -1 : 0;
}

}  // namespace

MediaSumsProblem ReadMediaSums(const char *text, size_t size, int codePage,
                               MediaSumVisitor visit, void *context,
                               int *line)
{
    ListReading reading = {codePage, false, 0, -1, 0, visit, context};
    *line = 0;
    if (size > (size_t)MEDIA_SUM_FILE_SIZE || memchr(text, '\0', size))
        return MEDIA_SUMS_NOT_A_LIST;
    const char *end = text + size;
    int number = 0;
    for (const char *start = text; start < end;) {
        const char *newline = (const char *)memchr(start, '\n',
                                                   (size_t)(end - start));
        const char *stop = newline != NULL ? newline : end;
        size_t length = (size_t)(stop - start);
        if (length > 0 && start[length - 1] == '\r')
            length--;
        *line = ++number;
        if (length > (size_t)MEDIA_SUM_LINE_SIZE - 1)
            return MEDIA_SUMS_LINE_TOO_LONG;
        MediaSumsProblem problem = ReadLine(&reading, start, length, number);
        if (problem != MEDIA_SUMS_OK)
            return problem;
        start = stop + 1;
    }
    *line = 0;
    if (!reading.header)
        return MEDIA_SUMS_NOT_A_LIST;
    if (reading.version == 0)
        return MEDIA_SUMS_BAD_VERSION;
    if (reading.count != reading.entries)
        return MEDIA_SUMS_BAD_COUNT;
    return MEDIA_SUMS_OK;
}

const char *DescribeMediaSumsProblem(MediaSumsProblem problem)
{
    switch (problem) {
    case MEDIA_SUMS_OK:
        return "a sound list";
    case MEDIA_SUMS_LINE_TOO_LONG:
        return "a line longer than a list's line may be";
    case MEDIA_SUMS_NOT_A_LIST:
        return "not a checksum list ([MediaSums] first, nothing else)";
    case MEDIA_SUMS_UNKNOWN_KEY:
        return "a key the list does not have";
    case MEDIA_SUMS_BAD_VERSION:
        return "a missing or unknown Version";
    case MEDIA_SUMS_BAD_COUNT:
        return "a Count that is missing or not the number of entries";
    case MEDIA_SUMS_OUT_OF_ORDER:
        return "an entry out of order";
    case MEDIA_SUMS_BAD_SIZE:
        return "a malformed size";
    case MEDIA_SUMS_BAD_HASH:
        return "a malformed SHA-256";
    case MEDIA_SUMS_BAD_PATH:
        return "a path that names no file of the media";
    case MEDIA_SUMS_DUPLICATE:
        return "a file listed twice";
    }
    return "a damaged list";
}

MediaSumsProblem SortMediaSums(MediaSum *sums, int count, int codePage,
                               int *line)
{
    std::sort(sums, sums + count,
              [codePage](const MediaSum &a, const MediaSum &b) {
                  return CompareFolded(a.path, a.pathLength, b.path,
                                       b.pathLength, codePage) < 0;
              });
    *line = 0;
    for (int i = 1; i < count; i++) {
        if (CompareFolded(sums[i - 1].path, sums[i - 1].pathLength,
                          sums[i].path, sums[i].pathLength, codePage) == 0) {
            *line = std::max(sums[i - 1].line, sums[i].line);
            return MEDIA_SUMS_DUPLICATE;
        }
    }
    return MEDIA_SUMS_OK;
}

const MediaSum *FindMediaSum(const MediaSum *sums, int count,
                             const char *path, size_t pathLength,
                             int codePage)
{
    int low = 0;
    int high = count;
    while (low < high) {
        int middle = low + (high - low) / 2;
        int order = CompareFolded(sums[middle].path, sums[middle].pathLength,
                                  path, pathLength, codePage);
        if (order == 0)
            return &sums[middle];
        if (order < 0)
            low = middle + 1;
        else
            high = middle;
    }
    return NULL;
}

int FormatMediaSum(char *line, size_t size, int index, uint64_t fileSize,
                   const unsigned char sha256[SHA256_DIGEST_SIZE],
                   const char *path)
{
    char hex[SHA256_HEX_SIZE];
    FormatSha256(sha256, hex);
    int length = snprintf(line, size, "File%05d=%llu,%s,%s\r\n", index,
                          (unsigned long long)fileSize, hex, path);
    if (length < 0 || (size_t)length >= size ||
        length - 2 > MEDIA_SUM_LINE_SIZE - 1)
        return -1;
    return length;
}

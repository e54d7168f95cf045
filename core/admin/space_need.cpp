#include "core/admin/space_need.h"

#include <string.h>

#include "core/text/ascii_case.h"

static const unsigned long long kNoRoom = ~0ULL;

static bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The separator ending the component that starts at p, or NULL.
static const char *ComponentEnd(const char *p, int codePage)
{
    const char *start = p;
    while (*p != '\0' && *p != '\\')
        p = NextChar(p, codePage);
    return *p == '\\' && p != start ? p : NULL;
}

bool FormVolumeRoot(const char *path, char *root, size_t size, int codePage)
{
    if (size == 0)
        return false;
    root[0] = '\0';
    size_t length = 0;
    if (IsDriveLetter(path[0]) && path[1] == ':' && path[2] == '\\') {
        length = 3;
    } else if (path[0] == '\\' && path[1] == '\\') {
        const char *server = ComponentEnd(path + 2, codePage);
        const char *share = server != NULL
                                ? ComponentEnd(server + 1, codePage)
                                : NULL;
        // "\\?\" and "\\.\" name no share a free-space call takes.
        if (share == NULL || (path[2] == '?' || path[2] == '.'))
            return false;
        length = (size_t)(share - path) + 1;
    } else {
        return false;
    }
    if (length >= size)
        return false;
    memcpy(root, path, length);
    root[length] = '\0';
    return true;
}

VolumeNeed *FindVolumeNeed(SpaceNeeds *needs, const char *root)
{
    for (int i = 0; i < needs->count; i++)
        if (EqualsAsciiNoCase(needs->volumes[i].root, root))
            return &needs->volumes[i];
    return NULL;
}

VolumeNeed *AddVolumeNeed(SpaceNeeds *needs, const char *root,
                          unsigned long clusterSize)
{
    if (needs->count >= SPACE_VOLUMES_KEPT)
        return NULL;
    VolumeNeed *volume = &needs->volumes[needs->count++];
    memset(volume, 0, sizeof(*volume));
    CopyText(volume->root, sizeof(volume->root), root);
    volume->clusterSize = clusterSize;
    return volume;
}

static unsigned long long Sum(unsigned long long a, unsigned long long b)
{
    return a > kNoRoom - b ? kNoRoom : a + b;
}

unsigned long long WholeClusters(unsigned long long bytes,
                                 unsigned long clusterSize)
{
    unsigned long long cluster = clusterSize == 0 ? 1 : clusterSize;
    unsigned long long clusters = bytes / cluster + (bytes % cluster != 0);
    return clusters > kNoRoom / cluster ? kNoRoom : clusters * cluster;
}

void AddFileNeed(SpaceNeeds *needs, VolumeNeed *volume,
                 unsigned long long newBytes,
                 unsigned long long replacedBytes)
{
    needs->fileBytes = Sum(needs->fileBytes, newBytes);
    volume->bytes =
        Sum(volume->bytes, WholeClusters(newBytes, volume->clusterSize));
    unsigned long long replaced =
        WholeClusters(replacedBytes, volume->clusterSize);
    if (replacedBytes > 0 && replaced > volume->largestReplaced)
        volume->largestReplaced = replaced;
}

// "FILE0123=<path>\r\n" and its folder line.
unsigned long long LogBytesPerFile(size_t pathLength)
{
    return 2 * (pathLength + 16);
}

// A placement line with its check, tag and flags, in the journal and in
// the copy written before each change of state.
unsigned long long JournalBytesPerFile(size_t pathLength)
{
    return 2 * (pathLength + 48);
}

// "copied: <path>\r\n", or a failure with its reason.
unsigned long long ReportBytesPerFile(size_t pathLength)
{
    return pathLength + 128;
}

unsigned long long VolumeTotal(const VolumeNeed *volume)
{
    return Sum(volume->bytes, volume->largestReplaced);
}

void FormatByteCount(unsigned long long count, char *text, size_t size)
{
    char digits[24];
    size_t used = 0;
    do {
        digits[used++] = (char)('0' + count % 10);
        count /= 10;
    } while (count != 0);
    if (size == 0)
        return;
    size_t written = 0;
    while (used > 0 && written + 1 < size)
        text[written++] = digits[--used];
    text[written] = '\0';
}

// The free-space forecast's sums, kept per volume: what an installation
// will add to each disk before it commits. The platform side measures the
// files and asks each volume for its free space and cluster size; the
// rules for adding them up live here.
#pragma once

#include <stddef.h>

#include "core/setup_limits.h"
#include "core/text/dbcs.h"

// Drive letters and network shares a run may touch at once; a run that
// names more is not judged (its excess volumes are not checked).
constexpr int SPACE_VOLUMES_KEPT = 32;

struct VolumeNeed {
    char root[PATH_SIZE];       // "C:\" or "\\server\share\"
    unsigned long clusterSize;  // bytes; each file takes whole clusters
    unsigned long long bytes;   // needed, in whole clusters
    unsigned long long largestReplaced;  // the largest file replaced
};

struct SpaceNeeds {
    VolumeNeed volumes[SPACE_VOLUMES_KEPT];
    int count;
    unsigned long long fileBytes;   // the new files' own sizes, all volumes
};

// The root of a full path: "C:\" for "C:\..." (any letter), and
// "\\server\share\" for a network path. Returns false for any other path
// (relative, "C:x", "\\server" alone) or one whose root does not fit.
bool FormVolumeRoot(const char *path, char *root, size_t size,
                    int codePage = CURRENT_CODE_PAGE);

// The volume entry of root (letters compared without case), or NULL.
VolumeNeed *FindVolumeNeed(SpaceNeeds *needs, const char *root);

// A new entry for root with its cluster size; NULL when the table is full.
VolumeNeed *AddVolumeNeed(SpaceNeeds *needs, const char *root,
                          unsigned long clusterSize);

// bytes rounded up to whole clusters (a cluster size of 0 counts as 1).
// Saturates instead of wrapping.
unsigned long long WholeClusters(unsigned long long bytes,
                                 unsigned long clusterSize);

// A file the run writes: its new size, in whole clusters. replacedBytes
// is the size of the file it replaces (0 for none): that file is kept as
// its backup until the commit, so it frees nothing, and the largest one
// may be copied once to its backup name while it is replaced.
void AddFileNeed(SpaceNeeds *needs, VolumeNeed *volume,
                 unsigned long long newBytes,
                 unsigned long long replacedBytes);

// The side files that grow with the number of files: the uninstall log,
// its journal (written twice: the state change writes a copy first) and
// the report, per file entry whose target path has pathLength bytes.
unsigned long long LogBytesPerFile(size_t pathLength);
unsigned long long JournalBytesPerFile(size_t pathLength);
unsigned long long ReportBytesPerFile(size_t pathLength);

// A side file's fixed part (section heads, registry steps, lines of the
// start and the end), whatever the number of files.
constexpr unsigned long long SIDE_FILE_BASE_BYTES = 16 * 1024;

// What the volume needs in all: its sum plus the transient copy of its
// largest replaced file.
unsigned long long VolumeTotal(const VolumeNeed *volume);

// count in decimal digits into text (size bytes; cut to fit). The
// runtime's printf on the 95 family knows no 64-bit conversion.
void FormatByteCount(unsigned long long count, char *text, size_t size);

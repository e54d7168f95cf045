// The media's checksum list: MEDIA.SUM beside setup.exe names every file
// the install scripts copy from the media, with its size and SHA-256.
// checkmedia --write-sums writes it; setup checks each file against it
// while copying, and setup.exe -v checks the whole media. The list is
// read strictly: a line that is not exactly as the writer makes it
// refuses the whole list, which is then never trusted.
//
//   ; comment lines and blank lines are skipped
//   [MediaSums]
//   Version=1
//   Count=2
//   File00000=1024,<64 hex digits>,product\app\FileAgent.exe
//   File00001=...
//
// Paths are relative to the folder of setup.exe, "\" between names, in
// the system code page, and are matched without regard to the case of
// ASCII letters, as on a CD. Entries are numbered from 0 without a gap;
// Count says how many there are, so a list cut short is noticed.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "core/media/sha256.h"
#include "core/text/dbcs.h"

constexpr char MEDIA_SUM_FILE_NAME[] = "MEDIA.SUM";

struct MediaSum {
    uint64_t size;
    unsigned char sha256[SHA256_DIGEST_SIZE];
    const char *path;    // into the list's text, not terminated
    size_t pathLength;
    int line;            // from 1
};

enum MediaSumsProblem {
    MEDIA_SUMS_OK = 0,
    MEDIA_SUMS_LINE_TOO_LONG,
    MEDIA_SUMS_NOT_A_LIST,      // no [MediaSums] first, another section, a
                                // NUL byte, or a text too large
    MEDIA_SUMS_UNKNOWN_KEY,
    MEDIA_SUMS_BAD_VERSION,
    MEDIA_SUMS_BAD_COUNT,       // Count missing, repeated, too large, or
                                // not the number of entries
    MEDIA_SUMS_OUT_OF_ORDER,    // an entry not numbered next
    MEDIA_SUMS_BAD_SIZE,
    MEDIA_SUMS_BAD_HASH,
    MEDIA_SUMS_BAD_PATH,        // empty, complete, "..", a device, a
                                // character no name holds, too long
    MEDIA_SUMS_DUPLICATE        // one file listed twice
};

// Called for each entry in order; returning false stops the reading.
typedef bool (*MediaSumVisitor)(void *context, const MediaSum *sum);

// Reads the list text (size bytes). Returns MEDIA_SUMS_OK when the whole
// list is sound, else the first problem with its line in *line (0: the
// list as a whole). visit (may be NULL) sees each entry as it is read, so
// entries seen before a problem must be dropped by the caller.
MediaSumsProblem ReadMediaSums(const char *text, size_t size, int codePage,
                               MediaSumVisitor visit, void *context,
                               int *line);

// A few English words for reports ("an overlong line", ...). Never NULL.
const char *DescribeMediaSumsProblem(MediaSumsProblem problem);

// Sorts the entries by path, letter case folded, for FindMediaSum.
// Returns MEDIA_SUMS_DUPLICATE (with the later line in *line) when two
// entries name one file.
MediaSumsProblem SortMediaSums(MediaSum *sums, int count, int codePage,
                               int *line);

// The entry of a relative path ("\" between names) in a sorted list, or
// NULL.
const MediaSum *FindMediaSum(const MediaSum *sums, int count,
                             const char *path, size_t pathLength,
                             int codePage);

// One entry line of the list with its line end (size bytes). Returns the
// length, or -1 when it does not fit or the path is longer than a line
// may be.
int FormatMediaSum(char *line, size_t size, int index, uint64_t fileSize,
                   const unsigned char sha256[SHA256_DIGEST_SIZE],
                   const char *path);

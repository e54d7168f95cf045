// The media's checksum list (MEDIA.SUM beside setup.exe, format in
// core/media/media_sums.h) held against the files setup copies from the
// media: each file is hashed in the reads that copy it, and one that
// differs from the list is a failed copy, "damaged on the medium". Media
// without a list install as before; a list that is itself damaged is
// never trusted, and every copy from the media then fails with that
// reason.
#pragma once

#include <windows.h>
#include <stddef.h>
#include <stdint.h>

#include "core/media/sha256.h"

#include "common/install_report.h"   // ERROR_DAMAGED_ON_MEDIUM

enum MediaListState {
    MEDIA_LIST_NONE,      // no MEDIA.SUM: nothing is checked
    MEDIA_LIST_LOADED,
    MEDIA_LIST_REFUSED    // damaged or hostile: nothing is trusted
};

// Reads the list beside setup.exe (g_programDirectory), once per run; the
// refusal (line and reason) is a report line.
MediaListState LoadMediaList();

// The check of one file being copied.
struct MediaFileCheck {
    bool listed;        // compared against its entry
    bool refused;       // the list is refused: the copy must fail
    bool unlisted;      // from the media but not in the list
    const void *entry;  // its entry
    Sha256 hash;
    uint64_t size;
};

// Starts the check of source (a path formed on the program directory, or
// any other path, which is not checked).
void BeginMediaFileCheck(MediaFileCheck *check, const char *source);

// Each buffer as it is read.
void FeedMediaFileCheck(MediaFileCheck *check, const void *data,
                        size_t size);

// After the last read: 0 when the file is as listed or not checked, else
// ERROR_DAMAGED_ON_MEDIUM or ERROR_MEDIA_LIST_DAMAGED (install_report.h),
// with a report line naming the source.
DWORD EndMediaFileCheck(MediaFileCheck *check, const char *source);

// Whether a copy of this run failed for a damaged medium or list.
bool WasMediaDamageFound();

// setup.exe -v: every listed file read and compared. Each damaged or
// missing file is a report line; returns the number of them, or -1 when
// there is no list or it is refused (also a report line).
int VerifyMediaFiles();

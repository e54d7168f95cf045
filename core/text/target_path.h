// The one judgement of a path that setup may write and the uninstaller or
// a rollback may remove: setup judges every target of the install script
// before its first change, the uninstaller every path of its log, the
// rollback every step of its journal, and the media checker every entry of
// the media. A path that passes is a complete local path that Windows
// reads as it is spelt; what it names (a protected folder, a link) is
// judged by the callers that can ask the system.
#pragma once

#include "core/text/dbcs.h"

enum TargetPathVerdict {
    TARGET_PATH_OK = 0,
    TARGET_PATH_NOT_COMPLETE,    // no "X:\": relative, network, "\\?\" form
    TARGET_PATH_DRIVE_ROOT,      // "C:\" itself
    TARGET_PATH_DOT_COMPONENT,   // ".", "..", an empty component, or one
                                 // ending in '.' or ' ' (Windows drops them)
    TARGET_PATH_FORBIDDEN_CHAR,  // '/', ':', '*', '?', '"', '<', '>', '|'
                                 // or a control character after "X:\"
    TARGET_PATH_DEVICE,          // a component names a device (con.txt)
    TARGET_PATH_TOO_LONG,        // longer than 259 characters
    TARGET_PATH_BROKEN_CHAR      // ends inside a double-byte character
};

// Judges path, stepping whole characters of codePage, so a Shift-JIS
// character whose second byte is '\' or '|' is one character of a name.
TargetPathVerdict JudgeTargetPath(const char *path,
                                  int codePage = CURRENT_CODE_PAGE);

// The reason in a few English words, for reports and the checker
// ("not a complete local path", ...). Never NULL.
const char *DescribeTargetPathVerdict(TargetPathVerdict verdict);

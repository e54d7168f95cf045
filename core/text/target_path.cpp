#include "core/text/target_path.h"

#include <string.h>

#include "core/setup_limits.h"
#include "core/text/ascii_case.h"
#include "core/text/device_name.h"

namespace {

bool StartsWithDrive(const char *path)
{
    char drive = LowerAscii(path[0]);
    return drive >= 'a' && drive <= 'z' && path[1] == ':' && path[2] == '\\';
}

// Characters no file name may hold. ':' names an NTFS stream and '/' is
// read as a separator, so neither gets past a comparison of text.
bool IsForbiddenByte(unsigned char c)
{
    return c < 0x20 || strchr("/:*?\"<>|", c) != NULL;
}

// Walks the components after "X:\". A trailing '.' or ' ' is dropped by
// Windows, so "Startup." is Startup and ".." leads out of the folder.
TargetPathVerdict JudgeComponents(const char *component, int codePage)
{
    if (*component == '\0')
        return TARGET_PATH_DRIVE_ROOT;
    char last = '\0';
    for (const char *p = component;;) {
        unsigned char c = (unsigned char)*p;
        if (c == '\\' || c == '\0') {
            if (p == component || last == '.' || last == ' ')
                return TARGET_PATH_DOT_COMPONENT;
            if (c == '\0')
                return TARGET_PATH_OK;
            component = p + 1;
            last = '\0';
            p = component;
            continue;
        }
        if (IsDbcsLead(c, codePage)) {
            // No double-byte code page has a second byte below 0x40: the
            // system reads such a lead byte alone, and a '/' or ':' behind
            // it as itself.
            if (p[1] == '\0' || (unsigned char)p[1] < 0x40)
                return TARGET_PATH_BROKEN_CHAR;
            last = 'x';
        } else {
            if (IsForbiddenByte(c))
                return TARGET_PATH_FORBIDDEN_CHAR;
            last = (char)c;
        }
        p = NextChar(p, codePage);
    }
}

}  // namespace

TargetPathVerdict JudgeTargetPath(const char *path, int codePage)
{
    if (!StartsWithDrive(path))
        return TARGET_PATH_NOT_COMPLETE;
    if (strlen(path) > PATH_SIZE - 1)
        return TARGET_PATH_TOO_LONG;
    TargetPathVerdict verdict = JudgeComponents(path + 3, codePage);
    if (verdict != TARGET_PATH_OK)
        return verdict;
    if (NamesDevice(path, codePage))
        return TARGET_PATH_DEVICE;   // C:\app\con.txt opens the console
    return TARGET_PATH_OK;
}

const char *DescribeTargetPathVerdict(TargetPathVerdict verdict)
{
    switch (verdict) {
    case TARGET_PATH_OK:
        return "a complete local path";
    case TARGET_PATH_NOT_COMPLETE:
        return "not a complete local path";
    case TARGET_PATH_DRIVE_ROOT:
        return "a drive root";
    case TARGET_PATH_DOT_COMPONENT:
        return "a folder name that is empty, \".\", \"..\" or ends in a dot or blank";
    case TARGET_PATH_FORBIDDEN_CHAR:
        return "a character no file name may hold";
    case TARGET_PATH_DEVICE:
        return "a device name";
    case TARGET_PATH_TOO_LONG:
        return "longer than 259 characters";
    case TARGET_PATH_BROKEN_CHAR:
        return "a double-byte character cut off";
    }
    return "not a usable path";
}

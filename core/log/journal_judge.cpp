#include "core/log/journal_judge.h"

#include <stdio.h>
#include <string.h>

#include "core/script/shortcut_rule.h"
#include "core/text/ascii_case.h"
#include "core/text/dbcs.h"
#include "core/text/target_path.h"

static const char kUninstallRoot[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// The keys an install run writes values in: the product's, the file
// utility's, the user information's and the shared library's.
static const char *const kValueKeys[] = {
    "Software\\Veltrane\\CaptureKit",
    "Software\\Veltrane\\CaptureKit\\FileAgent",
    "Software\\Veltrane\\CaptureKit\\SendAgent",
    "Software\\Vorstmark\\NETLNK32",
    "Software\\Vorstmark\\NETLNK32\\Application",
};

// Keys a run may create on the way to those, and remove again.
static const char *const kVendorKeys[] = {
    "Software\\Veltrane",
    "Software\\Vorstmark",
};

bool FormJournalScope(JournalScope *scope, const char *entryName,
                      int codePage)
{
    scope->entryKey[0] = '\0';
    if (entryName[0] == '\0')
        return true;
    // A backslash, also the second byte of no character, would reach
    // another product's entry or a key below one.
    for (const char *p = entryName; *p != '\0'; p = NextChar(p, codePage))
        if (*p == '\\' || (IsDbcsLead((unsigned char)*p, codePage) &&
                           p[1] == '\0'))
            return false;
    if (strlen(entryName) >= UNINSTALL_KEY_NAME_SIZE)
        return false;
    int length = snprintf(scope->entryKey, sizeof(scope->entryKey), "%s%s",
                          kUninstallRoot, entryName);
    if (length < 0 || (size_t)length >= sizeof(scope->entryKey)) {
        scope->entryKey[0] = '\0';
        return false;
    }
    return true;
}

bool IsSideTag(const char *tag)
{
    if (strncmp(tag, "~st", 3) != 0 || strlen(tag) != 8)
        return false;
    for (const char *p = tag + 3; *p != '\0'; p++)
        if (!((*p >= '0' && *p <= '9') || (*p >= 'A' && *p <= 'F')))
            return false;
    return true;
}

static bool IsListed(const char *const *keys, size_t count, const char *key,
                     int codePage)
{
    for (size_t i = 0; i < count; i++)
        if (EqualsAsciiNoCase(key, keys[i], codePage))
            return true;
    return false;
}

bool IsScopeEntry(const JournalScope *scope, const char *key, int codePage)
{
    return scope->entryKey[0] != '\0' &&
           EqualsAsciiNoCase(key, scope->entryKey, codePage);
}

bool IsScopeKey(const JournalScope *scope, const char *key, bool created,
                int codePage)
{
    if (IsScopeEntry(scope, key, codePage) ||
        IsListed(kValueKeys, sizeof(kValueKeys) / sizeof(kValueKeys[0]), key,
                 codePage))
        return true;
    return created &&
           IsListed(kVendorKeys, sizeof(kVendorKeys) / sizeof(kVendorKeys[0]),
                    key, codePage);
}

JournalStepVerdict JudgeJournalStep(const JournalStep *step,
                                    const JournalScope *scope, int codePage)
{
    switch (step->kind) {
    case STEP_FILE:
    case STEP_REPLACE:
        if (!IsSideTag(step->tag))
            return JOURNAL_STEP_BAD_TAG;
        [[fallthrough]];
    case STEP_FOLDER:
    case STEP_LINK:
        if (memchr(step->path, '\0', sizeof(step->path)) == NULL ||
            JudgeTargetPath(step->path, codePage) != TARGET_PATH_OK)
            return JOURNAL_STEP_BAD_PATH;
        if (step->kind == STEP_LINK && !IsLinkFilePath(step->path))
            return JOURNAL_STEP_NOT_A_SHORTCUT;
        return JOURNAL_STEP_ALLOWED;
    case STEP_KEY:
    case STEP_VALUE:
        if (step->root != ROOT_LOCAL_MACHINE)
            return JOURNAL_STEP_OTHER_ROOT;
        if (memchr(step->key, '\0', sizeof(step->key)) == NULL ||
            !IsScopeKey(scope, step->key, step->kind == STEP_KEY, codePage))
            return JOURNAL_STEP_OTHER_KEY;
        return JOURNAL_STEP_ALLOWED;
    }
    return JOURNAL_STEP_BAD_PATH;
}

const char *DescribeJournalStepVerdict(JournalStepVerdict verdict)
{
    switch (verdict) {
    case JOURNAL_STEP_ALLOWED:
        return "allowed";
    case JOURNAL_STEP_BAD_PATH:
        return "not a complete local path";
    case JOURNAL_STEP_BAD_TAG:
        return "not a temporary or backup name of setup's own";
    case JOURNAL_STEP_NOT_A_SHORTCUT:
        return "not a shortcut file";
    case JOURNAL_STEP_OTHER_ROOT:
        return "a registry root setup never writes";
    case JOURNAL_STEP_OTHER_KEY:
        return "a registry key setup never writes";
    }
    return "not understood";
}

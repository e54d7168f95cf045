// What a journal may make a rollback or a commit do, judged from its lines
// alone. The journal lies beside the uninstall log, in a folder the
// packager chooses, so it is input like any other: a step outside what an
// install run of this program writes is refused, however the line was
// written and whether or not it carries a check. What a path names on
// this machine (a protected folder, a link, whether a file is still the
// one the run wrote) is judged by the caller, which can ask the system.
#pragma once

#include "core/log/journal.h"
#include "core/setup_limits.h"
#include "core/text/dbcs.h"

enum JournalStepVerdict {
    JOURNAL_STEP_ALLOWED = 0,
    JOURNAL_STEP_BAD_PATH,         // fails the target-path judgement
    JOURNAL_STEP_BAD_TAG,          // not a side name of the run's form
    JOURNAL_STEP_NOT_A_SHORTCUT,   // a link step that names no ".lnk"
    JOURNAL_STEP_OTHER_ROOT,       // the run writes HKEY_LOCAL_MACHINE only
    JOURNAL_STEP_OTHER_KEY         // a key this program never writes
};

// The keys a run may have changed: the fixed keys of the product, of the
// shared library and of the user information, and the uninstall entry the
// log names.
struct JournalScope {
    char entryKey[UNINSTALL_KEY_PATH_SIZE];   // "" when the log names none
};

// The scope of a log whose [UnInstKey] UnInstKey_File is entryName (""
// for none). A name that is no single key name (empty, a backslash, too
// long) gives a scope without an entry; returns false then.
bool FormJournalScope(JournalScope *scope, const char *entryName,
                      int codePage = CURRENT_CODE_PAGE);

// Whether tag is a side name the run makes: "~st" and five hexadecimal
// digits (upper case), as its temporary and backup files are named.
bool IsSideTag(const char *tag);

// Whether key (under HKEY_LOCAL_MACHINE) is one the run writes: a value
// step may name exactly these. Key steps (keys the run created on the way)
// may also name the vendors' own keys above them.
bool IsScopeKey(const JournalScope *scope, const char *key, bool created,
                int codePage = CURRENT_CODE_PAGE);

// Whether key is the uninstall entry of the scope: it is changed only
// under the uninstaller's rule, which the caller applies.
bool IsScopeEntry(const JournalScope *scope, const char *key,
                  int codePage = CURRENT_CODE_PAGE);

JournalStepVerdict JudgeJournalStep(const JournalStep *step,
                                    const JournalScope *scope,
                                    int codePage = CURRENT_CODE_PAGE);

// The reason in a few English words, for the report. Never NULL.
const char *DescribeJournalStepVerdict(JournalStepVerdict verdict);

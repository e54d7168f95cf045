#include "transaction/registry_journal.h"

#include <string.h>

#include "common/install_report.h"
#include "core/text/dbcs.h"
#include "transaction/journal_writer.h"

static bool ToJournalRoot(HKEY root, JournalRoot *journalRoot)
{
    if (root == HKEY_LOCAL_MACHINE)
        *journalRoot = ROOT_LOCAL_MACHINE;
    else if (root == HKEY_CURRENT_USER)
        *journalRoot = ROOT_CURRENT_USER;
    else
        return false;
    return true;
}

static HKEY FromJournalRoot(JournalRoot root)
{
    return root == ROOT_CURRENT_USER ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

static bool KeyExists(HKEY root, const char *key)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

static JournalStep s_step;

static bool StartStep(JournalStepKind kind, HKEY root, const char *key)
{
    memset(&s_step, 0, sizeof(s_step));
    s_step.kind = kind;
    return ToJournalRoot(root, &s_step.root) &&
           CopyText(s_step.key, sizeof(s_step.key), key) == strlen(key);
}

// Every missing key on the way to key, outermost first.
static void JournalMissingKeys(HKEY root, const char *key)
{
    char prefix[REGISTRY_KEY_SIZE];
    if (CopyText(prefix, sizeof(prefix), key) != strlen(key))
        return;
    for (char *p = prefix;; p = NextChar(p)) {
        bool end = *p == '\0';
        if (!end && *p != '\\')
            continue;
        char kept = *p;
        *p = '\0';
        if (prefix[0] != '\0' && !KeyExists(root, prefix) &&
            StartStep(STEP_KEY, root, prefix))
            AddJournalStep(&s_step);
        *p = kept;
        if (end)
            return;
    }
}

// The value's present state into s_step (a value step already started).
static bool ReadOldValue(HKEY root, const char *key, const char *valueName)
{
    if (CopyText(s_step.valueName, sizeof(s_step.valueName), valueName) !=
        strlen(valueName))
        return false;
    s_step.absent = true;
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return true;
    DWORD type = 0;
    DWORD bytes = sizeof(s_step.data);
    LONG result = RegQueryValueExA(opened, valueName, NULL, &type,
                                   s_step.data, &bytes);
    RegCloseKey(opened);
    if (result == ERROR_FILE_NOT_FOUND)
        return true;
    if (result != ERROR_SUCCESS)
        return false;   // too long to keep, or unreadable
    s_step.absent = false;
    s_step.type = type;
    s_step.dataSize = bytes;
    return true;
}

// A value whose old data the journal cannot hold whole is not changed: a
// rollback could not give it back.
static void ReportNotKept(const char *key, const char *valueName)
{
    ReportLine("not changed: value %s of %s (its old data cannot be kept "
               "for a rollback)",
               valueName, key);
}

// The keys the run changed, to be flushed at the commit: a run writes a
// handful.
static const int kChangedKeys = 16;
struct ChangedKey {
    HKEY root;
    char key[REGISTRY_KEY_SIZE];
};
static ChangedKey s_changedKeys[kChangedKeys];
static int s_changedCount;

static void NoteChangedKey(HKEY root, const char *key)
{
    for (int i = 0; i < s_changedCount; i++)
        if (s_changedKeys[i].root == root &&
            strcmp(s_changedKeys[i].key, key) == 0)
            return;
    // More than the list holds: the last slot flushes their root's hive
    // through the Software key.
    ChangedKey *slot = &s_changedKeys[s_changedCount < kChangedKeys
                                          ? s_changedCount++
                                          : kChangedKeys - 1];
    slot->root = root;
    if (CopyText(slot->key, sizeof(slot->key), key) != strlen(key) ||
        s_changedCount == kChangedKeys)
        CopyText(slot->key, sizeof(slot->key), "Software");
}

void FlushJournaledKeys()
{
    for (int i = 0; i < s_changedCount; i++) {
        // A key deleted meanwhile: its parent's hive is the same.
        HKEY opened;
        if (RegOpenKeyExA(s_changedKeys[i].root, s_changedKeys[i].key, 0,
                          KEY_READ, &opened) != ERROR_SUCCESS &&
            RegOpenKeyExA(s_changedKeys[i].root, "Software", 0, KEY_READ,
                          &opened) != ERROR_SUCCESS)
            continue;
        RegFlushKey(opened);
        RegCloseKey(opened);
    }
    s_changedCount = 0;
}

bool JournalValueChanges(HKEY root, const char *key,
                         const char *const *valueNames, int count)
{
    if (!IsJournalOpen())
        return true;
    NoteChangedKey(root, key);
    JournalMissingKeys(root, key);
    bool all = true;
    for (int i = 0; i < count; i++) {
        if (StartStep(STEP_VALUE, root, key) &&
            ReadOldValue(root, key, valueNames[i])) {
            if (!AddJournalStep(&s_step))
                all = false;   // the run fails: HasJournalFailed
        } else {
            ReportNotKept(key, valueNames[i]);
            all = false;
        }
    }
    bool flushed = FlushJournal();
    return all && flushed;
}

bool JournalValueChange(HKEY root, const char *key, const char *valueName)
{
    return JournalValueChanges(root, key, &valueName, 1);
}

bool JournalKeyDeletion(HKEY root, const char *key)
{
    if (!IsJournalOpen())
        return true;
    NoteChangedKey(root, key);
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return !HasJournalFailed();
    bool all = true;
    char name[REGISTRY_NAME_SIZE];
    for (DWORD index = 0;; index++) {
        DWORD nameSize = sizeof(name);
        LONG result = RegEnumValueA(opened, index, name, &nameSize, NULL, NULL,
                                    NULL, NULL);
        if (result == ERROR_NO_MORE_ITEMS)
            break;
        if (result != ERROR_SUCCESS) {
            ReportNotKept(key, "(a name too long to read)");
            all = false;
            continue;
        }
        if (StartStep(STEP_VALUE, root, key) && ReadOldValue(root, key, name)) {
            if (!AddJournalStep(&s_step))
                all = false;
        } else {
            ReportNotKept(key, name);
            all = false;
        }
    }
    RegCloseKey(opened);
    bool flushed = FlushJournal();
    return all && flushed;
}

static bool HasSubkeys(HKEY key)
{
    DWORD subkeys = 0;
    return RegQueryInfoKeyA(key, NULL, NULL, NULL, &subkeys, NULL, NULL,
                            NULL, NULL, NULL, NULL, NULL) != ERROR_SUCCESS ||
           subkeys > 0;
}

// A key the run created goes with its values, but never with subkeys:
// on the 95 family RegDeleteKey would take the whole tree.
static bool UndoKey(HKEY root, const char *key)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return true;
    bool keep = HasSubkeys(opened);
    RegCloseKey(opened);
    if (keep) {
        ReportLine("rollback: key kept, it holds other keys: %s", key);
        return false;
    }
    bool gone = RegDeleteKeyA(root, key) == ERROR_SUCCESS;
    ReportLine("undone: key %s %s", key, gone ? "removed" : "NOT removed");
    return gone;
}

static bool UndoValue(HKEY root, const JournalStep *step)
{
    HKEY opened;
    if (step->absent) {
        if (RegOpenKeyExA(root, step->key, 0, KEY_SET_VALUE, &opened) !=
            ERROR_SUCCESS)
            return true;
        LONG result = RegDeleteValueA(opened, step->valueName);
        RegCloseKey(opened);
        bool gone = result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
        ReportLine("undone: value %s\\%s %s", step->key, step->valueName,
                   gone ? "removed" : "NOT removed");
        return gone;
    }
    if (RegCreateKeyExA(root, step->key, 0, NULL, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, NULL, &opened, NULL) != ERROR_SUCCESS) {
        ReportLine("undone: value %s\\%s NOT restored", step->key,
                   step->valueName);
        return false;
    }
    bool set = RegSetValueExA(opened, step->valueName, 0, step->type,
                              step->data, (DWORD)step->dataSize) ==
               ERROR_SUCCESS;
    RegCloseKey(opened);
    ReportLine("undone: value %s\\%s %s", step->key, step->valueName,
               set ? "restored" : "NOT restored");
    return set;
}

bool UndoRegistryStep(const JournalStep *step)
{
    HKEY root = FromJournalRoot(step->root);
    if (step->kind == STEP_KEY)
        return UndoKey(root, step->key);
    return UndoValue(root, step);
}

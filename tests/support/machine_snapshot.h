// What a test compares to say "the machine is as it was": every path on
// drive C: (the temporary folders left out: the tests' scratch folders
// live there), the sections of HKLM\Software and HKCU\Software as
// "reg export" writes them (Wine's own noise left out), the renames
// waiting for the restart, and the bytes of the files the test names.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

struct MachineSnapshot {
    std::set<std::string> files;
    std::set<std::string> machineKeys;
    std::set<std::string> userKeys;
    std::string pendingRenames;                   // "<none>" when absent
    std::map<std::string, std::string> watched;   // path -> bytes
};

// Every path below folder as a sorted set, without the folders named Temp:
// test_support's ListTree, which does not enter linked folders.
void ListTree(const std::string &folder, std::set<std::string> *paths);

// The key sections of "reg export ROOT" (through the scratch file), the
// keys Wine writes on its own left out.
std::set<std::string> ExportKeys(const char *root, const std::string &file);

// scratch: a folder for the export files (it is not listed when it lies
// in a Temp folder). watchedFiles: files whose bytes are kept.
MachineSnapshot TakeMachineSnapshot(const std::string &scratch,
                                    const std::vector<std::string> &watchedFiles);

// The lines "added: ..." and "gone: ..." (and "changed: ..." for the
// pending renames and watched files); "" when both are the same.
std::string SnapshotDifference(const MachineSnapshot &before,
                               const MachineSnapshot &after);

// The snapshot as text and back, for tools/scripts that compare a machine
// across processes (tests/support/snapshot_main.cpp): one item a line, a
// registry section's line breaks kept as "\x1f". The watched files'
// bytes are not part of it.
std::string SnapshotText(const MachineSnapshot &snapshot);
MachineSnapshot SnapshotFromText(const std::string &text);

// Session Manager's PendingFileRenameOperations, its strings joined with
// "|", or "<none>".
std::string PendingRenames();
// Puts the value back as PendingRenames() gave it ("<none>": removed).
void RestorePendingRenames(const std::string &joined);
